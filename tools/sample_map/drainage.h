// Where the rain runs: the land on a grid of cells under a kilometre across, each cell
// draining into one neighbour, downhill all the way to the sea or off the map's edge. The
// rivers follow it and the roads are routed across the same cells.
#pragma once

#include <QPointF>
#include <cstdint>
#include <vector>

#include "landscape.h"

namespace tessara {

struct Drainage {
    int columns;
    int rows;
    double cellPixels;
    double pixelsPerKm;
    double seaLevel;
    std::vector<float> height;
    std::vector<float> roughness;  // 0 to 1 a cell, for the water and the roads to wander by
    std::vector<int> downstream;   // -1 where the water leaves: into the sea or off the map
    std::vector<int> flow;         // how many cells drain through each one, itself included
    int riverFlow;                 // the least flow that makes a river

    int cells() const { return columns * rows; }
    bool sea(int cell) const { return height[cell] < seaLevel; }
    bool river(int cell) const { return !sea(cell) && flow[cell] >= riverFlow; }
    QPointF centre(int cell) const;
    // The cell under a pixel, clamped to the map.
    int cellAt(QPointF pixel) const;
    // The up to eight cells around one, in a fixed order.
    std::vector<int> neighbours(int cell) const;
};

Drainage makeDrainage(const Landscape& land, std::uint64_t seed);

}  // namespace tessara
