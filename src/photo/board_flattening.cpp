#include "photo/board_flattening.h"

#include "photo/photo_finder.h"

namespace tessara {

FlattenedBoard flattenByPrintedGrid(const QImage& photo, std::optional<double> hexPixels,
                                    Progress& progress) {
    FlattenedBoard flat;
    flat.problem = FlatteningProblem::NoGrid;
    progress.step(QStringLiteral("Finding the printed grid"));
    const std::optional<FoundPhotoGrid> found = findPhotoGrid(photo, progress);
    if (!found) {
        return flat;
    }
    return flattenOnGrid(photo, found->grid, found->grid, printedHexes(photo, *found), hexPixels,
                         progress);
}

FlattenedBoard flattenOnGrid(const QImage& photo, const PhotoGrid& grid, const PhotoGrid& upright,
                             const std::vector<QPointF>& hexes, std::optional<double> hexPixels,
                             Progress& progress) {
    FlattenedBoard flat;
    flat.problem = FlatteningProblem::NoGrid;
    if (hexes.empty()) {
        return flat;
    }
    const FlatPlan plan = planFlatBoard(upright, hexes, hexPixels);
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
    // The resampling runs on every core in one pass: it cannot stop half way.
    progress.step(QStringLiteral("Flattening the board"));
    flat.board = flattenPhoto(photo, grid, *plan.board);
    flat.problem = flat.board.isNull() ? FlatteningProblem::OutOfMemory : FlatteningProblem::None;
    flat.options = *options;
    flat.plan = *plan.board;
    flat.capped = plan.capped;
    return flat;
}

}  // namespace tessara
