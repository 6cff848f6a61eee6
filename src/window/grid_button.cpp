// "Generate Hex Grid": the grid is drawn into the full-resolution map, merged into its
// picture, and shown at normal size; the dimensions report then describes it.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include "grid/grid_generation.h"
#include "grid/grid_messages.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"
#include "window/main_window.h"
#include "window/shown_choices.h"

namespace tessara {

namespace {

// A grid drawn into the map, kept so that Undo takes it back pixel for pixel and Redo draws
// it again: what the lines covered, or the map before it when the grid was drawn on a copy.
class DrawnGrid : public PictureStep {
  public:
    using Shown = std::function<void(bool drawn)>;
    DrawnGrid(PictureBox& map, PictureBox::MergedChange change, Shown shown)
        : PictureStep(QStringLiteral("Generate Hex Grid")),
          map_(map),
          change_(std::move(change)),
          shown_(std::move(shown)) {}

    void undo() override { exchange(false); }
    void redo() override {
        if (!drawn_) {  // the first redo is the press itself
            exchange(true);
        }
    }
    size_t bytes() const override {
        return change_.covered.empty() ? static_cast<size_t>(change_.before.image().sizeInBytes())
                                       : change_.covered.bytes();
    }

  private:
    void exchange(bool draw) {
        map_.exchange(change_, !draw);
        drawn_ = draw;
        shown_(draw);
    }

    PictureBox& map_;
    PictureBox::MergedChange change_;
    Shown shown_;
    bool drawn_ = true;
};

}  // namespace

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
    const GridChoices choices = drawnChoices(fitting_->window(), *fitting_, *printing_);
    const QString file = QString::fromLatin1(kMergeFile);
    GridOutcome outcome;
    {
        const BusyCursor busy;
        ProgressWindow progress(this, tr("Generate Hex Grid"), ProgressWindow::Cancel::NotOffered,
                                progressDelay_);
        outcome = generateGrid(picMap_, choices, file, progress);
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
    const GridDimensions before{state_.mapWidth, state_.mapHeight, state_.hexColumns,
                                state_.hexRows};
    const bool reported = mnuInformation->isEnabled();
    state_.mapWidth = outcome.dimensions.mapWidth;
    state_.mapHeight = outcome.dimensions.mapHeight;
    state_.hexColumns = outcome.dimensions.hexColumns;
    state_.hexRows = outcome.dimensions.hexRows;
    mnuNormal_Click();
    mnuInformation->setEnabled(true);
    // Undo gives back the map and the dimensions report as they were before the press; the
    // view keeps its zoom and place.
    const GridDimensions after = outcome.dimensions;
    history_->push(new DrawnGrid(picMap_, picMap_.takeLastMerge(), [=, this](bool drawn) {
        const GridDimensions& shown = drawn ? after : before;
        state_.mapWidth = shown.mapWidth;
        state_.mapHeight = shown.mapHeight;
        state_.hexColumns = shown.hexColumns;
        state_.hexRows = shown.hexRows;
        mnuInformation->setEnabled(drawn || reported);
        Imgdisplay->setPicture(picMap_.picture());
        Imgdisplay->update();
    }));
    if (outcome.numbersLeftOut) {
        services_.messages.MsgBox(numbersLeftOutMessage(outcome.numbersLeftOut->smallestHex));
    }
}

}  // namespace tessara
