// The grid finder's fine step: the lattice whose outline runs down the middle of the printed
// lines, to a small fraction of a pixel, from one that is within a pixel or two of them
// round the picture's middle.
#pragma once

#include <optional>

#include "core/progress.h"
#include "grid/hex_lattice.h"

namespace tessara {

class MapDarkness;

// Measures where the printed lines cross short cuts across every side near the lattice's
// origin, fits the six numbers of the lattice (origin and two steps) to them by reweighted
// least squares, and widens the circle until it holds the whole picture. Nothing when the
// lines do not follow a hex outline: too few of the measured centres lie on the fitted
// lines, along each of the three directions of sides; nor when the outline explains too
// little of the lines printed on the picture, as on a sheet that holds two grids.
std::optional<HexLattice> fitPrintedLines(const MapDarkness& map, HexLattice start,
                                          Progress& progress, double fromFraction,
                                          double toFraction);

}  // namespace tessara
