// Roads: every town joined to the network by the cheapest way across the land, which
// climbs as little as it can, keeps out of the sea and crosses rivers only where it must.
#pragma once

#include <QPainter>
#include <vector>

#include "drainage.h"
#include "paths.h"
#include "towns.h"

namespace tessara {

struct Road {
    Path path;
    bool main;
};

std::vector<Road> planRoads(const Drainage& drainage, const std::vector<Town>& towns, double scale);
void drawRoads(QPainter& painter, const std::vector<Road>& roads, double scale);

}  // namespace tessara
