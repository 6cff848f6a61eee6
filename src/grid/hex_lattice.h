// A printed hex grid as the grid finder sees it: the lattice of hex centres on the picture.
// Every hexagon of a printed grid, however it is turned, leaning or stretched, is the image
// of a regular hexagon under one affine map, and a regular hex outline is fixed by its
// centres: its corners are the centres of the triangles of three neighbouring hexes. So the
// outline is the lattice's own, whichever two neighbouring steps name it.
#pragma once

#include <QPointF>
#include <array>
#include <cmath>

#include "grid/lattice_vectors.h"

namespace tessara {

// The hexes whose centres lie at origin + i a + j b for whole i and j: `a` and `b` step to
// two neighbouring hexes 60 degrees apart (in the picture, before any stretch or lean).
// Lattice coordinates (alpha, beta) name any point as origin + alpha a + beta b.
struct HexLattice {
    QPointF origin;
    QPointF a;
    QPointF b;

    QPointF at(double alpha, double beta) const { return origin + alpha * a + beta * b; }
    QPointF at(QPointF lattice) const { return at(lattice.x(), lattice.y()); }
    // The inverse of at(): the lattice coordinates of a picture point.
    QPointF coordinatesOf(QPointF p) const { return coordinatesOn(a, b, p - origin); }
    double cellArea() const { return std::abs(cross(a, b)); }
};

// The corner every cell (i, j) owns is at (i + 1/3, j + 1/3); the three sides from it end
// at these corners of the cell, each between two hexes: (1, 0) and (0, 1), (0, 0) and
// (1, 0), (0, 0) and (0, 1).
inline constexpr QPointF kOwnCorner{1.0 / 3, 1.0 / 3};
inline constexpr std::array<QPointF, 3> kSideEnds{
    {{2.0 / 3, 2.0 / 3}, {2.0 / 3, -1.0 / 3}, {-1.0 / 3, 2.0 / 3}}};

}  // namespace tessara
