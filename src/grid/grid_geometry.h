// The geometry of the hex grid: how wide a hexagon is in pixels, how many rows and columns
// cover the picture, and where each cell is drawn. Hexagons stand with their flats
// vertical; rows follow each other down at 0.86602 hex widths, and every other row is
// shifted by half a hex.
#pragma once

#include <QPointF>
#include <functional>

#include "core/numeric.h"

namespace tessara {

// Vertical distance between rows, in hex widths (a little less than the square root of 3
// over 2; the outline of a hexagon uses 0.86603).
inline constexpr double kRowPitch = 0.86602;

// The largest row or column count: the cells are counted with 16-bit integers that must
// still hold the count plus one.
inline constexpr Integer kMaxCells = 32766;

// The hex width in pixels: W x S / M, worked out in double precision.
Single hexWidth(Single pictureWidth, Single hexSize, Single mapSize);

enum class GridProblem {
    None,
    NoPictureArea,  // the picture is 0 pixels wide (or high)
    TooManyCells,   // more than kMaxCells rows or columns
};

// How many hexagons of which width cover a picture.
struct GridPlan {
    GridProblem problem = GridProblem::None;
    Single hexWidth = 0;  // h
    Integer rows = 0;     // R = Int(H / (h x 0.86602)) + 2
    Integer columns = 0;  // C = Int(W / h) + 2
};

// The plan for a picture of W x H pixels, a map M units wide and hexes S units across.
// The two extra rows and columns make the grid overshoot the picture's right and bottom
// edges.
GridPlan planGrid(Single pictureWidth, Single pictureHeight, Single hexSize, Single mapSize);

// One call of the hexagon drawing: a whole outline (flatOnly 0) or only its right flat.
struct HexCell {
    Long x = 0;
    Long y = 0;
    Integer flatOnly = 0;
    friend bool operator==(const HexCell&, const HexCell&) = default;
};

// The cell of column `column` and row `row`, both counted from 1. Odd rows start half a
// hex left of the picture and draw whole outlines; even rows draw only right flats,
// because their other sides are sides of the odd rows' hexagons.
HexCell cellAt(int column, int row, Single hexWidth);

// Receives the segments of a grid's outline, in picture pixels.
using SegmentSink = std::function<void(QPointF from, QPointF to)>;

// The map's height in distance units at the scale of its width: H x M / W.
Single mapHeightOf(Single pictureWidth, Single pictureHeight, Single mapSize);

}  // namespace tessara
