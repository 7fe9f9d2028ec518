#pragma once
// Lights raised shapes as textured, embossed blue metal on a background.

#include "rings.h"
#include <QImage>
#include <QPainterPath>
#include <vector>

namespace artwork {

// A raised surface: per pixel how much of it is covered, its height and the direction it faces.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<float> cover, z, nx, ny, nz, occlusion;

    Surface(int w, int h);
    std::size_t at(int x, int y) const { return std::size_t(y * width + x); }
    // Lays `other` over this surface wherever it covers anything.
    void add(const Surface& other);
};

// The rings as tubes; where one passes over another it stands higher and darkens the one beneath.
Surface ringSurface(const Rings& rings, QSize size);

// Lettering or any other shape with bevelled edges `bevel` pixels wide.
Surface shapeSurface(const QPainterPath& shape, QSize size, double bevel);

// A soft grey gradient, `light` at `lightEnd` to `dark` at `darkEnd`; the ends are fractions of the size.
QImage greyGradient(QSize size, QPointF lightEnd, QPointF darkEnd, int light, int dark);

// The surface lit from the upper left in mottled blue, with its shadow on the background.
// `grain` is the size, in pixels, of the texture's coarsest blotches.
QImage shadeTexturedBlue(const Surface& surface, const QImage& background, double grain);

} // namespace artwork
