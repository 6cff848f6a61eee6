// A grid laid over a picture with its options. With every option at its default it is the
// plan the Generate Hex Grid button always drew, cell for cell. Otherwise the cells are
// placed in floating point, so that a grid moved by a tenth of a pixel moves by exactly
// that, and a fractional hex size never drifts across the map.
//
// A fitted grid is worked out in the frame of its lines: u runs along a line (a row, or a
// column), v across the lines. For rows u is x and v is y; for columns u is y and v is x.
// With h the hex size flat to flat, s the stretch, a = 0.288675 s h and p = 0.86602 s h:
//   centre of cell i of line j:  u = offset_u + i h + (j shifted ? 0 : h / 2)
//                                v = offset_v + a + j p
//   corners, from the centre:    (-h/2, -a) (-h/2, +a) (0, +2a) (+h/2, +a) (+h/2, -a) (0, -2a)
// Line 0 is the first line: the upper (left) ends of its side flats lie on the offset.
#pragma once

#include <QPointF>
#include <QRectF>
#include <array>

#include "core/numeric.h"
#include "grid/grid_geometry.h"
#include "grid/grid_options.h"
#include "image/picture_box.h"

namespace tessara {

inline constexpr double kHalfFlat = 0.288675;  // half the length of a flat, in hex sizes

struct GridLayout {
    GridProblem problem = GridProblem::None;
    GridOptions options;
    GridPlan plan;       // every option at its default: the plan the button always drew
    double hexSize = 0;  // h, flat to flat, in pixels
    int firstLine = 0;   // a fitted grid: the lines and the cells along them that cover
    int lastLine = -1;   // the picture, with one more all round, counted from the line
    int firstCell = 0;   // and the cell at the offset
    int lastCell = -1;

    bool fitted() const { return !options.isDefault(); }
    // Counts for the dimensions report.
    Integer rows() const;
    Integer columns() const;
};

// The grid of hexes `hexSize` units across on a picture of W x H pixels that shows a map
// `mapSize` units wide. Refuses an empty picture and a grid of more than kMaxCells lines or
// cells along a line.
GridLayout layoutGrid(Single pictureWidth, Single pictureHeight, Single hexSize, Single mapSize,
                      const GridOptions& options);

// The centre of cell `cell` on line `line` of a fitted grid, and its six corners from the
// upper (left) end of the flat before it, round by the far side; in picture pixels.
QPointF hexCentre(const GridLayout& layout, int line, int cell);
std::array<QPointF, 6> hexCorners(const GridLayout& layout, int line, int cell);

// Every segment of the grid's outline that may cross `area` (picture pixels), in the order
// the grid is drawn; each side shared by two hexagons comes once.
void traceGrid(const GridLayout& layout, const QRectF& area, const SegmentSink& sink);

// Draws the whole grid with the surface's pen, in pixels.
void drawLayout(PictureBox& surface, const GridLayout& layout);

}  // namespace tessara
