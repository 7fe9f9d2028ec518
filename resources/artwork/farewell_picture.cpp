#include "pictures.h"
#include "relief.h"

#include <QFont>
#include <QPainterPath>

namespace artwork {
namespace {

// A line of lettering centred on `centreX` with its capitals `capHeight` pixels tall, top at `top`.
QPainterPath lettering(const QString& text, const QString& family, double capHeight, double spacing,
                       double centreX, double top) {
    QFont font(family);
    font.setBold(true);
    font.setPixelSize(100);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing * 100 / capHeight);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const double scale = capHeight / -QPainterPath([&] {
                                          QPainterPath h;
                                          h.addText(0, 0, font, QStringLiteral("H"));
                                          return h;
                                      }())
                                          .boundingRect()
                                          .top();
    const QRectF box = path.boundingRect();
    QTransform t;
    t.translate(centreX - box.center().x() * scale, top + capHeight);
    t.scale(scale, scale);
    return t.map(path);
}

} // namespace

QImage farewellPicture() {
    constexpr int Scale = 2;
    const QSize size(1024 * Scale, 768 * Scale);
    const double s = Scale;
    Surface surface(size.width(), size.height());
    const Rings rings = Rings::fittedInto(QRectF(292 * s, 166 * s, 440 * s, 356 * s), 0.2);
    surface.add(ringSurface(rings, size));
    const QString family = QStringLiteral("DejaVu Sans");
    surface.add(shapeSurface(lettering(QStringLiteral("TOLV"), family, 96 * s, 24 * s, 512 * s, 40 * s), size,
                             9 * s));
    // The window's column of labels covers the lower left, so the name keeps to the right of it, and the
    // background there is a middle grey on which both its light and its black labels read.
    surface.add(shapeSurface(
        lettering(QStringLiteral("Arvid Tolvane"), family, 50 * s, 5 * s, 690 * s, 572 * s), size, 6 * s));
    const QImage big = shadeTexturedBlue(surface, greyGradient(size, {1, 0}, {0, 1}, 220, 112), 18.0 * s);
    return big.scaled(1024, 768, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace artwork
