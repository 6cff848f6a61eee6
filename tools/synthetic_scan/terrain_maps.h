// Small hex maps drawn as printed ones are, for the terrain tests: terrain in flat and
// patterned tints, following the hexes or ignoring them, under the grid, the hex numbers,
// a road and place names across the hexes and line features along hex sides, as a JPEG:
// small ones for the tests, a large one for the benchmark.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/hex_numbers.h"
#include "terrain/map_hexes.h"

namespace tessara::test {

struct TerrainMapCase {
    int classes = 4;       // 1 to 7
    bool natural = false;  // terrain that ignores the hexes
    GridOrientation orientation = GridOrientation::Rows;
    ShiftedLines shifted = ShiftedLines::First;
    unsigned seed = 1;
    std::vector<int> featureLines;  // a line feature along the sides below each of these lines
    std::vector<int> throughLines = {};  // the first one also runs through these lines' hexes
    QSize size{540, 420};
    double hexPixels = 40;
    int jpegQuality = 75;
};

struct TerrainTestMap {
    GridLayout layout;
    HexNumbering numbering;
    std::vector<MapHex> hexes;
    std::vector<int> truth;          // each hex's class that covers most of it
    std::vector<double> truthShare;  // and the share of it that class covers
    QImage picture;
    QByteArray jpeg;  // the picture's file
};

// `rotation`: degrees the grid is turned.
TerrainTestMap drawTerrainMap(const TerrainMapCase& c, double rotation = 0);

}  // namespace tessara::test
