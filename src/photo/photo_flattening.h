// A photo of a board flattened by its printed grid: the board drawn again as a flat scan
// would show it, its printed grid an upright grid of regular hexes in rows or columns (the
// reading with the smaller turn, as the flat finder chooses). Each pixel of the flat board is
// a point of the grid's lattice, and the photo model (photo_grid.h) says where the photo
// shows it; the photo is resampled there with OpenCV's bicubic filter (cubic convolution,
// a = -0.75), on every core.
//
// The board covers the hexes whose printed outline is seen on the photo and, round them,
// the board's margin up to the paper's edge where board_edges.h finds it, or one whole hex
// where it does not.
#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <optional>
#include <vector>

#include "grid/grid_options.h"
#include "grid/lattice_fit.h"
#include "image/picture_memory.h"
#include "photo/photo_finder.h"

namespace tessara {

inline constexpr double kFlatMarginHexes = 1;  // beyond the outermost hexes printed

// How far the board reaches beyond its outermost printed hexes on each side, in hexes, from
// the hexes' flats or corners, whichever face that side.
struct FlatMargins {
    double left = kFlatMarginHexes;
    double top = kFlatMarginHexes;
    double right = kFlatMarginHexes;
    double bottom = kFlatMarginHexes;
};
// The longest side a map may have.
inline constexpr int kFlatLongestSide = static_cast<int>(kLongestSide);

// Where the flat board lies on the photo's lattice.
struct FlatBoard {
    QSize size;
    GridOrientation orientation = GridOrientation::Rows;
    double hexPixels = 0;       // flat to flat on the board
    double largestSeen = 0;     // the largest hex on the photo, flat to flat, pixels
    QPointF start;              // the lattice point of the board's pixel (0, 0)
    QPointF acrossStep;         // the lattice step of one pixel to the right
    QPointF downStep;           // and one pixel down
    QPointF centre;             // a hex centre on the board
    QRgb outside = 0xffffffff;  // the board where the photo does not reach: white

    QPointF toLattice(QPointF board) const {
        return start + board.x() * acrossStep + board.y() * downStep;
    }
    // The upright grid on the board, as the lattice fit reads it.
    LatticeOnPicture lattice() const;
};

// The hexes of the found lattice whose outline the photo shows printed: four of their six
// sides carry a clear line where the grid puts it. Their lattice indices.
std::vector<QPointF> printedHexes(const QImage& photo, const FoundPhotoGrid& found);

// The board of `hexes` (lattice indices, at least one) and `margins` round them, with hexes
// `hexPixels` flat to flat;
// without it, of the largest of them on the photo, so that no detail is lost, made smaller
// when the board would be longer than kFlatLongestSide a side (capped is then set). Nothing
// when hexes of `hexPixels` make too long a board.
struct FlatPlan {
    std::optional<FlatBoard> board;
    bool capped = false;
    QSize wanted;  // the board the hex size asked for
};
FlatPlan planFlatBoard(const PhotoGrid& grid, const std::vector<QPointF>& hexes,
                       std::optional<double> hexPixels, const FlatMargins& margins = {});

// The board, Format_RGB32, `board.outside` where the photo does not reach; a null picture
// when there is no memory for it.
QImage flattenPhoto(const QImage& photo, const PhotoGrid& grid, const FlatBoard& board);

// The board's rows from `top` on into `rows` (Format_RGB32, the board's width, as many rows
// as it holds) from `photo` (Format_RGB32): a board made band by band, never held whole.
// Throws std::bad_alloc when there is no memory for the work.
void flattenRows(const QImage& photo, const PhotoGrid& grid, const FlatBoard& board, int top,
                 QImage& rows);

// The options of the grid printed on the board: hexPixels set, stretch 1, no turn or lean.
std::optional<GridOptions> flatGridOptions(const FlatBoard& board);

}  // namespace tessara
