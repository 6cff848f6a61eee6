// What a printed map draws over its terrain and across the grid: a river and a road that
// cross the whole printed area, and place names, some with a white halo that cuts the grid.
#pragma once

#include <QPainter>
#include <QRectF>

#include "sample_map/random.h"

namespace tessara::synthetic {

// The river and the road, under the grid.
void paintRiverAndRoad(QPainter& painter, const QRectF& area, Random& random);

// Place names, over the grid.
void paintLabels(QPainter& painter, const QRectF& area, Random& random);

// The title above the printed area and a line of small print below it, in the margin.
void paintTitle(QPainter& painter, const QRectF& area, QSize picture);

}  // namespace tessara::synthetic
