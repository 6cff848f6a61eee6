// How far a found grid's lines lie from the known printed ones, as a user checks a fit at
// high zoom: over the printed area, every vertex of the known grid against the nearest
// vertex of the found one, and points along every side against the nearest side.
#pragma once

#include <QRectF>
#include <QSize>

#include "grid/grid_options.h"

namespace tessara::synthetic {

struct GridError {
    double max = 0;   // pixels
    double mean = 0;  // pixels
    int points = 0;   // how many points were measured
};

// Both options with hexPixels set. At most about `sides` sides are measured, spread evenly
// over the area (0: every one).
GridError gridError(const GridOptions& known, const GridOptions& found, QSize picture,
                    const QRectF& area, int sides = 0);

}  // namespace tessara::synthetic
