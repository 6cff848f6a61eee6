// The map under the grid: terrain colours from smooth noise, woods of little tree symbols
// and thin brown contour lines that a finder must not take for grid lines.
#pragma once

#include <QImage>
#include <QRectF>

#include "sample_map/random.h"

namespace tessara::synthetic {

// Smooth noise in [0, 1] at a point, with features about `scale` pixels across.
double smoothNoise(std::uint64_t seed, double x, double y, double scale);

// Paints the terrain over all of `picture` (Format_RGB32).
void paintTerrain(QImage& picture, Random& random);

}  // namespace tessara::synthetic
