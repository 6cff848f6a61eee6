// The paper's own edge round a board's printed hexes, so that the flattened board keeps the
// margin a printed map has (its title, its scale, the edge of the last hexes) and ends where
// the paper does, not on the table.
//
// The photo is flattened small, a few hexes beyond the printed ones on every side. On each
// side, every line of that picture across the side is searched outwards for the largest
// step of its brightness between the few pixels before and after a point: paper against the
// table. A straight edge is fitted to those steps, leaving out the ones that lie off it (a
// hand, a box, the margin's lettering), and the board reaches the farthest point of that
// edge along the side. A side where too few lines show such a step (a table as light as the
// paper, a board cut off by the photo's edge) keeps the margin of one hex.
#pragma once

#include <QImage>
#include <QPointF>
#include <vector>

#include "photo/photo_flattening.h"

namespace tessara {

// Farther than this beyond the printed hexes no edge is looked for, in hexes.
inline constexpr double kEdgeReach = 3;

// The margins of the board of `hexes` (lattice indices) on the photo by `grid`, planned on
// `upright` as planFlatBoard plans it.
FlatMargins findBoardMargins(const QImage& photo, const PhotoGrid& grid, const PhotoGrid& upright,
                             const std::vector<QPointF>& hexes);

}  // namespace tessara
