// Grid generation: the grid is drawn into the full-resolution map and merged into its
// picture through a temporary bitmap file.
#include "grid/grid_generation.h"

#include <new>

#include "grid/grid_layout.h"

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

GridOutcome drawGridOn(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                       const GridOptions& options, const HexNumbering& numbering) {
    picMap.setScaleMode(ScaleMode::Pixels);
    picMap.setDrawWidth(pen.width);
    picMap.setForeColor(pen.colour);
    const Single width = picMap.ScaleWidth();
    const Single height = picMap.ScaleHeight();
    const GridLayout layout = layoutGrid(width, height, sizes.hexSize, sizes.mapSize, options);
    if (layout.problem == GridProblem::NoPictureArea) {
        return {GridFailure::NoPictureArea, {}, {}};
    }
    if (layout.problem == GridProblem::TooManyCells) {
        return {GridFailure::TooManyCells, {}, {}};
    }
    std::optional<NumbersLeftOut> leftOut;
    try {
        drawLayout(picMap, layout);
        if (numbering.enabled) {
            leftOut = drawNumbers(picMap, layout, numbering, pen.colour);
        }
    } catch (const std::bad_alloc&) {
        picMap.Cls();
        return {GridFailure::OutOfMemory, {}, {}};
    }
    return {
        GridFailure::None,
        {},
        {sizes.mapSize, mapHeightOf(width, height, sizes.mapSize), layout.columns(), layout.rows()},
        leftOut};
}

GridOutcome generateGrid(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                         const QString& mergeFile, const GridOptions& options,
                         const HexNumbering& numbering) {
    const GridOutcome drawn = drawGridOn(picMap, sizes, pen, options, numbering);
    if (drawn.failure != GridFailure::None) {
        return drawn;
    }
    GridOutcome outcome = mergeDrawing(picMap, mergeFile);
    if (outcome.failure == GridFailure::None) {
        outcome.dimensions = drawn.dimensions;
        outcome.numbersLeftOut = drawn.numbersLeftOut;
    }
    return outcome;
}

}  // namespace tessara
