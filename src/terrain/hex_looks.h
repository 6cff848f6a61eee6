// What a hex looks like: the colour and texture of the map inside it, away from what is
// printed over the terrain. Only an inner hexagon is read, kInnerShare of the hex across,
// so that the grid's lines and the band along the sides are left out, and so is the box
// where the hex number sits. The inner hexagon is cut into parts with a look each,
// so that the share of a hex a terrain covers can be counted where terrain ignores hexes.
#pragma once

#include <QImage>
#include <QPointF>
#include <array>
#include <span>
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

// The median of the values: the middle one in order, or of the two in the middle the
// greater. At least one value.
float medianOf(std::span<const float> values);

// Medians found many times over, keeping the memory they work in from one to the next.
class MedianFinder {
  public:
    // As medianOf.
    float of(std::span<const float> values);
    // The median of all the values of the sets, whose own medians are `medians` (any for an
    // empty set), as `of` would find it of them all together, without ordering them all. At
    // least one set holds a value.
    float ofAll(std::span<const std::span<const float>> sets, std::span<const float> medians);

  private:
    // The value that is k-th in order.
    float nth(std::span<const float> values, size_t k);

    std::vector<float> between_;
    std::vector<float> scratch_;
};

// The distance between two looks, squared.
float lookDistance(const Look& a, const Look& b);

// Whether a point lies in the hexagon of these corners, or on its edge.
bool insideHexagon(const std::array<QPointF, 6>& corners, QPointF point);

}  // namespace tessara
