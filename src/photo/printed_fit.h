// How the lines printed on a picture lie against a grid said to be drawn there, as a user
// checks a board at high zoom (and as the status box reports a flattened board's fit): a cut across
// the middle of every side the grid draws, where the printed line crosses it. The clear lines only
// count, as the finders take them; a hex counts as printed when four of its six sides carry a line
// where the grid puts it.
#pragma once

#include <QImage>

#include "grid/grid_options.h"

namespace tessara {

struct PrintedFit {
    double mean = 0;         // pixels from the grid's side to the line's centre
    double ninetyFifth = 0;  // pixels, the 95th percentile of the same
    int cuts = 0;            // sides that carry a clear line
    int hexes = 0;           // hexes with four sides printed within a pixel of the grid's
    // Of the lines within a pixel of the grid's sides, the others being other lines (a
    // road, a contour): the median and the farthest, and where that one is.
    double median = 0;
    double worst = 0;
    QPointF worstAt;
};

// `options` with hexPixels set, in the picture's own pixels.
PrintedFit printedFit(const QImage& picture, const GridOptions& options);

}  // namespace tessara
