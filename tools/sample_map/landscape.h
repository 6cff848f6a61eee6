// The lie of the land the whole map is drawn from: its height (sea below a level), where it
// is wet enough for woods, and how many pixels make a kilometre.
#pragma once

#include <QSize>
#include <cstdint>

#include "height_field.h"

namespace tessara {

// The map is this many kilometres across whatever its size in pixels, so that a small map
// is the large one scaled down and the scale bar always means the same.
inline constexpr double kMapWidthKm = 80.0;
inline constexpr double kHighestMetres = 640.0;
inline constexpr double kContourMetres = 50.0;
// Woods keep off the beach and the bare hilltops: they grow between these shares of the
// highest land.
inline constexpr double kWoodsLowest = 0.03;
inline constexpr double kWoodsHighest = 0.72;

struct Landscape {
    QSize size;
    double pixelsPerKm;
    CoarseField height;   // 0 at the lowest point, 1 at the highest
    CoarseField wetness;  // woods grow where it is above woodsLevel
    double seaLevel;
    double woodsLevel;

    bool isSea(QPointF pixel) const { return height.atPixel(pixel) < seaLevel; }
    // Height above the sea as a share of the highest land's, 0 on the shore.
    double landShare(double h) const { return (h - seaLevel) / (1.0 - seaLevel); }
    bool inWoods(QPointF pixel) const;
    // The figure a spot height prints.
    int metres(double h) const;
};

Landscape makeLandscape(QSize size, std::uint64_t seed);

}  // namespace tessara
