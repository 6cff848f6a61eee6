// The hexes a map's data is about: every hex of the grid whose centre lies on the picture,
// with the number, column and row the grid's numbering gives it. Terrain, sides and every
// hex data file walk this one list, in its order: line by line, along each line.
#pragma once

#include <QPointF>
#include <QString>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/hex_numbers.h"

namespace tessara {

struct MapHex {
    GridHex hex;
    QPointF centre;  // picture pixels
    int column = 0;  // as the numbering shows them (counted from its first number, 1 by default)
    int row = 0;
    QString number;  // "0101", in the numbering's format
};

std::vector<MapHex> mapHexes(const GridLayout& layout, const HexNumbering& numbering);

// The layout as a fitted grid, whose hexCorners give the corners of every hex: the button's
// grid is placed cell by cell, within half a pixel of this one.
GridLayout cornersGrid(const GridLayout& layout);

// Whether two hexes of the layout share a side.
bool areNeighbours(const GridLayout& layout, GridHex a, GridHex b);

}  // namespace tessara
