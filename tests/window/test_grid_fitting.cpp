// Grid fitting driven as a feature of its own, without the main window: a bare window with
// the parts the feature reaches.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>
#include <string_view>
#include <vector>

#include "support/qt_print.h"
#include "support/scripted_services.h"
#include "view/image_control.h"
#include "view/status_box.h"
#include "view/viewport.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"
#include "window/measure_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

class Parts : public ::testing::Test {
  protected:
    Parts() : dialog(platform.dialogs, &platform.printers, &platform.help), map(0, 0) {
        QImage white(400, 300, QImage::Format_RGB32);
        white.fill(Qt::white);
        map.setPicture(Picture(white));
        mapSize.setText("100");
        hexSize.setText("25");
        colour.addItems({"black", "blue"});
        thickness.addItem("1");
        image->setWidth(400 * kTwipsPerPixel);
        image->setHeight(300 * kTwipsPerPixel);
    }
    MapWindow parts() {
        MapWindow parts(&window, platform.services());
        parts.dialog = &dialog;
        parts.map = &map;
        parts.image = image;
        parts.viewport = viewport;
        parts.mapSize = &mapSize;
        parts.hexSize = &hexSize;
        parts.colour = &colour;
        parts.thickness = &thickness;
        parts.lineWidths = &widths;
        parts.progressDelay = &delay;
        parts.history = &history;
        parts.status = status;
        parts.closeUp = [this](int across, int down) { closeUps.emplace_back(across, down); };
        return parts;
    }

    TestPlatform platform;
    QWidget window;
    CommonDialog dialog;
    PictureBox map;
    Viewport* viewport = new Viewport(&window);
    ImageControl* image = new ImageControl(viewport->inner());
    QLineEdit mapSize, hexSize;
    QComboBox colour, thickness;
    std::array<Integer, 7> widths{1, 2, 3, 5, 10, 15, 20};
    std::chrono::milliseconds delay{0};
    QMenu menu;
    EditHistory history;
    StatusBox* status = new StatusBox(viewport->inner());
    std::vector<std::pair<int, int>> closeUps;

    QAction* action(const char* name) {
        for (QAction* action : menu.actions()) {
            if (action->objectName() == QLatin1String(name)) {
                return action;
            }
        }
        ADD_FAILURE() << "no menu item " << name;
        return menu.actions().first();
    }
};

}  // namespace

TEST_F(Parts, TheGridMenuWorksOnAnyWindowThatHandsItsParts) {
    GridFitting fitting(parts(), &menu);
    QStringList items;
    for (QAction* action : menu.actions()) {
        items << action->objectName();
    }
    EXPECT_EQ(items, (QStringList{"mnuGridOptions", "mnuAlign", "mnuSep4", "mnuMeasureHexes",
                                  "mnuMeasureThree", "mnuMeasureScale", "mnuSep6", "mnuCorners",
                                  "mnuResetGrid"}));
    ASSERT_TRUE(fitting.layoutNow());
    EXPECT_EQ(fitting.layoutNow()->hexSize, 100) << "400 px x 25 / 100";

    // Keys reach it through the window it watches, only while the preview shows.
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(fitting.options().offsetX, 0);
    action("mnuAlign")->trigger();
    ASSERT_TRUE(fitting.previewShown());
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(fitting.options().offsetX, 2);
    EXPECT_DOUBLE_EQ(fitting.options().offsetY, 0.1);
    EXPECT_EQ(history.count(), 1) << "nudges one after another are one step to undo";

    // A measure of the hexes: two marked clicks, a count and a yes set the size in pixels.
    platform.questions.answerNumber(2);
    platform.questions.answerConfirm(true);
    action("mnuMeasureHexes")->trigger();
    EXPECT_EQ(fitting.measuring(), Measuring::Hexes);
    EXPECT_TRUE(fitting.clickedAt(50 * kTwipsPerPixel, 40 * kTwipsPerPixel));
    EXPECT_TRUE(fitting.clickedAt(210 * kTwipsPerPixel, 43 * kTwipsPerPixel));
    EXPECT_EQ(platform.questions.confirmsAsked().back(),
              measuredHexesMessage(std::hypot(160, 3) / 2, 1.07))
        << "centres 1.07 degrees off level are pointed out";
    EXPECT_DOUBLE_EQ(*fitting.options().hexPixels, std::hypot(160, 3) / 2);
    EXPECT_EQ(hexSize.text(), "20.00352") << "the hex size box follows, in distance units";
    EXPECT_FALSE(fitting.clickedAt(0, 0)) << "nothing is measured any more";

    // Undo takes the measure back, then the nudges; Redo puts them back.
    history.undo();
    EXPECT_FALSE(fitting.options().hexPixels);
    history.undo();
    EXPECT_EQ(fitting.options(), GridOptions{});
    history.redo();
    history.redo();
    const GridOptions measured = fitting.options();
    EXPECT_DOUBLE_EQ(*measured.hexPixels, std::hypot(160, 3) / 2);
    action("mnuResetGrid")->trigger();
    EXPECT_EQ(fitting.options(), GridOptions{});
    history.undo();
    EXPECT_EQ(fitting.options(), measured) << "Reset is undone like any change";
}

