// A photo of a board flattened in one call: its printed grid found, the board planned and
// resampled, as `tessara flatten` and the window's flattening both do it; or planned alone,
// for a board then made band by band into its file.
#pragma once

#include <QImage>
#include <QSize>
#include <optional>
#include <vector>

#include "core/progress.h"
#include "core/write_result.h"
#include "grid/grid_options.h"
#include "photo/photo_flattening.h"

namespace tessara {

enum class FlatteningProblem {
    None,
    NoGrid,       // no printed hex grid the photo model can follow
    TooLong,      // the hex size asked makes a board longer than a picture may be
    OutOfMemory,  // no memory for the board
};

struct FlattenedBoard {
    FlatteningProblem problem = FlatteningProblem::None;
    QImage board;              // Format_RGB32; null when only planned
    PhotoGrid onPhoto;         // the grid on the photo that the board is resampled by
    GridOptions options;       // the printed grid on the board: hexPixels set, upright
    FlatBoard plan;            // its hex size, and the largest seen on the photo
    bool capped = false;       // the hexes made smaller than the largest seen (planFlatBoard)
    QSize wanted;              // for TooLong: the board the hex size asked for
    bool cornersOnly = false;  // flattened by four corners, no printed grid found after
};

// The board with hexes `hexPixels` flat to flat, or of the largest on the photo. Throws
// WorkCancelled when the user stops it, while the grid is looked for.
FlattenedBoard flattenByPrintedGrid(const QImage& photo, std::optional<double> hexPixels,
                                    Progress& progress = noProgress());

// flattenByPrintedGrid without the resampling: the board planned, `board` left null.
FlattenedBoard planByPrintedGrid(const QImage& photo, std::optional<double> hexPixels,
                                 Progress& progress = noProgress());

// The board of `hexes` (lattice indices) made from the photo by `grid`, its hexes as above,
// its margins to the paper's edge (board_edges.h).
// It is planned on `upright`, the same lattice on a picture whose upright is the board's
// and whose hexes are those it keeps: the photo itself, or a picture made from it.
FlattenedBoard flattenOnGrid(const QImage& photo, const PhotoGrid& grid, const PhotoGrid& upright,
                             const std::vector<QPointF>& hexes, std::optional<double> hexPixels,
                             Progress& progress = noProgress());

// flattenOnGrid without the resampling, the board's margins given: `board` left null.
FlattenedBoard planOnGrid(const PhotoGrid& grid, const PhotoGrid& upright,
                          const std::vector<QPointF>& hexes, std::optional<double> hexPixels,
                          const FlatMargins& margins);

// The planned board (`flat`, without a problem) made from `photo` and written to `path` in
// `format`, never half-written: a PNG made band by band and never held whole, as the
// command line writes it; another format resampled whole first. Throws std::bad_alloc when
// there is no memory for it.
WriteResult writeFlatBoard(const QImage& photo, const FlattenedBoard& flat, const QString& path,
                           const QByteArray& format);

}  // namespace tessara
