// A photo of a board flattened by four points the user clicked, for a photo whose printed
// grid the finder cannot follow on its own (tilted far, the far hexes tiny, clutter all
// over): the corners of the printed area, or of any printed rectangle, and how many hexes
// it spans across and down. The homography that puts the four points on the corners of a
// rectangle of that shape squares the photo up; the printed grid is looked for on the
// squared picture, where it is nearly flat and even, and when it is found, the board is made
// from the photo by that grid carried back through the homography, in one resampling.
// Without a grid on it, the board is the four corners' alone: a hex centre on the first
// corner, as many hexes between the corners as typed.
#pragma once

#include <QImage>
#include <QPointF>
#include <array>
#include <optional>

#include "core/progress.h"
#include "grid/grid_options.h"
#include "photo/board_flattening.h"

namespace tessara {

struct BoardCorners {
    std::array<QPointF, 4> points;  // on the photo, in any order
    // Hexes, centre to centre, from the left corners to the right ones and from the top
    // corners to the bottom ones: whole or not.
    double across = 0;
    double down = 0;
    GridOrientation orientation = GridOrientation::Rows;
};

inline constexpr double kFewestCornerHexes = 1;
inline constexpr double kMostCornerHexes = 1000;

// The points round the quadrilateral they make: top left, top right, bottom right, bottom
// left as the photo shows them. Nothing when they make none that is convex, with every side
// at least `shortestSide` pixels.
std::optional<std::array<QPointF, 4>> cornersInOrder(const std::array<QPointF, 4>& points,
                                                     double shortestSide = 8);

// The board with hexes `hexPixels` flat to flat, or as large as the photo shows the
// rectangle's sides. NoGrid when the points make no quadrilateral, and the board's
// `cornersOnly` when no printed grid was found on the squared photo. Throws WorkCancelled
// when the user stops it while the grid is looked for.
FlattenedBoard flattenByCorners(const QImage& photo, const BoardCorners& corners,
                                std::optional<double> hexPixels, Progress& progress = noProgress());

}  // namespace tessara
