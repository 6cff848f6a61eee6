// Finding the printed hex grid on a photo of a board: tilted to the camera, bent by the lens,
// on a table, under uneven light. Locally the grid on the photo is nearly affine, so the flat
// finder's lattice search reads it in overlapping tiles; the tiles' hex indices are chained
// into one lattice from the tile most of its neighbours agree with, outwards; a homography is
// fitted to the thousands of hex centres so indexed (RANSAC, OpenCV's findHomography), then
// the homography and the lens term together (photo_grid.h: nine numbers) by reweighted
// Gauss-Newton, first to the centres and at last to the printed lines themselves. Where they
// cannot follow the grid (warped paper: the centres far from them, or the lines off them),
// a smooth mesh (photo_warp.h) is fitted on top to what they leave, first of the centres,
// then of the lines, in turn with the nine numbers.
#pragma once

#include <QImage>
#include <QRectF>
#include <optional>

#include "core/progress.h"
#include "photo/photo_grid.h"

namespace tessara {

// A flat board's printed lines lie this close to the nine numbers at the 95th percentile,
// pixels (0.09 to 0.23 on the made-up photos); lines further from them are on warped paper.
// The hex centres cannot tell: read in tiles as affine lattices, a tilted photo's are 0.5
// to 2 px off a model that is right.
inline constexpr double kFlatLineReach = 0.5;

struct FoundPhotoGrid {
    PhotoGrid grid;
    QRectF cells;       // the lattice's indices read on the photo, with a hex more round them
    int tiles = 0;      // the tiles chained into the lattice
    int centres = 0;    // the hex centres the homography was fitted to
    int lineCuts = 0;   // the cuts that found a printed line on the fitted outline
    double median = 0;  // of the printed lines' distances from the outline, pixels
    double ninetyFifth = 0;
};

// Nothing when the photo shows no hex grid, or one the model cannot follow. Deterministic.
// Reports its progress and throws WorkCancelled when the user stops it.
std::optional<FoundPhotoGrid> findPhotoGrid(const QImage& photo, Progress& progress = noProgress());

// The grid of a flat scan, as a flatbed makes it, in the model above: the flat finder's
// grid (find_grid.h) fitted to the printed lines, in a small part of findPhotoGrid's time;
// nothing when it finds none, or when the lines do not follow it (a photo, a curled sheet),
// for findPhotoGrid to read. Reports its progress and throws WorkCancelled when stopped.
std::optional<FoundPhotoGrid> findFlatGrid(const QImage& picture,
                                           Progress& progress = noProgress());

}  // namespace tessara
