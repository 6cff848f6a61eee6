// Grid, Find Printed Grid on the main window, over made-up scans with a grid of known place.
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "core/number_to_text.h"
#include "grid/find_grid.h"
#include "grid/grid_generation.h"
#include "grid_error.h"
#include "support/form_fixture.h"
#include "support/test_files.h"
#include "synthetic_scan.h"
#include "view/status_box.h"
#include "window/edit_history.h"
#include "window/measure_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// Columns of 44.3-pixel hexes, turned, leaning and stretched, in grey lines over terrain.
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

class FindPrintedGrid : public FormTest {
  protected:
    void load(const QImage& picture) {
        platform.dialogs.answer(writeImage(dir.path("map.png"), picture, "PNG"));
        action("mnuLoad")->trigger();
    }
    const GridOptions& options() { return form.fitting().options(); }
    EditHistory* history() { return form.findChild<EditHistory*>(); }
    QString status() { return form.findChild<StatusBox*>()->message(); }
    QString text(const char* box) { return control<QLineEdit>(box)->text(); }

    ScratchDir dir;
    const synthetic::ScanRecipe recipe = scanRecipe();
};

}  // namespace

TEST_F(FindPrintedGrid, SetsEveryFieldInOneStepShowsItAndGenerateDrawsIt) {
    load(synthetic::drawScan(recipe));
    const QImage before = image()->grab().toImage();
    const std::optional<GridOptions> found = findPrintedGrid(form.picMap().picture().image());
    ASSERT_TRUE(found);
    action("mnuFindGrid")->trigger();
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_EQ(options(), *found) << "the same map, the same grid";
    EXPECT_LT(synthetic::gridError(recipe.grid, options(), recipe.size, printedArea(recipe)).max,
              0.5);
    EXPECT_TRUE(action("mnuAlign")->isChecked());
    EXPECT_NE(image()->grab().toImage(), before) << "the preview shows the grid found";
    // The empty size boxes: one unit a hex, as many units across as there are hexes.
    const QString width = singleToText(toSingle(480 / *found->hexPixels));
    EXPECT_EQ(text("txtMapSize"), width);
    EXPECT_EQ(text("txtHexF"), "1");
    EXPECT_EQ(status(), foundGridStatus(*found) + ' ' + sizesFilledStatus(width, "1"));
    EXPECT_TRUE(status().startsWith(
        QStringLiteral("Found a printed grid of %1-pixel hexes in columns, turned 1.")
            .arg(*found->hexPixels, 0, 'f', 2)));

    EXPECT_EQ(history()->count(), 1);
    history()->undo();
    EXPECT_EQ(options(), GridOptions{}) << "one undo takes all of it back";
    history()->redo();
    control<QPushButton>("Command1")->click();
    ASSERT_TRUE(platform.messages.shown().empty());
    PictureBox drawn(0, 0);
    drawn.setPicture(LoadPicture(dir.path("map.png")));
    const GridSizes sizes = checkGridSizes(width, "1").sizes;
    ASSERT_EQ(drawGridOn(drawn, sizes, {1, Qt::black}, *found).failure, GridFailure::None);
    EXPECT_EQ(form.picMap().picture().image(), drawn.Image().image());
}

TEST_F(FindPrintedGrid, AMapWithoutAHexGridGetsOneMessageAndNothingChanges) {
    QImage blank(400, 300, QImage::Format_RGB32);
    blank.fill(Qt::white);
    load(blank);
    const GridOptions before{GridOrientation::Columns, 3, 4, ShiftedLines::Second, 1.02, 30.0};
    form.fitting().setOptions(before);
    action("mnuFindGrid")->trigger();
    EXPECT_EQ(platform.messages.shown(), std::vector{noPrintedGridMessage()});
    EXPECT_EQ(options(), before);
    EXPECT_EQ(history()->count(), 1);
    EXPECT_EQ(status(), "");
}

TEST_F(FindPrintedGrid, CancelChangesNothingAndSaysNothing) {
    form.setProgressDelay(std::chrono::milliseconds(0));
    load(synthetic::drawScan(recipe));
    QTimer::singleShot(0, &form, [this] {
        if (auto* progress = form.findChild<QProgressDialog*>()) {
            progress->cancel();
        }
    });
    action("mnuFindGrid")->trigger();
    EXPECT_EQ(options(), GridOptions{});
    EXPECT_EQ(history()->count(), 0);
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_EQ(form.findChild<QProgressDialog*>(), nullptr) << "gone with the search";
}

TEST_F(FindPrintedGrid, IsGreyedUntilAMapIsLoadedAndComesBeforeMeasureHexes) {
    QAction* find = action("mnuFindGrid");
    EXPECT_FALSE(find->isEnabled());
    const QList<QAction*> items = control<QMenu>("mnuGrid")->actions();
    EXPECT_EQ(items.value(items.indexOf(find) + 1), action("mnuFlattenPhoto"));
    EXPECT_EQ(items.value(items.indexOf(find) + 2), action("mnuFlattenCorners"));
    EXPECT_EQ(items.value(items.indexOf(find) + 3), action("mnuMeasureHexes"));
    EXPECT_EQ(find->text(), "&Find Printed Grid") << "Alt+G, F";
    load(synthetic::drawScan(recipe));
    EXPECT_TRUE(find->isEnabled());
}
