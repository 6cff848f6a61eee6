// Fitting the grid to a hex lattice seen on the picture: from three hex centres the user
// clicked, or from the lattice a search found. Both end in the same Grid Options: the
// orientation, hex size, stretch, rotation, skew and offset that put the grid's hexes on it.
#pragma once

#include <QPointF>
#include <QSizeF>
#include <optional>

#include "grid/grid_options.h"

namespace tessara {

// A hex lattice on the picture: the centre of one hex, and the steps in picture pixels from
// it to the next hex along its line (a row, or a column) and straight across to the next
// line. In the grid's frame (grid_placement.h) these are (h, 0) and (0, 0.86602 s h); the
// hexes of the next line lie half a step along either way from `across`.
struct LatticeOnPicture {
    GridOrientation orientation = GridOrientation::Rows;
    QPointF centre;
    QPointF along;
    QPointF across;
};

// The options whose grid has exactly this lattice on a picture of this size: the offset
// the smallest that puts a hex centre on `centre` (the first lines shifted), every other
// option taken from the steps. Nothing when the steps give no hexes (the same or opposite
// directions), a mirrored grid, or a turn, lean or stretch beyond what Grid Options offers.
std::optional<GridOptions> optionsForLattice(const LatticeOnPicture& lattice, QSizeF picture);

// The lattice of the options' grid: the inverse of optionsForLattice, with `centre` the
// centre of the hex on line 0 at the offset.
LatticeOnPicture latticeOf(const GridOptions& options, double hexPixels, QSizeF picture);

// How far a hex is from the first in the three-point fit: `along` hexes along the lines and
// `across` lines across them. With `across` odd, `along` is a whole number and a half.
struct HexSteps {
    double along = 0;
    double across = 0;
};

// The lattice through three clicked hex centres: `second` and `third` lie the given steps
// from `first`. Nothing when the steps do not make a triangle (the three points on one
// line, or a step of nothing).
std::optional<LatticeOnPicture> latticeThrough(GridOrientation orientation, QPointF first,
                                               QPointF second, HexSteps toSecond, QPointF third,
                                               HexSteps toThird);

// The steps from `first` to `point` on the lattice, rounded to the nearest hex: the guess
// shown before the user types them.
HexSteps stepsBetween(const LatticeOnPicture& lattice, QPointF first, QPointF point);

}  // namespace tessara
