// Grid generation: the grid is drawn into the full-resolution map and merged into its
// picture through a temporary bitmap file.
#include "grid/grid_generation.h"

#include <new>

#include "grid/hex_grid.h"

namespace tessara {
namespace {

QString reasonOf(const PictureError& error) {
    return QString::fromStdString(error.what());
}

}  // namespace

GridOutcome mergeDrawing(PictureBox& picMap, const QString& file) {
    try {
        // The merged picture is let go before the file is read back, so that no more than
        // two full pictures are held at once.
        SavePicture(picMap.Image(), file);
    } catch (const PictureError& error) {
        picMap.Cls();
        return {GridFailure::CannotWrite, reasonOf(error), {}};
    } catch (const std::bad_alloc&) {
        picMap.Cls();
        return {GridFailure::OutOfMemory, {}, {}};
    }
    picMap.Cls();
    try {
        picMap.setPicture(LoadPicture(file));
    } catch (const PictureError& error) {
        return {GridFailure::CannotRead, reasonOf(error), {}};
    } catch (const std::bad_alloc&) {
        return {GridFailure::OutOfMemory, {}, {}};
    }
    return {};
}

GridOutcome generateGrid(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                         const QString& mergeFile) {
    picMap.setScaleMode(ScaleMode::Pixels);
    picMap.setDrawWidth(pen.width);
    picMap.setForeColor(pen.colour);
    const Single width = picMap.ScaleWidth();
    const Single height = picMap.ScaleHeight();
    const GridPlan plan = planGrid(width, height, sizes.hexSize, sizes.mapSize);
    if (plan.problem == GridProblem::NoPictureArea) {
        return {GridFailure::NoPictureArea, {}, {}};
    }
    if (plan.problem == GridProblem::TooManyCells) {
        return {GridFailure::TooManyCells, {}, {}};
    }
    try {
        drawGrid(picMap, plan);
    } catch (const std::bad_alloc&) {
        picMap.Cls();
        return {GridFailure::OutOfMemory, {}, {}};
    }
    GridOutcome outcome = mergeDrawing(picMap, mergeFile);
    if (outcome.failure == GridFailure::None) {
        outcome.dimensions = {sizes.mapSize, mapHeightOf(width, height, sizes.mapSize),
                              plan.columns, plan.rows};
    }
    return outcome;
}

}  // namespace tessara
