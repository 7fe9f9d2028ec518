#include "pictures.h"

#include <QPainter>

namespace artwork {

IndexedImage envelopeIcon(int size) {
    // Pixel by pixel: hard edges in palette colours read best at 16 and 32 pixels.
    const QRgb* pal = windowsPalette().data();
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    const bool large = size >= 32;
    const QRect body = large ? QRect(1, 6, 30, 21) : QRect(0, 3, 16, 11);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(body, QColor(pal[Yellow]));
    // Olive shading along the lower and right edges gives the paper some depth.
    p.fillRect(QRect(body.left() + 1, body.bottom() - 1, body.width() - 2, 1), QColor(pal[Olive]));
    p.fillRect(QRect(body.right() - 1, body.top() + 1, 1, body.height() - 2), QColor(pal[Olive]));
    p.setPen(QColor(pal[Black]));
    p.setBrush(Qt::NoBrush);
    p.drawRect(body.adjusted(0, 0, -1, -1));
    // The flap: two lines from the upper corners meeting below the middle.
    const QPoint tipLeft(body.center().x(), body.top() + body.height() * 11 / 20);
    const QPoint tipRight(tipLeft.x() + 1, tipLeft.y());
    p.setPen(QColor(pal[Olive]));
    p.drawLine(body.topLeft() + QPoint(1, 1), tipLeft);
    p.drawLine(body.topRight() + QPoint(-1, 1), tipRight);
    // The stamp in the upper right corner: purple with a white perforated rim and a small fuchsia mark.
    const QRect stamp = large ? QRect(21, 8, 8, 9) : QRect(10, 4, 5, 5);
    p.fillRect(stamp, QColor(pal[White]));
    p.fillRect(stamp.adjusted(1, 1, -1, -1), QColor(pal[Purple]));
    if (large) {
        for (int x = stamp.left(); x <= stamp.right(); x += 2) {
            canvas.setPixel(x, stamp.top(), pal[Purple]);
            canvas.setPixel(x, stamp.bottom(), pal[Purple]);
        }
        for (int y = stamp.top(); y <= stamp.bottom(); y += 2) {
            canvas.setPixel(stamp.left(), y, pal[Purple]);
            canvas.setPixel(stamp.right(), y, pal[Purple]);
        }
        p.fillRect(QRect(stamp.left() + 3, stamp.top() + 3, 2, 3), QColor(pal[Fuchsia]));
    }
    p.end();
    return quantise(canvas);
}

} // namespace artwork
