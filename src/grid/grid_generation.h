// Grid generation apart from the window: the pen is set on the map's picture box, the grid
// drawn on it, and the drawing merged into its picture through a temporary bitmap file.
// Nothing here touches a widget, so the benchmark runs exactly this.
#pragma once

#include <QString>

#include "core/numeric.h"
#include "core/progress.h"
#include "grid/grid_choices.h"
#include "grid/grid_options.h"
#include "grid/grid_parameters.h"
#include "grid/number_stamps.h"
#include "image/picture_box.h"

namespace tessara {

// The temporary bitmap, in the current folder, through which the drawing joins the
// picture. It is left in place afterwards.
inline constexpr const char* kMergeFile = "tmp.bmp";

enum class GridFailure {
    None,
    NoPictureArea,
    TooManyCells,
    OutOfMemory,
    CannotWrite,        // the temporary file could not be written
    CannotRead,         // nor read back
    WouldOverwriteMap,  // the temporary file is the very file the map was loaded from
    NothingToDraw,      // no lines, and no numbers (or none large enough to read)
};

// The map's and the grid's dimensions, kept for the dimensions report.
struct GridDimensions {
    Single mapWidth = 0;
    Single mapHeight = 0;
    Integer hexColumns = 0;
    Integer hexRows = 0;
    friend bool operator==(const GridDimensions&, const GridDimensions&) = default;
};

struct GridOutcome {
    GridOutcome(GridFailure failure = GridFailure::None, QString reason = {},
                GridDimensions dimensions = {}, std::optional<NumbersLeftOut> leftOut = {})
        : failure(failure),
          reason(std::move(reason)),
          dimensions(dimensions),
          numbersLeftOut(leftOut) {}

    GridFailure failure;
    QString reason;             // why the temporary file failed, in words for the user
    GridDimensions dimensions;  // on success
    std::optional<NumbersLeftOut> numbersLeftOut;  // the grid is drawn, its numbers not
};

// The failure of drawing a grid whose layout has this problem; None for none.
GridFailure failureOf(GridProblem problem);

// Writes the picture with its drawing to `file`, discards the drawing and makes the file
// the picture. On failure the drawing is discarded and the picture stays as it was.
GridOutcome mergeDrawing(PictureBox& picMap, const QString& file,
                         Progress& progress = noProgress());

// Sets the pen (the options' colour, style and opacity) and the pixel scale on `picMap` and
// draws the grid on it, to be merged or written out; its dimensions on success. On failure
// nothing stays drawn.
GridOutcome drawGridOn(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                       const GridOptions& options = {}, const HexNumbering& numbering = {});
// The same for a grid value, on its layout for this picture (layoutFor), built once by the
// caller for everything the request does with it.
GridOutcome drawGridOn(PictureBox& picMap, const GridChoices& choices, const GridLayout& layout);

// Draws the grid and merges it into the picture through `mergeFile`. On any failure the
// picture is left as it was (the pen stays set).
GridOutcome generateGrid(PictureBox& picMap, const GridSizes& sizes, const GridPen& pen,
                         const QString& mergeFile, const GridOptions& options = {},
                         const HexNumbering& numbering = {}, Progress& progress = noProgress());
// The same for a grid value.
GridOutcome generateGrid(PictureBox& picMap, const GridChoices& choices, const QString& mergeFile,
                         Progress& progress = noProgress());

}  // namespace tessara
