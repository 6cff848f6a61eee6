// The files that carry the terrain of every hex to games and other programs: a table
// (CSV) of one line a hex, HexJSON, the hex maps' own JSON format, and a table of the sides
// that line features follow.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/write_result.h"
#include "grid/grid_layout.h"
#include "terrain/hex_sides.h"
#include "terrain/map_hexes.h"
#include "terrain/terrain_classes.h"

namespace tessara {

// Where HexJSON places the hexes: its layout word (odd-r, even-r: rows shoved right;
// odd-q, even-q: columns shoved up) and each hex's column q and row r, both from 0, the
// rows counted up from the bottom one as HexJSON counts them.
struct HexJsonPlace {
    int q = 0;
    int r = 0;
};
struct HexJsonFrame {
    QString layout;
    std::vector<HexJsonPlace> places;  // in the order of the hexes
};
HexJsonFrame hexJsonFrame(const GridLayout& layout, const std::vector<MapHex>& hexes);

// A CSV field: as it is, or in double quotes (doubled within) where it holds a comma, a
// quote or a line break.
QString csvField(const QString& text);

// The header `hex,column,row,x,y,terrain,share` and a line a hex: its number, column and
// row, its centre in picture pixels and its share to two decimals.
QByteArray hexDataCsv(const std::vector<MapHex>& hexes, const TerrainMap& terrain);
// {"layout": .., "hexes": {"0101": {"q": .., "r": .., "terrain": .., "share": ..}, ..}}
QByteArray hexDataJson(const GridLayout& layout, const std::vector<MapHex>& hexes,
                       const TerrainMap& terrain);

// Writes the CSV or the HexJSON, as the name ends in .csv or .json, replacing the file
// whole or not at all (writeFileAtomically).
WriteResult writeHexData(const QString& path, const GridLayout& layout,
                         const std::vector<MapHex>& hexes, const TerrainMap& terrain);

// Where the sides go beside OUTPUT: its name without the extension, and .sides.csv.
QString sidesPath(const QString& output);

// The header `hex,side,neighbour,feature` and a line a side a feature follows: the hex, the
// way its neighbour lies (sideDirection), the neighbour and the feature's name; a hex the
// feature runs through is `hex,through,,feature`.
QByteArray hexSidesCsv(const std::vector<MapHex>& hexes, const std::vector<FeatureSide>& sides,
                       const std::vector<LineFeature>& features);
WriteResult writeHexSides(const QString& path, const std::vector<MapHex>& hexes,
                          const std::vector<FeatureSide>& sides,
                          const std::vector<LineFeature>& features);

}  // namespace tessara
