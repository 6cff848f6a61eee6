// Grid, Find Printed Grid on the main window, over made-up scans with a grid of known
// placement.
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>

#include "core/number_to_text.h"
#include "grid/find_grid.h"
#include "grid/grid_generation.h"
#include "grid_error.h"
#include "support/form_fixture.h"
#include "support/qt_print.h"
#include "support/test_files.h"
#include "synthetic_scan.h"
#include "view/status_box.h"
#include "window/measure_messages.h"

using namespace tessara;
using namespace tessara::test;
using namespace std::chrono_literals;

namespace {

// Columns of 44.3-pixel hexes turned 1.7 degrees, leaning and stretched, in grey lines over
// terrain, through JPEG: small enough to be found at once.
synthetic::ScanRecipe scanRecipe() {
    synthetic::ScanRecipe recipe;
    recipe.size = {480, 360};
    recipe.grid = {
        GridOrientation::Columns, 7.31, -4.62, ShiftedLines::First, 1.01, 44.3, 1.7, -0.3};
    recipe.lineGrey = 40;
    recipe.features = false;
    recipe.jpegQuality = 90;
    return recipe;
}

QImage whiteMap() {
    QImage map(400, 300, QImage::Format_RGB32);
    map.fill(Qt::white);
    return map;
}

}  // namespace

class FindPrintedGrid : public FormTest {
  protected:
    void load(const QImage& picture) {
        platform.dialogs.answer(writeImage(dir.path("map.png"), picture, "PNG"));
        action("mnuLoad")->trigger();
    }
    const GridOptions& options() { return form.fitting().options(); }
    QUndoStack* history() { return form.findChild<QUndoStack*>(); }
    QString status() { return form.findChild<StatusBox*>()->message(); }
    QString text(const char* box) { return control<QLineEdit>(box)->text(); }
    QImage shown() { return image()->grab().toImage(); }

    ScratchDir dir;
};

TEST_F(FindPrintedGrid, SetsEveryFieldToThePrintedGridInOneStepAndShowsIt) {
    const synthetic::ScanRecipe recipe = scanRecipe();
    load(synthetic::drawScan(recipe));
    const QImage before = shown();
    const std::optional<GridOptions> expected = findPrintedGrid(form.picMap().picture().image());
    ASSERT_TRUE(expected);
    const QString pixels = QString::number(*expected->hexPixels, 'f', 2);
    // With the map's width typed, the hex size box follows the hexes found; with nothing
    // typed, one unit a hex and as many units across as there are hexes.
    const struct Row {
        const char* guards;
        QString mapSize;
        QString hexSize;  // typed beforehand
        QString mapAfter, hexAfter;
        bool filled;  // the status says the sizes were filled in
    } rows[] = {
        {"empty boxes", "", "", singleToText(toSingle(480 / *expected->hexPixels)), "1", true},
        {"the map's width typed", "96", "", "96",
         singleToText(toSingle(*expected->hexPixels * 96 / 480)), false},
    };
    for (const Row& row : rows) {
        action("mnuResetGrid")->trigger();
        control<QLineEdit>("txtMapSize")->setText(row.mapSize);
        control<QLineEdit>("txtHexF")->setText(row.hexSize);
        const int steps = history()->count();
        action("mnuFindGrid")->trigger();
        EXPECT_TRUE(platform.messages.shown().empty()) << row.guards;
        EXPECT_EQ(options(), *expected) << row.guards << ": the same search, the same grid";
        EXPECT_EQ(history()->count(), steps + 1) << row.guards;
        EXPECT_EQ(history()->undoText(), "Find Printed Grid");
        EXPECT_EQ(text("txtMapSize"), row.mapAfter) << row.guards;
        EXPECT_EQ(text("txtHexF"), row.hexAfter) << row.guards;
        const QString found = foundGridStatus(*expected);
        EXPECT_TRUE(
            found.startsWith("Found a printed grid of " + pixels + "-pixel hexes in columns"));
        EXPECT_EQ(status(), row.filled ? found + ' ' + sizesFilledStatus(row.mapAfter, "1") : found)
            << row.guards;
    }
    const synthetic::GridError error =
        synthetic::gridError(recipe.grid, options(), recipe.size, printedArea(recipe));
    EXPECT_LT(error.max, 0.5);
    EXPECT_TRUE(form.fitting().previewShown());
    EXPECT_TRUE(action("mnuAlign")->isChecked());
    EXPECT_NE(shown(), before) << "the found grid is drawn over the map";

    history()->undo();
    EXPECT_EQ(options(), GridOptions{}) << "one undo takes the whole grid back";
    history()->redo();
    EXPECT_EQ(options(), *expected);

    // Generate Hex Grid draws the found grid, with nothing more typed.
    control<QPushButton>("Command1")->click();
    ASSERT_TRUE(platform.messages.shown().empty());
    PictureBox drawn(0, 0);
    drawn.setPicture(LoadPicture(dir.path("map.png")));
    const GridSizes sizes = checkGridSizes(text("txtMapSize"), text("txtHexF")).sizes;
    ASSERT_EQ(drawGridOn(drawn, sizes, {1, Qt::black}, *expected).failure, GridFailure::None);
    EXPECT_EQ(form.picMap().picture().image(), drawn.Image().image());
}

