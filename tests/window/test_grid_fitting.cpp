// Grid fitting driven as a feature of its own, without the main window: a bare window with
// the parts the feature reaches.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

#include "support/scripted_services.h"
#include "view/image_control.h"
#include "view/viewport.h"
#include "window/grid_fitting.h"

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
        return {&window, platform.services(), &dialog, &map,  image, viewport, &mapSize, &hexSize,
                &colour, &thickness,          &widths, &delay};
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
};

}  // namespace

TEST_F(Parts, TheGridMenuWorksOnAnyWindowThatHandsItsParts) {
    GridFitting fitting(parts(), &menu);
    QStringList items;
    for (QAction* action : menu.actions()) {
        items << action->objectName();
    }
    EXPECT_EQ(items, (QStringList{"mnuGridOptions", "mnuAlign", "mnuSep4", "mnuMeasureHexes",
                                  "mnuMeasureScale"}));
    ASSERT_TRUE(fitting.layoutNow());
    EXPECT_EQ(fitting.layoutNow()->hexSize, 100) << "400 px x 25 / 100";

    // Keys reach it through the window it watches, only while the preview shows.
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(fitting.options().offsetX, 0);
    menu.actions()[1]->trigger();  // Align Mode
    ASSERT_TRUE(fitting.previewShown());
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(fitting.options().offsetX, 1);
    EXPECT_DOUBLE_EQ(fitting.options().offsetY, 0.1);

    // A measure of the hexes: two clicks, a count and a yes set the size in pixels.
    platform.questions.answerNumber(2);
    platform.questions.answerConfirm(true);
    menu.actions()[3]->trigger();
    EXPECT_EQ(fitting.measuring(), Measuring::Hexes);
    EXPECT_TRUE(fitting.clickedAt(50 * kTwipsPerPixel, 40 * kTwipsPerPixel));
    EXPECT_TRUE(fitting.clickedAt(210 * kTwipsPerPixel, 40 * kTwipsPerPixel));
    EXPECT_EQ(fitting.options().hexPixels, 80.0);
    EXPECT_EQ(hexSize.text(), "20") << "the hex size box follows, in distance units";
    EXPECT_FALSE(fitting.clickedAt(0, 0)) << "nothing is measured any more";

    // Typing a size hands the hex size back to the boxes.
    fitting.sizesTyped();
    EXPECT_FALSE(fitting.options().hexPixels);
}
