// The names that are not towns': spot heights on the hilltops and the sea's name.
#pragma once

#include <QPainter>
#include <QRectF>
#include <vector>

#include "drainage.h"
#include "landscape.h"
#include "names.h"
#include "towns.h"

namespace tessara {

// A few of the highest tops, apart from each other and from the towns, with a triangle and
// their height in metres.
void drawSpotHeights(QPainter& painter, const Landscape& land, const Drainage& drainage,
                     const std::vector<Town>& towns, const QRectF& keepClear);

// The sea's name, at the point of open water farthest from any land.
void drawSeaName(QPainter& painter, const Landscape& land, const Drainage& drainage,
                 const QRectF& keepClear, NameMaker& names);

}  // namespace tessara
