// The terrain of the hexes in Tiled's map: a tileset of a flat hex tile a class, the map's
// tile filled in the class's colour and named in the tile's property `terrain`, and the cells
// of a tile layer, each map hex's tile in the cell of its hex. The tileset is embedded in the
// map as a collection of images, each a PNG in base64: Tiled reads a tile's embedded image,
// where Tiled 1.8 reads a tileset's one image from a file only. So the board and its map stay
// a pair of files, and Tiled keeps the images embedded when it saves the map.
#pragma once

#include <QImage>
#include <QXmlStreamWriter>
#include <vector>

#include "boards/board_terrain.h"
#include "boards/straightening.h"

namespace tessara {

struct TiledTerrain {
    std::vector<BoardTerrainClass> classes;  // the tiles, from gid 1
    std::vector<int> cells;  // every cell of the map, row by row: a gid, or 0 where no hex is
};

// Each hex in the cell of the fitted hex its centre lies in: Tiled's tile (0, 0) is fitted
// hex (firstLine, firstCell), and a cell's column and row count the cells along the lines and
// the lines on from there (swapped for columns).
TiledTerrain tiledTerrain(const GridLayout& layout, const Straightening& straightening,
                          const BoardTerrain& terrain);

// A class's tile: the map's hexagon, pointy or flat topped as its lines run, opaque in the
// colour and transparent round it.
QImage terrainTile(const Straightening& straightening, const QColor& colour);

// The <tileset> element "Terrain", its first gid 1.
void writeTerrainTileset(QXmlStreamWriter& xml, const Straightening& straightening,
                         const TiledTerrain& terrain);

}  // namespace tessara
