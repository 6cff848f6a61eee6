// Sums on the two-dimensional steps of a lattice, shared by the grid finder and the fit to
// clicked hexes: a step's length, which way one step turns from another, a step turned, and
// where a point lies on the lattice two steps make.
#pragma once

#include <QPointF>
#include <cmath>

namespace tessara {

inline double length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

// The signed area of the parallelogram on a and b: positive when b lies on the side a turns
// towards for a positive angle, 0 when the two lie on one line.
inline double cross(QPointF a, QPointF b) {
    return a.x() * b.y() - a.y() * b.x();
}

// The coordinates (n, m) of p on the steps a and b, p = n a + m b; a and b not on one line.
inline QPointF coordinatesOn(QPointF a, QPointF b, QPointF p) {
    const double det = cross(a, b);
    return {cross(p, b) / det, cross(a, p) / det};
}

// v turned by `radians`, from x towards y.
QPointF turned(QPointF v, double radians);

}  // namespace tessara
