#include "photo/board_flattening.h"

#include <new>

#include "image/picture_export.h"
#include "image/png_bands.h"
#include "photo/board_edges.h"
#include "photo/photo_finder.h"

namespace tessara {
namespace {

// The planned board resampled from the photo: one step of the progress, on every core.
FlattenedBoard resampled(FlattenedBoard flat, const QImage& photo, Progress& progress) {
    if (flat.problem != FlatteningProblem::None) {
        return flat;
    }
    // The resampling runs on every core in one pass: it cannot stop half way.
    progress.step(QStringLiteral("Flattening the board"));
    flat.board = flattenPhoto(photo, flat.onPhoto, flat.plan);
    flat.problem = flat.board.isNull() ? FlatteningProblem::OutOfMemory : FlatteningProblem::None;
    return flat;
}

}  // namespace

FlattenedBoard planByPrintedGrid(const QImage& photo, std::optional<double> hexPixels,
                                 Progress& progress) {
    FlattenedBoard flat;
    flat.problem = FlatteningProblem::NoGrid;
    progress.step(QStringLiteral("Finding the printed grid"));
    const std::optional<FoundPhotoGrid> found = findPhotoGrid(photo, progress);
    if (!found) {
        return flat;
    }
    const std::vector<QPointF> hexes = printedHexes(photo, *found);
    return planOnGrid(found->grid, found->grid, hexes, hexPixels,
                      findBoardMargins(photo, found->grid, found->grid, hexes));
}

FlattenedBoard flattenByPrintedGrid(const QImage& photo, std::optional<double> hexPixels,
                                    Progress& progress) {
    return resampled(planByPrintedGrid(photo, hexPixels, progress), photo, progress);
}

FlattenedBoard planOnGrid(const PhotoGrid& grid, const PhotoGrid& upright,
                          const std::vector<QPointF>& hexes, std::optional<double> hexPixels,
                          const FlatMargins& margins) {
    FlattenedBoard flat;
    flat.problem = FlatteningProblem::NoGrid;
    if (hexes.empty()) {
        return flat;
    }
    const FlatPlan plan = planFlatBoard(upright, hexes, hexPixels, margins);
    if (!plan.board && hexPixels && plan.wanted.isValid()) {
        flat.problem = FlatteningProblem::TooLong;
        flat.wanted = plan.wanted;
        return flat;
    }
    const std::optional<GridOptions> options =
        plan.board ? flatGridOptions(*plan.board) : std::nullopt;
    if (!options) {
        return flat;
    }
    flat.problem = FlatteningProblem::None;
    flat.onPhoto = grid;
    flat.options = *options;
    flat.plan = *plan.board;
    flat.capped = plan.capped;
    return flat;
}

FlattenedBoard flattenOnGrid(const QImage& photo, const PhotoGrid& grid, const PhotoGrid& upright,
                             const std::vector<QPointF>& hexes, std::optional<double> hexPixels,
                             Progress& progress) {
    const FlatMargins margins =
        hexes.empty() ? FlatMargins{} : findBoardMargins(photo, grid, upright, hexes);
    return resampled(planOnGrid(grid, upright, hexes, hexPixels, margins), photo, progress);
}

WriteResult writeFlatBoard(const QImage& photo, const FlattenedBoard& flat, const QString& path,
                           const QByteArray& format) {
    if (format != "png") {
        const QImage board = flattenPhoto(photo, flat.onPhoto, flat.plan);
        if (board.isNull()) {
            throw std::bad_alloc();
        }
        return writeOutputFile(Picture(board), path, format);
    }
    const QImage rgb = photo.format() == QImage::Format_RGB32
                           ? photo
                           : photo.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) {
        throw std::bad_alloc();
    }
    return writePngInBands(path, flat.plan.size, [&](int top, QImage& band) {
        flattenRows(rgb, flat.onPhoto, flat.plan, top, band);
    });
}

}  // namespace tessara