TEST_F(FindPrintedGrid, AMapWithoutAHexGridGetsOneMessageAndNothingChanges) {
    synthetic::ScanRecipe square = scanRecipe();
    square.pattern = synthetic::Pattern::Square;
    const struct {
        const char* guards;
        QImage map;
    } rows[] = {{"blank paper", whiteMap()}, {"a square grid", synthetic::drawScan(square)}};
    const GridOptions before{GridOrientation::Columns, 3, 4, ShiftedLines::Second, 1.02, 30.0};
    for (const auto& row : rows) {
        load(row.map);
        form.fitting().setOptions(before);
        control<QLineEdit>("txtMapSize")->setText("");
        const QString said = status();
        const int steps = history()->count();
        const size_t shown = platform.messages.shown().size();
        action("mnuFindGrid")->trigger();
        ASSERT_EQ(platform.messages.shown().size(), shown + 1) << row.guards << ": one message";
        EXPECT_EQ(platform.messages.shown().back(), noPrintedGridMessage()) << row.guards;
        EXPECT_EQ(options(), before) << row.guards;
        EXPECT_EQ(history()->count(), steps) << row.guards;
        EXPECT_EQ(text("txtMapSize"), "") << row.guards;
        EXPECT_EQ(status(), said) << row.guards;
    }
}

TEST_F(FindPrintedGrid, CancelChangesNothingAndSaysNothing) {
    form.setProgressDelay(0ms);
    load(synthetic::drawScan(scanRecipe()));
    QTimer::singleShot(0, &form, [this] {
        if (auto* dialog = form.findChild<QProgressDialog*>()) {
            dialog->cancel();
        }
    });
    action("mnuFindGrid")->trigger();
    EXPECT_EQ(options(), GridOptions{});
    EXPECT_EQ(history()->count(), 0);
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_EQ(form.findChild<QProgressDialog*>(), nullptr) << "gone with the search";
}

TEST_F(FindPrintedGrid, IsGreyedUntilAMapIsLoadedAndSitsBeforeMeasureHexes) {
    QAction* find = action("mnuFindGrid");
    EXPECT_FALSE(find->isEnabled());
    find->trigger();
    EXPECT_TRUE(platform.messages.shown().empty());
    const QList<QAction*> items = control<QMenu>("mnuGrid")->actions();
    ASSERT_TRUE(items.indexOf(find) >= 0);
    EXPECT_EQ(items.value(items.indexOf(find) + 1), action("mnuMeasureHexes"));
    EXPECT_EQ(find->text(), "&Find Printed Grid") << "Alt+G, F";
    load(whiteMap());
    EXPECT_TRUE(find->isEnabled());
}
