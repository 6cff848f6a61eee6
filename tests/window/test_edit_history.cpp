#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QImage stripes(int width, int height) {
    QImage map(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            map.setPixel(x, y, qRgb((x * 7) % 256, (y * 3) % 256, (x + y) % 256));
        }
    }
    return map;
}

// A step that says it keeps `megabytes`, and counts its undos.
class Heavy : public PictureStep {
  public:
    Heavy(int megabytes, int* undone)
        : PictureStep("Heavy"), bytes_(size_t(megabytes) << 20), undone_(undone) {}
    void undo() override { ++*undone_; }
    size_t bytes() const override { return bytes_; }

  private:
    size_t bytes_;
    int* undone_;
};

}  // namespace

class EditMenu : public FormTest {
  protected:
    EditMenu() {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), stripes(240, 160), "BMP"));
        action("mnuLoad")->trigger();
        original = form.picMap().picture().image().copy();
        control<QLineEdit>("txtMapSize")->setText("24");
        control<QLineEdit>("txtHexF")->setText("3");
    }
    QImage map() { return form.picMap().picture().image().copy(); }  // not a shared handle
    void generate(int colour) {
        control<QComboBox>("cmbColour")->setCurrentIndex(colour);
        control<QPushButton>("Command1")->click();
        ASSERT_TRUE(platform.messages.shown().empty());
    }

    ScratchDir dir;
    QImage original;
};

// Each press is taken back to the very pixels before it and drawn again the same, whether
// the lines were drawn into the map (what they covered kept) or, for a grid so fine that its
// lines cover much of the map, on a copy (the map before kept); tmp.bmp stays as written.
TEST_F(EditMenu, UndoAndRedoOfGenerateGiveBackEveryPixel) {
    struct Row {
        const char* guards;
        const char* hexSize;
        bool copied;
    } const rows[] = {{"hexes of 30 pixels, drawn in place", "3", false},
                      {"hexes of 2 pixels, drawn on a copy", "0.2", true}};
    for (const Row& row : rows) {
        control<QLineEdit>("txtHexF")->setText(row.hexSize);
        const QImage before = map();
        generate(4);
        const QImage red = map();
        generate(1);
        const QImage blue = map();
        const QByteArray merged = readBytes(dir.path("tmp.bmp"));
        const size_t wholeMaps = form.findChild<EditHistory*>()->bytes() / (240 * 160 * 4);
        EXPECT_EQ(wholeMaps, row.copied ? 2U : 0U) << row.guards;
        ASSERT_NE(red, before) << row.guards;
        EXPECT_EQ(action("mnuUndo")->text(), "&Undo Generate Hex Grid");
        action("mnuUndo")->trigger();
        EXPECT_EQ(map(), red) << row.guards;
        EXPECT_EQ(image()->picture().image(), form.picMap().picture().image()) << "shown";
        action("mnuUndo")->trigger();
        EXPECT_EQ(map(), before) << row.guards;
        action("mnuRedo")->trigger();
        EXPECT_EQ(map(), red) << row.guards;
        action("mnuRedo")->trigger();
        EXPECT_EQ(map(), blue) << row.guards;
        EXPECT_FALSE(action("mnuRedo")->isEnabled());
        EXPECT_EQ(readBytes(dir.path("tmp.bmp")), merged) << "tmp.bmp is left as it is";
        action("mnuUndo")->trigger();
        action("mnuUndo")->trigger();
    }
    EXPECT_EQ(map(), original);
    EXPECT_FALSE(action("mnuInformation")->isEnabled()) << "no grid, no dimensions to report";
}

// Options and grids in one history, Ctrl+Z and Ctrl+Y from the keyboard, and a new map
// starting afresh.
TEST_F(EditMenu, OneHistoryFromTheKeyboardClearedByANewMap) {
    showAndActivate();
    GridOptions moved;
    moved.offsetX = 7;
    form.fitting().setOptions(moved);
    generate(0);
    QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(map(), original);
    EXPECT_EQ(action("mnuUndo")->text(), "&Undo Offset");
    QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form.fitting().options(), GridOptions{});
    QTest::keyClick(&form, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(map(), original) << "both done again";
    EXPECT_EQ(form.fitting().options(), moved);

    platform.dialogs.answer(dir.path("map.bmp"));
    action("mnuLoad")->trigger();
    EXPECT_FALSE(action("mnuUndo")->isEnabled());
    EXPECT_EQ(action("mnuUndo")->text(), "&Undo");
    EXPECT_EQ(map(), original);
}

// The steps that keep pictures stay within kHistoryMemory: the oldest go with every step
// before them, and the newest stays whatever it keeps.
TEST(EditHistory, PicturesAreKeptWithinItsMemoryTheNewestAlways) {
    int undone = 0;
    EditHistory history;
    history.push(new QUndoCommand("options"));
    history.push(new Heavy(300, &undone));
    history.push(new Heavy(200, &undone));
    EXPECT_EQ(history.count(), 3) << "500 MB: within 512";
    history.push(new Heavy(13, &undone));
    EXPECT_EQ(history.count(), 2) << "513 MB: the oldest picture goes, and the step before it";
    EXPECT_EQ(history.bytes(), size_t(213) << 20);
    history.push(new Heavy(900, &undone));
    EXPECT_EQ(history.count(), 1);
    EXPECT_EQ(history.bytes(), size_t(900) << 20);
    history.undo();
    history.undo();
    EXPECT_EQ(undone, 1) << "nothing before the newest to undo";
}
