// A map scanned (or photographed) in overlapping sections joined into one flat board on its
// printed grid. Each section's grid is found as a photo's is (photo_finder.h) and its hexes
// counted in whole steps from a first hex along an upright grid of its own; two sections'
// hexes then differ by a whole number of steps, and which number is read from the map's
// content in the overlap: the colours of the middles of the printed hexes, inside their
// lines, correlated at every number of steps that makes an overlap, the surest taken when it
// stands clearly above any other more than two hexes away.
//
// Every section is then resampled once (bicubic) into one board, whose grid is the first
// section's carried over the others. Each hex of the board comes from one section that
// printed it, the one that holds it farthest from its own edges, so that the seams run along
// hex sides, half way through each overlap, where no section is near its edge: a cut, not a
// blend, so that no line is doubled where two sections' grids differ by a part of a pixel.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

#include "core/progress.h"
#include "grid/grid_options.h"
#include "photo/photo_flattening.h"

namespace tessara {

// The most sections one board is joined from.
inline constexpr int kMostSections = 16;

enum class JoiningProblem {
    None,
    NoGrid,       // `section` holds no printed hex grid the finder can follow
    NoOverlap,    // `section` shares no stretch of map with any other it can be placed by
    TooLong,      // the joined board would be longer than a picture may be
    OutOfMemory,  // no memory for the board
};

struct JoinedBoard {
    JoiningProblem problem = JoiningProblem::None;
    int section = -1;     // the section refused, counted from 0
    QImage board;         // Format_RGB32
    GridOptions options;  // the printed grid on the board: hexPixels set, upright
    FlatBoard plan;
    // Pixels of the board: how far apart two overlapping sections show the same patches round
    // hexes both printed, as phase correlation reads them, the median over the pair's
    // patches, for the pair that disagrees most. It is how far their grids disagree at a
    // seam, a part of a pixel when each was read well.
    double worstSeam = 0;
    QSize wanted;  // for TooLong
};

// Section k of `count` as a picture; a null picture when it cannot be read. Each is asked
// for twice (to find its grid, then to resample it), one at a time, and never kept; but the
// last, which is kept from its first reading to be joined first. Of three sections or more,
// each but the first is first asked for on a thread of its own, while the grid of the one
// before it is found: so it may be asked for even when that one is then refused.
using SectionSource = std::function<QImage(int k)>;

// The sections joined, with hexes `hexPixels` flat to flat (by default the largest seen on
// any of them). Throws WorkCancelled when the user stops it.
JoinedBoard joinSections(int count, const SectionSource& source, std::optional<double> hexPixels,
                         Progress& progress = noProgress());

}  // namespace tessara
