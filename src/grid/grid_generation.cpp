// "Generate Hex Grid": the grid is drawn into the full-resolution map, merged into its
// picture, and shown at normal size; the dimensions report then describes it.
#include "grid/grid_generation.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <new>

#include "grid/grid_messages.h"
#include "grid/hex_grid.h"
#include "window/busy_cursor.h"
#include "window/main_window.h"

namespace tessara {
namespace {

QString reasonOf(const PictureError& error) {
    return QString::fromStdString(error.what());
}

Message failureMessage(const GridOutcome& outcome, const QString& file) {
    switch (outcome.failure) {
        case GridFailure::NoPictureArea:
            return emptyMapPictureMessage();
        case GridFailure::TooManyCells:
            return tooManyHexesMessage();
        case GridFailure::CannotWrite:
            return mergeWriteFailedMessage(file, outcome.reason);
        case GridFailure::CannotRead:
            return mergeReadFailedMessage(file, outcome.reason);
        case GridFailure::OutOfMemory:
        case GridFailure::None:
            break;
    }
    return gridOutOfMemoryMessage();
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

void Form1::Command1_Click() {
    const GridSizeCheck check = checkGridSizes(txtMapSize->text(), txtHexF->text());
    if (check.problem == GridSizeProblem::MapSize) {
        services_.messages.MsgBox(invalidMapSizeMessage());
        txtMapSize->setFocus();
        return;
    }
    if (check.problem == GridSizeProblem::HexSize) {
        services_.messages.MsgBox(invalidHexSizeMessage());
        txtHexF->setFocus();
        return;
    }
    const std::optional<GridPen> pen =
        gridPen(cmbColour->currentIndex(), cmbThick->currentIndex(), state_.lineWidths);
    if (!pen) {
        services_.messages.MsgBox(noGridPenMessage());
        return;
    }
    const QString file = QString::fromLatin1(kMergeFile);
    GridOutcome outcome;
    {
        const BusyCursor busy;
        outcome = generateGrid(picMap_, check.sizes, *pen, file);
    }
    if (outcome.failure != GridFailure::None) {
        services_.messages.MsgBox(failureMessage(outcome, file));
        if (outcome.failure == GridFailure::TooManyCells) {
            txtHexF->setFocus();  // the hex size is what to change
        }
        return;
    }
    state_.mapWidth = outcome.dimensions.mapWidth;
    state_.mapHeight = outcome.dimensions.mapHeight;
    state_.hexColumns = outcome.dimensions.hexColumns;
    state_.hexRows = outcome.dimensions.hexRows;
    mnuNormal_Click();
    mnuInformation->setEnabled(true);
}

}  // namespace tessara