// With the hex size set in pixels, the size boxes no longer decide the grid.
TEST_F(Parts, TheSizeBoxesFollowAGridFittedInPixels) {
    GridFitting fitting(parts(), &menu);
    GridOptions fitted;
    fitted.hexPixels = 80;
    fitting.setOptions(fitted);
    EXPECT_EQ(hexSize.text(), "20");
    struct Row {
        const char* guards;
        QLineEdit* typedInto;
        const char* typed;
        const char* mapWidth;
        const char* hexSizeBox;
    } const rows[] = {
        {"a width typed keeps the hexes: the distance a hex is follows", &mapSize, "50", "50",
         "10"},
        {"a hex size typed: the map's width follows", &hexSize, "2", "10", "2"},
    };
    for (const Row& row : rows) {
        row.typedInto->clear();
        QTest::keyClicks(row.typedInto, row.typed);
        EXPECT_EQ(fitting.options().hexPixels, 80.0) << row.guards;
        EXPECT_EQ(mapSize.text(), row.mapWidth) << row.guards;
        EXPECT_EQ(hexSize.text(), row.hexSizeBox) << row.guards;
    }
    // Empty boxes are filled with sizes that keep the fit, and the status line says so.
    const struct {
        const char* map;
        const char* hex;
        const char* filledMap;
        const char* filledHex;
    } fills[] = {{"", "", "5", "1"}, {"", "3", "15", "3"}, {"40", "x", "40", "8"}};
    for (const auto& fill : fills) {
        mapSize.setText(fill.map);
        hexSize.setText(fill.hex);
        EXPECT_TRUE(fitting.fillSizesForFit()) << fill.map << "/" << fill.hex;
        EXPECT_EQ(mapSize.text(), fill.filledMap);
        EXPECT_EQ(hexSize.text(), fill.filledHex);
        EXPECT_EQ(status->message(), sizesFilledStatus(fill.filledMap, fill.filledHex));
    }
    EXPECT_FALSE(fitting.fillSizesForFit()) << "good sizes stay as they are";
}

TEST_F(Parts, TheStatusSaysWhereThePointerIsAndCyclesTheCorners) {
    GridFitting fitting(parts(), &menu);
    struct Row {
        const char* guards;
        int zoom;  // the image's size over the map's
        bool preview;
        const char* pointer;
    } const rows[] = {
        {"whole pixels at 1:1", 1, false, "x 250, y 120"},
        {"a tenth of a pixel at 5:1, with the hex under the pointer", 5, true,
         "x 250.4, y 120.3; hex column 3, row 2"},
    };
    for (const Row& row : rows) {
        image->setWidth(400 * kTwipsPerPixel * row.zoom);
        image->setHeight(300 * kTwipsPerPixel * row.zoom);
        if (row.preview) {
            action("mnuAlign")->trigger();
        }
        emit image->mouseMoved(toSingle(250.4 * kTwipsPerPixel * row.zoom),
                               toSingle(120.3 * kTwipsPerPixel * row.zoom));
        EXPECT_EQ(status->pointer(), row.pointer) << row.guards;
    }
    for (int press = 0; press < 6; ++press) {
        QTest::keyClick(&window, Qt::Key_C);
    }
    EXPECT_EQ(closeUps, (std::vector<std::pair<int, int>>{
                            {0, 0}, {100, 0}, {100, 100}, {0, 100}, {50, 50}, {0, 0}}))
        << "the four corners, the centre, and round again";
    EXPECT_EQ(status->message(), cornerStatus(0));
    fitting.mapLoaded();
    EXPECT_EQ(status->message(), cornerStatus(0)) << "default options are not pointed out";
    GridOptions columns;
    columns.orientation = GridOrientation::Columns;
    fitting.setOptions(columns);
    fitting.mapLoaded();
    EXPECT_EQ(status->message(), optionsKeptStatus());
    EXPECT_EQ(history.count(), 0) << "a new map starts a new history";
}

// One tool holds the map's clicks at a time: a measure started ends the one running, the corner
// tour is done at once and leaves it running, Esc ends it and leaves the status line alone. A
// measure finished too soon asks a question nobody scripted, and fails.
TEST_F(Parts, OneToolHoldsTheMapAtATime) {
    const struct {
        const char* guards;
        std::vector<const char*> steps;  // menu items, or a click on the map, or Esc
        Measuring after;
        QString status;
    } rows[] = {
        {"another measure ends the first one, which forgets its click",
         {"mnuMeasureHexes", "click", "mnuMeasureScale", "click", "mnuMeasureHexes", "click"},
         Measuring::Hexes,
         "before"},
        {"the corner tour leaves the measure running",
         {"mnuMeasureThree", "click", "mnuCorners", "click"},
         Measuring::HexesByThree,
         cornerStatus(0)},
        {"Esc ends the measure, the status line as it was",
         {"mnuCorners", "mnuMeasureHexes", "click", "Esc"},
         Measuring::Nothing,
         cornerStatus(0)},
        {"a click with no tool does nothing", {"click"}, Measuring::Nothing, "before"},
    };
    for (const auto& row : rows) {
        QMenu own;
        GridFitting fitting(parts(), &own);
        status->setMessage("before");
        for (const char* step : row.steps) {
            if (step == std::string_view("click")) {
                fitting.clickedAt(100 * kTwipsPerPixel, 40 * kTwipsPerPixel);
            } else if (step == std::string_view("Esc")) {
                QTest::keyClick(&window, Qt::Key_Escape);
            } else {
                own.findChild<QAction*>(step)->trigger();
            }
        }
        EXPECT_EQ(fitting.measuring(), row.after) << row.guards;
        EXPECT_EQ(status->message(), row.status) << row.guards;
        if (row.after == Measuring::Nothing) {
            EXPECT_FALSE(fitting.clickedAt(0, 0)) << "the map's clicks are free, " << row.guards;
        }
        EXPECT_EQ(history.count(), 0) << row.guards;
    }
}
