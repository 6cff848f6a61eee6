// "Generate Hex Grid": the grid is drawn into the full-resolution map, merged into its
// picture, and shown at normal size; the dimensions report then describes it.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include "grid/grid_generation.h"
#include "grid/grid_messages.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/grid_fitting.h"
#include "window/main_window.h"

namespace tessara {
void Form1::Command1_Click() {
    fitting_->fillSizesForFit();  // a grid fitted in pixels needs no sizes typed
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
        ProgressWindow progress(this, tr("Generate Hex Grid"), ProgressWindow::Cancel::NotOffered,
                                progressDelay_);
        outcome = generateGrid(picMap_, check.sizes, *pen, file, fitting_->options(),
                               fitting_->numbering(), progress);
    }
    if (outcome.failure != GridFailure::None) {
        Imgdisplay->update();  // it may have shown lines, drawn in place, that are put back
        services_.messages.MsgBox(
            gridFailedMessage(outcome.failure, file, outcome.reason, outcome.numbersLeftOut));
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
    if (outcome.numbersLeftOut) {
        services_.messages.MsgBox(numbersLeftOutMessage(outcome.numbersLeftOut->smallestHex));
    }
}

}  // namespace tessara
