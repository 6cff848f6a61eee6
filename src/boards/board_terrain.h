// The terrain of a map's hexes, for a program whose map can hold it (Tiled's Terrain layer):
// its classes, each a name and a colour, and each hex by its centre on the picture and its
// class. The boards only place what the terrain layer read; they do not read it themselves.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <vector>

namespace tessara {

struct BoardTerrainClass {
    QString name;
    QColor colour;
};

struct BoardTerrainHex {
    QPointF centre;        // picture pixels
    int terrainClass = 0;  // index into the classes
};

struct BoardTerrain {
    std::vector<BoardTerrainClass> classes;  // none: the map holds no terrain
    std::vector<BoardTerrainHex> hexes;
};

}  // namespace tessara
