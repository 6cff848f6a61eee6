// The ground itself, pixel by pixel: sea with water-lines, the coast, the land tinted by
// height and shaded from the north-west, contour lines, and the woods.
#pragma once

#include <QImage>

#include "landscape.h"

namespace tessara {

// Draws over every pixel of `image`, which has the landscape's size and a 32-bit format.
void paintTerrain(QImage& image, const Landscape& land);

// Line widths grow with the map, so a map of any size looks like the default one scaled.
double lineScale(QSize size);

}  // namespace tessara
