// The Tiled map beside a straightened board: a hexagonal map whose tiles are the target's
// hexes (straightening.h), the board as an image layer at 0, 0 under an empty tile layer
// that covers it, for the user to fill with hex tiles of their own; and, when the terrain of
// the hexes is known, a tile layer of it between the two (tiled_terrain.h).
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include "boards/straightening.h"
#include "boards/tiled_terrain.h"

namespace tessara {

// The map's tiles across and down: every tile whose corner lies on the board.
QSize tiledMapTiles(const Straightening& straightening);

// The tiles' size: tilewidth by tileheight.
QSize tiledTileSize(const Straightening& straightening);

// The TMX text; `boardFile` is the board picture's name, relative to the map's folder. A
// terrain with classes adds its tileset and its layer, "Terrain", under "Hexes".
QByteArray tiledMapText(const Straightening& straightening, const QString& boardFile,
                        const TiledTerrain* terrain = nullptr);

}  // namespace tessara
