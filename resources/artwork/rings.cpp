#include "rings.h"

#include <QtMath>

namespace artwork {
namespace {

double cross(QPointF a, QPointF b) {
    return a.x() * b.y() - a.y() * b.x();
}

} // namespace

Rings Rings::fittedInto(const QRectF& box, double bandToRadius) {
    // With the centres 0.62 radii from the middle, neighbouring rings overlap by about half their width.
    const double spread = 0.62;
    const double c30 = std::cos(qDegreesToRadians(30.0));
    // Extents in radii: width 2(spread cos30 + 1 + band), height 1.5 spread + 2 + 2 band.
    const double widthUnits = 2 * (spread * c30 + 1 + bandToRadius);
    const double heightUnits = 1.5 * spread + 2 + 2 * bandToRadius;
    Rings r;
    r.radius = std::min(box.width() / widthUnits, box.height() / heightUnits);
    r.halfWidth = r.radius * bandToRadius;
    const double d = spread * r.radius;
    const double top = box.center().y() - heightUnits * r.radius / 2;
    r.middle = QPointF(box.center().x(), top + r.radius * (1 + bandToRadius) + d);
    r.centre = {r.middle + QPointF(0, -d), r.middle + QPointF(d * c30, d / 2),
                r.middle + QPointF(-d * c30, d / 2)};
    return r;
}

double Rings::offset(int i, QPointF p) const {
    const QPointF v = p - centre[std::size_t(i)];
    return std::hypot(v.x(), v.y()) - radius;
}

bool Rings::over(int upper, int lower, QPointF p) const {
    // Pairs in cyclic order (0,1), (1,2), (2,0): the first is on top at the crossing towards the middle.
    const bool cyclic = (lower == (upper + 1) % 3);
    const int a = cyclic ? upper : lower, b = cyclic ? lower : upper;
    const QPointF axis = centre[std::size_t(b)] - centre[std::size_t(a)];
    const bool inner =
        (cross(axis, p - centre[std::size_t(a)]) > 0) == (cross(axis, middle - centre[std::size_t(a)]) > 0);
    return inner == cyclic;
}

int Rings::visibleAt(QPointF p) const {
    int seen = -1;
    for (int i = 0; i < 3; ++i) {
        if (std::abs(offset(i, p)) >= halfWidth)
            continue;
        if (seen < 0 || over(i, seen, p))
            seen = i;
    }
    return seen;
}

} // namespace artwork
