// The Tiled map beside a straightened board: a hexagonal map whose tiles are the target's
// hexes (straightening.h), the board as an image layer at 0, 0 under an empty tile layer
// that covers it, for the user to fill with hex tiles of their own.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include "boards/straightening.h"

namespace tessara {

// The map's tiles across and down: every tile whose corner lies on the board.
QSize tiledMapTiles(const Straightening& straightening);

// The TMX text; `boardFile` is the board picture's name, relative to the map's folder.
QByteArray tiledMapText(const Straightening& straightening, const QString& boardFile);

}  // namespace tessara
