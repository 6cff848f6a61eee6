// Grid generation: the grid is drawn into the full-resolution map and merged into its
// picture through a temporary bitmap file.
#include "grid/grid_generation.h"

#include <QFileInfo>
#include <new>

#include "grid/grid_layout.h"

namespace tessara {
namespace {

QString reasonOf(const PictureError& error) {
    return QString::fromStdString(error.what());
}

}  // namespace

GridOutcome mergeDrawing(PictureBox& picMap, const QString& file, Progress& progress) {
    const FileIdentity source = picMap.picture().source();
    if (!source.isNull() && identityOf(file) == source) {
        picMap.Cls();  // writing the file would destroy the map it holds
        return {GridFailure::WouldOverwriteMap, {}, {}};
    }
    try {
        // The file is scratch: it need not reach the disk before it is read back.
        progress.step(QStringLiteral("Writing %1").arg(QFileInfo(file).fileName()));
        SavePicture(picMap.Image(), file, Durability::Cached, progress);
    } catch (const PictureError& error) {
        picMap.Cls();
        return {GridFailure::CannotWrite, reasonOf(error), {}};
    } catch (const std::bad_alloc&) {
        picMap.Cls();
        return {GridFailure::OutOfMemory, {}, {}};
    }
    try {
        // The file is read back into the drawing layer's memory, already mapped and of the
        // right size (the map's own, when drawn in place): no picture's memory is made afresh.
        progress.step(QStringLiteral("Reading it back"));
        picMap.mergeLayer(
            [&](QImage memory) { return LoadBitmapInto(file, std::move(memory), progress); });
    } catch (const PictureError& error) {
        return {GridFailure::CannotRead, reasonOf(error), {}};
    } catch (const std::bad_alloc&) {
        return {GridFailure::OutOfMemory, {}, {}};
    }
    return {};
}

namespace {

// The pen of the options (their colour, style and opacity) and the pixel scale on the map.
QColor setPen(PictureBox& picMap, const GridPen& pen, const GridOptions& options) {
    const QColor colour = lineColourOf(pen, options);
    picMap.setScaleMode(ScaleMode::Pixels);
    picMap.setDrawWidth(pen.width);
    picMap.setForeColor(colour);
    picMap.setDrawStyle(dashStyleOf(options.lineStyle));
    picMap.setDrawOpacity(options.opacity);
    return colour;
}

GridOutcome drawLaidOut(PictureBox& picMap, const GridLayout& layout, const GridSizes& sizes,
                        const QColor& colour, const HexNumbering& numbering) {
    if (layout.problem != GridProblem::None) {
        return {failureOf(layout.problem), {}, {}};
    }
    const GridOptions& options = layout.options;
    const bool lines = options.lineStyle != LineStyle::None;
    if (!lines && !numbering.enabled) {
        return {GridFailure::NothingToDraw, {}, {}};
    }
    std::optional<NumbersLeftOut> leftOut;
    try {
        if (lines) {
            drawLayout(picMap, layout);
        }
        if (numbering.enabled) {
            leftOut = drawNumbers(picMap, layout, numbering, colour, options.opacity);
        }
    } catch (const std::bad_alloc&) {
        picMap.Cls();
        return {GridFailure::OutOfMemory, {}, {}};
    }
    if (!lines && leftOut) {
        picMap.Cls();
        return {GridFailure::NothingToDraw, {}, {}, leftOut};
    }
    const auto width = static_cast<Single>(layout.picture.width());
    const auto height = static_cast<Single>(layout.picture.height());
    return {
        GridFailure::None,
        {},
        {sizes.mapSize, mapHeightOf(width, height, sizes.mapSize), layout.columns(), layout.rows()},
        leftOut};
}

}  // namespace

GridFailure failureOf(GridProblem problem) {
    switch (problem) {
        case GridProblem::NoPictureArea:
            return GridFailure::NoPictureArea;
        case GridProblem::TooManyCells:
            return GridFailure::TooManyCells;
        case GridProblem::None:
            break;
    }
    return GridFailure::None;
}

GridOutcome drawGridOn(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                       const GridOptions& options, const HexNumbering& numbering) {
    const QColor colour = setPen(picMap, pen, options);
    const GridLayout layout = layoutGrid(picMap.ScaleWidth(), picMap.ScaleHeight(), sizes.hexSize,
                                         sizes.mapSize, options);
    return drawLaidOut(picMap, layout, sizes, colour, numbering);
}

GridOutcome drawGridOn(PictureBox& picMap, const GridChoices& choices, const GridLayout& layout) {
    const QColor colour = setPen(picMap, choices.pen(), choices.options);
    return drawLaidOut(picMap, layout, choices.sizes(), colour, choices.numbering);
}

GridOutcome generateGrid(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                         const QString& mergeFile, const GridOptions& options,
                         const HexNumbering& numbering, Progress& progress) {
    progress.step(QStringLiteral("Drawing the grid"));
    // No copy of the map for the drawing: a failure puts back what the lines covered.
    picMap.drawInPlace();
    const GridOutcome drawn = drawGridOn(picMap, sizes, pen, options, numbering);
    if (drawn.failure != GridFailure::None) {
        picMap.Cls();
        return drawn;
    }
    GridOutcome outcome = mergeDrawing(picMap, mergeFile, progress);
    if (outcome.failure == GridFailure::None) {
        outcome.dimensions = drawn.dimensions;
        outcome.numbersLeftOut = drawn.numbersLeftOut;
    }
    return outcome;
}

GridOutcome generateGrid(PictureBox& picMap, const GridChoices& choices, const QString& mergeFile,
                         Progress& progress) {
    return generateGrid(picMap, choices.sizes(), choices.pen(), mergeFile, choices.options,
                        choices.numbering, progress);
}

}  // namespace tessara
