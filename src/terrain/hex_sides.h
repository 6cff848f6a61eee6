// The sides of the hexes, and the line features (rivers, roads, railways) that follow them.
// A feature is known by one side it follows (a legend's LineFeature); every other side
// whose middle shows the same colour along most of its length follows it too, and a hex
// whose middle that colour crosses is one the feature runs through.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "grid/grid_layout.h"
#include "terrain/hex_looks.h"
#include "terrain/map_hexes.h"
#include "terrain/terrain_legend.h"

namespace tessara {

// A side shared by two hexes of the map (indexes into the hexes, the first before the
// second in the map's order).
struct HexSide {
    int hex = 0;
    int neighbour = 0;
    friend bool operator==(const HexSide&, const HexSide&) = default;
};

// Every side two hexes of the map share, once each, in the order of the first hex.
std::vector<HexSide> mapSides(const GridLayout& layout, const std::vector<MapHex>& hexes);

// Which way a neighbour lies from a hex on the picture: "N", "NE", "E", "SE", "S", "SW",
// "W" or "NW", whichever of the six ways the grid's sides face is nearest.
QString sideDirection(const MapHex& from, const MapHex& to);

// The neighbour of a FeatureSide whose feature runs through its hex rather than along a side.
inline constexpr int kThrough = -1;

struct FeatureSide {
    HexSide side;     // side.neighbour kThrough: the feature runs through side.hex
    int feature = 0;  // index into the legend's features
    bool through() const { return side.neighbour == kThrough; }
};

// The sides each feature follows over most of their length, in the order of mapSides, and
// after them the hexes a feature runs through where it leaves the sides (its colour crosses
// the hex, away from the sides), in the map's order; a side that looks like two features
// goes to the nearer. `looks` are the hexes' own.
std::vector<FeatureSide> featureSides(const QImage& picture, const GridLayout& layout,
                                      const std::vector<MapHex>& hexes,
                                      const std::vector<HexLook>& looks,
                                      const std::vector<LineFeature>& features);

}  // namespace tessara
