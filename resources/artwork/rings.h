#pragma once
// The geometry of the maker's emblem: three equal rings around a centre, each linked with the other two.

#include <QPointF>
#include <QRectF>
#include <array>

namespace artwork {

struct Rings {
    std::array<QPointF, 3> centre;
    QPointF middle;       // the centre of the three ring centres
    double radius = 0;    // of the ring's middle line
    double halfWidth = 0; // half the width of the band

    // Three rings, one above and two below, as large as fits in `box`.
    static Rings fittedInto(const QRectF& box, double bandToRadius);

    // Signed distance from ring `i`'s middle line; the band is where its magnitude is below halfWidth.
    double offset(int i, QPointF p) const;
    // Whether ring `upper` passes over ring `lower` near p: each pair crosses twice, and the ring that is
    // on top swaps between the inner crossing and the outer one, which links them.
    bool over(int upper, int lower, QPointF p) const;
    // The ring seen at p, or -1 where no band covers it.
    int visibleAt(QPointF p) const;
};

} // namespace artwork
