// What a hex looks like: the colour and texture of the map inside it, away from what is
// printed over the terrain. Only an inner hexagon is read, kInnerShare of the hex across,
// so that the grid's lines and the band along the sides are left out, and so is the box
// where the hex number sits. The inner hexagon is cut into parts with a look each,
// so that the share of a hex a terrain covers can be counted where terrain ignores hexes.
#pragma once

#include <QImage>
#include <array>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/hex_numbers.h"
#include "terrain/map_hexes.h"

namespace tessara {

// CIE L*, a*, b* and a texture: the mean change of L* from one pixel to the next. All four
// are in units of lightness, so that they weigh alike without rescaling per map (which
// would magnify the noise of whatever barely varies on a map).
inline constexpr size_t kLookSize = 4;
using Look = std::array<float, kLookSize>;

inline constexpr double kInnerShare = 0.8;  // of the hex across, about its centre
inline constexpr int kPartsAcross = 4;      // the inner hexagon's parts: a 4 x 4 grid over it

struct HexLook {
    Look whole;                  // its pixels' median colour, its parts' median texture
    std::vector<Look> parts;     // each the median colour and mean texture of its pixels
    std::vector<float> weights;  // the share of the whole hex each part stands for; sum 1
};

// The looks of the hexes (mapHexes), in their order. `numbering` says where the hex numbers
// sit, whether or not the grid draws them: maps print theirs in the same place.
std::vector<HexLook> readHexLooks(const QImage& picture, const GridLayout& layout,
                                  const HexNumbering& numbering, const std::vector<MapHex>& hexes);

// The median of the values, which it reorders.
float medianOf(std::vector<float>& values);

// The distance between two looks, squared.
float lookDistance(const Look& a, const Look& b);

}  // namespace tessara
