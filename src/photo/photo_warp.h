// A photo grid's smooth local correction for warped paper: a fold or a curl moves the printed
// grid by a few pixels from where a flat board would put it, which no homography and lens
// can follow. The correction is a regular mesh of cubic B-spline control points over the
// lattice's coordinates, each holding a displacement in photo pixels, added after the lens:
//   p = lens(H (alpha, beta)) + W(alpha, beta)
// Outside the mesh W keeps the value at its nearest edge.
#pragma once

#include <QPointF>
#include <QRectF>
#include <array>
#include <optional>
#include <vector>

namespace tessara {

struct PhotoWarp {
    QPointF origin;                      // the lattice point of the mesh's first knot
    double spacing = 1;                  // lattice units between knots, either way
    std::array<int, 2> intervals{0, 0};  // knot intervals along alpha and along beta
    // (intervals + 3) per row, row by row along beta: each knot interval is spanned by four
    // control points each way.
    std::vector<QPointF> shifts;

    // No mesh: the photo grid is the nine numbers alone.
    bool empty() const { return shifts.empty(); }
    // The displacement at a lattice point, photo pixels.
    QPointF at(QPointF lattice) const;
};

// A mesh of zero displacements over `cells` (lattice coordinates), knots `spacing` apart.
PhotoWarp warpMeshOver(const QRectF& cells, double spacing);

// One thing seen for the warp's fit: the displacement at `lattice`, along the unit `normal`,
// is `value` pixels, counted with `weight`.
struct WarpObservation {
    QPointF lattice;
    QPointF normal;
    double value = 0;
    double weight = 1;
};

// The mesh's displacements fitted to `seen` by linear least squares with a penalty on their
// second differences, so that it bends smoothly and holds where nothing was seen. Nothing
// when the normal equations cannot be solved.
std::optional<PhotoWarp> fitWarp(const PhotoWarp& mesh, const std::vector<WarpObservation>& seen);

}  // namespace tessara
