#include "pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace artwork {
namespace {

// The triangle's corners as fractions of the side, shared by the smooth drawings and the SVG.
constexpr double TriLeft = 0.34, TriTop = 0.25, TriBottom = 0.75, TriTip = 0.72;

QPolygonF triangle(double side) {
    return QPolygonF({QPointF(TriLeft * side, TriTop * side), QPointF(TriTip * side, side / 2),
                      QPointF(TriLeft * side, TriBottom * side)});
}

} // namespace

IndexedImage playButtonIcon(int size) {
    // Pixel by pixel rather than smoothed: at 16 and 32 pixels in 16 colours, hard edges read best.
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    const QRgb* pal = windowsPalette().data();
    const int m = size >= 32 ? 1 : 0;    // transparent margin
    const int lo = m, hi = size - 1 - m; // first and last pixel of the button
    const int bevel = size >= 32 ? 2 : 1;
    for (int y = lo; y <= hi; ++y) {
        for (int x = lo; x <= hi; ++x) {
            QRgb c = pal[Silver];
            if (x == hi || y == hi)
                c = pal[Black];
            else if (x > hi - 1 - bevel || y > hi - 1 - bevel)
                c = pal[Grey];
            else if (x < lo + bevel || y < lo + bevel)
                c = pal[White];
            canvas.setPixel(x, y, c);
        }
    }
    // The triangle column by column, narrowing evenly from both ends so that it stays symmetric.
    const int left = size >= 32 ? 10 : 4, top = size >= 32 ? 7 : 3, rows = size / 2,
              columns = size >= 32 ? 13 : 7;
    for (int k = 0; k < columns; ++k) {
        const int cut = int((k + 0.5) * (rows / 2 - 1) / (columns - 0.5));
        for (int y = top + cut; y <= top + rows - 1 - cut; ++y)
            canvas.setPixel(left + k, y, pal[Black]);
        // The white lower edge, as if the triangle were pressed into the face; it follows the slope.
        canvas.setPixel(left + k, top + rows - cut, pal[White]);
    }
    canvas.setPixel(left + columns, top + rows / 2, pal[White]);
    return quantise(canvas);
}

QImage playButtonImage(int size) {
    // At 16 pixels the hand-placed pixels of the icon read better than any smoothed drawing.
    if (size <= 16)
        return toArgb(playButtonIcon(16));
    // Drawn four times larger and reduced, for smooth edges at every size.
    const int s = size * 4;
    QImage big(s, s, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = s / 32.0; // one pixel of the 32-pixel design
    const double edge = std::max(4.0, 1.0 * u);
    const QRectF outer(u, u, s - 2 * u, s - 2 * u);
    const double radius = 2 * u;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    p.drawRoundedRect(outer, radius, radius);
    QLinearGradient light(outer.topLeft(), outer.bottomRight());
    light.setColorAt(0, QColor(255, 255, 255));
    light.setColorAt(1, QColor(120, 120, 124));
    p.setBrush(light);
    p.drawRoundedRect(outer.adjusted(0, 0, -edge, -edge), radius, radius);
    const QRectF face = outer.adjusted(2 * edge, 2 * edge, -2.5 * edge, -2.5 * edge);
    QLinearGradient faceFill(face.topLeft(), face.bottomLeft());
    faceFill.setColorAt(0, QColor(222, 222, 226));
    faceFill.setColorAt(1, QColor(176, 176, 182));
    p.setBrush(faceFill);
    p.drawRoundedRect(face, radius * 0.6, radius * 0.6);
    const QPolygonF tri = triangle(s);
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(tri.translated(edge * 0.7, edge * 0.9));
    QLinearGradient triFill(tri.boundingRect().topLeft(), tri.boundingRect().bottomLeft());
    triFill.setColorAt(0, QColor(40, 40, 44));
    triFill.setColorAt(1, QColor(0, 0, 0));
    p.setBrush(triFill);
    QPen outline(Qt::black, edge * 0.6);
    outline.setJoinStyle(Qt::RoundJoin);
    p.setPen(outline);
    p.drawPolygon(tri);
    p.end();
    return big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QByteArray playButtonSvg() {
    // The same design as playButtonImage, on the 32-unit grid of the icon.
    return QByteArray(R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">
  <defs>
    <linearGradient id="light" x1="0" y1="0" x2="1" y2="1">
      <stop offset="0" stop-color="#ffffff"/><stop offset="1" stop-color="#78787c"/>
    </linearGradient>
    <linearGradient id="face" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#dedee2"/><stop offset="1" stop-color="#b0b0b6"/>
    </linearGradient>
    <linearGradient id="tri" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#28282c"/><stop offset="1" stop-color="#000000"/>
    </linearGradient>
  </defs>
  <rect x="1" y="1" width="30" height="30" rx="2" fill="#141414"/>
  <rect x="1" y="1" width="29" height="29" rx="2" fill="url(#light)"/>
  <rect x="3" y="3" width="25.5" height="25.5" rx="1.2" fill="url(#face)"/>
  <polygon points="11.58,8.9 23.74,16.9 11.58,24.9" fill="#ffffff"/>
  <polygon points="10.88,8 23.04,16 10.88,24" fill="url(#tri)" stroke="#000000" stroke-width="0.6"
           stroke-linejoin="round"/>
</svg>
)svg");
}

} // namespace artwork
