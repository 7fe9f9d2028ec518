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
    const Rings rings = Rings::fittedInto(QRectF(262 * s, 178 * s, 500 * s, 420 * s), 0.2);
    surface.add(ringSurface(rings, size));
    const QString family = QStringLiteral("DejaVu Sans");
    surface.add(shapeSurface(lettering(QStringLiteral("TOLV"), family, 104 * s, 26 * s, 512 * s, 46 * s),
                             size, 9 * s));
    surface.add(shapeSurface(
        lettering(QStringLiteral("Arvid Tolvane"), family, 62 * s, 6 * s, 512 * s, 634 * s), size, 6 * s));
    const QImage big = shadeTexturedBlue(surface, greyGradient(size), 18.0 * s);
    return big.scaled(1024, 768, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace artwork
