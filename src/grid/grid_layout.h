// A grid laid over a picture with its options: the one engine every drawing, preview,
// export and count walks. With every option at its default it is the plan the Generate Hex
// Grid button always drew, cell for cell. Otherwise the cells are placed in floating point,
// so that a grid moved by a tenth of a pixel moves by exactly that, and a fractional hex
// size never drifts across the map.
//
// A fitted grid is worked out in the frame of its lines (grid_placement.h): u runs along a
// line (a row, or a column), v across the lines. With h the hex size flat to flat, s the
// stretch, a = 0.288675 s h and p = 0.86602 s h:
//   centre of cell i of line j:  u = offset_u + i h + (j shifted ? 0 : h / 2)
//                                v = offset_v + a + j p
//   corners, from the centre:    (-h/2, -a) (-h/2, +a) (0, +2a) (+h/2, +a) (+h/2, -a) (0, -2a)
// where offset_u, offset_v are the offset's x, y for rows and y, x for columns. Line 0 is the
// first line: the upper (left) ends of its side flats lie on the offset. The frame's points
// are then placed on the picture, turned and leaning about its centre when asked.
#pragma once

#include <QPointF>
#include <QRectF>
#include <array>

#include "core/numeric.h"
#include "grid/grid_geometry.h"
#include "grid/grid_options.h"
#include "grid/grid_placement.h"
#include "image/picture_box.h"

namespace tessara {

inline constexpr double kHalfFlat = 0.288675;  // half the length of a flat, in hex sizes

struct GridLayout {
    GridProblem problem = GridProblem::None;
    GridOptions options;
    GridPlan plan;       // every option at its default: the plan the button always drew
    double hexSize = 0;  // h, flat to flat, in pixels
    QSizeF picture;      // W x H, in pixels
    GridPlacement placement;
    int firstLine = 0;  // a fitted grid: the lines and the cells along them that cover
    int lastLine = -1;  // the picture, with one more all round, counted from the line
    int firstCell = 0;  // and the cell at the offset
    int lastCell = -1;

    bool fitted() const { return !options.placedByDefault(); }
    // How far apart the flats across a line (the ones a ruler laid along a row, or a column,
    // crosses) lie on the picture: h, or less where the grid leans, since the lean tilts
    // those flats while the line keeps its direction. What a printed hex size measures.
    double flatsApart() const;
    QRectF pictureArea() const { return {QPointF(0, 0), picture}; }
    // Counts for the dimensions report: an upright grid's lines and cells, one more all round
    // for a fitted one; a turned one's lines and cells that have a centre on the picture.
    Integer rows() const;
    Integer columns() const;
};

// The grid of hexes `hexSize` units across on a picture of W x H pixels that shows a map
// `mapSize` units wide. Refuses an empty picture and a grid of more than kMaxCells lines or
// cells along a line.
GridLayout layoutGrid(Single pictureWidth, Single pictureHeight, Single hexSize, Single mapSize,
                      const GridOptions& options);

// The offset of a fitted grid in its frame, along the lines (u) and across them (v), as
// every hexagon is placed from it: an offset more than kMaxCells periods of the lattice away
// less whole periods, so that the grid is the same and is counted from near the picture.
QPointF frameOffset(const GridLayout& layout);

// One hexagon of a grid: the line it lies on (a row, or a column) and its place along the
// line. The button's grid counts its rows and columns from 0 here.
struct GridHex {
    int line = 0;
    int cell = 0;
};

// Every hexagon of the layout whose outline may cross `area` (picture pixels), in the order
// the grid is drawn: cell by cell along the lines, each across all the lines.
template <class Visit>
void forEachHex(const GridLayout& layout, const QRectF& area, Visit&& visit);

// The centre of a hexagon, in picture pixels.
QPointF hexCentre(const GridLayout& layout, GridHex hex);
// The hexagon a picture point lies in (the one whose centre is nearest, the grid stretched
// back to regular hexes); the button's grid as the fitted grid it is within half a pixel of.
GridHex hexAt(const GridLayout& layout, QPointF point);
// Where a hexagon lies along its line, in half hexes: neighbours on the next line are one
// half hex either way. Numbers count columns (rows) with it.
int halfHexesAlong(const GridLayout& layout, GridHex hex);
// The sides a hexagon draws, in drawing order; each side shared by two hexagons is drawn by
// one of them only.
void traceSides(const GridLayout& layout, GridHex hex, const SegmentSink& sink);

// The centre of cell `cell` on line `line` of a fitted grid, and its six corners from the
// upper (left) end of the flat before it, round by the far side; in picture pixels.
QPointF hexCentre(const GridLayout& layout, int line, int cell);
std::array<QPointF, 6> hexCorners(const GridLayout& layout, int line, int cell);

// Every segment of the grid's outline that may cross `area` (picture pixels), in the order
// the grid is drawn; each side shared by two hexagons comes once.
void traceGrid(const GridLayout& layout, const QRectF& area, const SegmentSink& sink);

// Every segment drawLayout draws on a picture of the layout's size, in its order and exactly
// as it hands them to the picture box.
void traceDrawn(const GridLayout& layout, const SegmentSink& sink);

// Draws the whole grid with the surface's pen, in pixels.
void drawLayout(PictureBox& surface, const GridLayout& layout);

// The range of hexagons forEachHex walks, and whether one of them may cross the area.
struct HexRange {
    int firstLine = 0;
    int lastLine = -1;
    int firstCell = 0;
    int lastCell = -1;
};
HexRange hexesOver(const GridLayout& layout, const QRectF& area);
bool mayCross(const GridLayout& layout, GridHex hex, const QRectF& area);

template <class Visit>
void forEachHex(const GridLayout& layout, const QRectF& area, Visit&& visit) {
    if (layout.problem != GridProblem::None) {
        return;
    }
    const HexRange range = hexesOver(layout, area);
    // Only a turned grid and the button's grid look at each hexagon: the lines of a fitted
    // upright one are already cut to the area.
    const bool each = !layout.fitted() || layout.placement.turned();
    for (int cell = range.firstCell; cell <= range.lastCell; ++cell) {
        for (int line = range.firstLine; line <= range.lastLine; ++line) {
            const GridHex hex{line, cell};
            if (!each || mayCross(layout, hex, area)) {
                visit(hex);
            }
        }
    }
}

}  // namespace tessara
