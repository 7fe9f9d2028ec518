#include "pictures.h"
#include "relief.h"

namespace artwork {

QImage emblemPicture() {
    // Drawn three times larger and reduced, for smooth edges.
    constexpr int Scale = 3;
    const QSize size(337 * Scale, 305 * Scale);
    const Rings rings =
        Rings::fittedInto(QRectF(QPointF(0, 0), QSizeF(size)).adjusted(40, 30, -40, -48), 0.2);
    const QImage big = shadeTexturedBlue(ringSurface(rings, size),
                                         greyGradient(size, {0, 0}, {1, 1}, 224, 112), 14.0 * Scale);
    return big.scaled(337, 305, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace artwork
