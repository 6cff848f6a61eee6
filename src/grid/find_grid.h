// Grid > Find Printed Grid and `tessara find-grid`: the printed hex grid on a scanned map,
// as the Grid Options that draw Tessara's grid over it.
//
// A first look at a shrunk window of the map finds the lattice its thin dark lines repeat
// with (the peaks of their autocorrelation, by FFT) and where the hexes lie in it (the lines
// folded into one cell). A fine fit then measures where the printed lines cross short cuts
// across the predicted sides, all over the full-size picture, and solves for the six numbers
// of the affine map that puts the outline on them, widening from the middle outwards and
// dropping cuts on labels, roads and paper without lines.
#pragma once

#include <QImage>
#include <optional>

#include "core/progress.h"
#include "grid/grid_options.h"

namespace tessara {

// The printed hex grid on the map picture, as the options that draw it: hexPixels,
// orientation, stretch, rotation, skew, offset and shifted lines set; nothing when the
// picture shows no hex grid, or when the grid found explains too little of its printed lines
// (a sheet of two grids, each fitting its part only). Deterministic: the same picture gives the
// same options. Reports its progress and throws WorkCancelled when the user stops it.
//
// Rows or columns: the reading with the smaller turn. The options hold for a picture of
// this size only, as the grid turns about the picture's centre. A square grid is no hex grid
// and gives nothing: its lattice is a hex lattice stretched by 15.5 per cent, beyond the 8
// per cent the search takes, and a hex outline forced onto it finds the squares' lines only
// where they cross its sides at a slant, which the fine fit refuses.
//
// The figures are rounded to these decimals: their drift over a 6000-pixel map stays under
// a hundredth of a pixel, far below the search's own accuracy, and a script that writes
// them out with these decimals (`tessara find-grid`) gives back exactly the same grid.
std::optional<GridOptions> findPrintedGrid(const QImage& map, Progress& progress = noProgress());

inline constexpr int kFoundDecimals = 6;        // hex size, stretch, rotation and skew
inline constexpr int kFoundOffsetDecimals = 3;  // the offset's pixels

}  // namespace tessara
