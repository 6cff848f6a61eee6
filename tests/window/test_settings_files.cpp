#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include "settings/grid_settings.h"
#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"
#include "window/settings_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QImage greyMap() {
    QImage map(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            map.setPixel(x, y, qRgb(x % 200, y % 200, 90));
        }
    }
    return map;
}

}  // namespace

// A 300 x 200 map, fitted, numbered and turned, with a pen and lines away from the defaults.
class SettingsFiles : public FormTest {
  protected:
    SettingsFiles() {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), greyMap(), "BMP"));
        action("mnuLoad")->trigger();
        control<QLineEdit>("txtMapSize")->setText("60");
        control<QLineEdit>("txtHexF")->setText("2.5");
        control<QComboBox>("cmbColour")->setCurrentIndex(4);
        control<QComboBox>("cmbThick")->setCurrentIndex(2);
        GridOptions options{GridOrientation::Columns, 3.25, -1.5, ShiftedLines::Second, 1.03, 41.7};
        options.rotation = 1.2;
        options.skew = -0.4;
        options.opacity = 60;
        options.lineColour = QColor(0x5a, 0x3c, 0x1e);
        options.lineStyle = LineStyle::Dashed;
        HexNumbering numbering;
        numbering.enabled = true;
        numbering.first = 7;
        form.fitting().setFit({options, numbering}, QStringLiteral("Fit"));
        fitted = {options, numbering};
    }
    GridFit fit() { return {form.fitting().options(), form.fitting().numbering()}; }
    QString box(const char* name) { return control<QLineEdit>(name)->text(); }

    ScratchDir dir;
    GridFit fitted;
};

// What the window saves it loads back whole, and the command line draws from the same file
// the very bitmap Generate Hex Grid wrote.
TEST_F(SettingsFiles, SavedLoadedAndDrawnByTheCommandLineByteForByte) {
    const QString file = dir.path("fit.hexgrid");
    platform.dialogs.answer(file);
    action("mnuSaveSettings")->trigger();
    ASSERT_TRUE(QFile::exists(file));
    const FileDialogRequest asked = platform.dialogs.requests().back();
    EXPECT_EQ(asked.nameFilters, QStringList{"Grid settings (*.hexgrid)"});
    EXPECT_EQ(asked.initialPath, dir.path("map.hexgrid")) << "named after the map, beside it";
    EXPECT_TRUE(asked.confirmOverwrite);

    action("mnuResetGrid")->trigger();
    control<QLineEdit>("txtMapSize")->clear();
    control<QComboBox>("cmbColour")->setCurrentIndex(0);
    platform.dialogs.answer(file);
    action("mnuLoadSettings")->trigger();
    EXPECT_EQ(fit(), fitted);
    EXPECT_EQ(box("txtMapSize"), "60");
    EXPECT_EQ(control<QComboBox>("cmbColour")->currentIndex(), 4);
    EXPECT_EQ(control<QComboBox>("cmbThick")->currentIndex(), 2);

    control<QPushButton>("Command1")->click();
    ASSERT_TRUE(platform.messages.shown().empty())
        << platform.messages.shown().back().prompt.toStdString();
    QProcess tessara;
    tessara.setWorkingDirectory(dir.root());
    tessara.start(TESSARA_PROGRAM, {"grid", "map.bmp", "out.bmp", "--settings", file});
    ASSERT_TRUE(tessara.waitForFinished(60000));
    EXPECT_EQ(tessara.exitCode(), 0) << tessara.readAllStandardError().constData();
    EXPECT_EQ(readBytes(dir.path("out.bmp")), readBytes(dir.path("tmp.bmp")));
    // An option given beside the file wins over it.
    tessara.start(TESSARA_PROGRAM,
                  {"grid", "map.bmp", "blue.bmp", "--settings", file, "--colour", "blue"});
    ASSERT_TRUE(tessara.waitForFinished(60000));
    EXPECT_NE(readBytes(dir.path("blue.bmp")), readBytes(dir.path("out.bmp")));
}

// A file that cannot be read changes nothing and says why; loading can be undone.
TEST_F(SettingsFiles, ADamagedFileChangesNothingAndALoadIsUndone) {
    const QString damaged = writeBytes(dir.path("bad.hexgrid"), "{\"version\": 1}");
    platform.dialogs.answer(damaged);
    action("mnuLoadSettings")->trigger();
    ASSERT_FALSE(platform.messages.shown().empty());
    EXPECT_EQ(platform.messages.shown().back(),
              settingsNotLoadedMessage(damaged, QStringLiteral("mapWidth is missing")));
    EXPECT_EQ(fit(), fitted);
    EXPECT_EQ(box("txtMapSize"), "60");

    platform.dialogs.answer(std::nullopt);  // cancelled: no file, no message
    action("mnuSaveSettings")->trigger();
    EXPECT_EQ(platform.messages.shown().size(), 1U);
    platform.dialogs.answer(dir.path("missing/fit.hexgrid"));
    action("mnuSaveSettings")->trigger();
    EXPECT_EQ(platform.messages.shown().back().title, QStringLiteral("Can't save grid settings"));

    const QString defaults = dir.path("defaults.hexgrid");
    ASSERT_TRUE(saveSettings(GridChoices{}, defaults));
    platform.dialogs.answer(defaults);
    action("mnuLoadSettings")->trigger();
    EXPECT_EQ(fit(), GridFit{});
    EXPECT_EQ(box("txtMapSize"), "");
    EXPECT_EQ(action("mnuUndo")->text(), "&Undo Load Grid Settings");
    form.findChild<EditHistory*>()->undo();
    EXPECT_EQ(fit(), fitted) << "Undo takes the loaded options back";
    EXPECT_EQ(box("txtMapSize"), "60") << "and the boxes and lists with them";
    EXPECT_EQ(control<QComboBox>("cmbColour")->currentIndex(), 4);
}
