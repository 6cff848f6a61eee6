// File, Export For: a straightened board for Tiled or VASSAL, and its grid beside it. The
// boards' figures for both programs are guarded by the command line's test.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QMenu>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/export_messages.h"

using namespace tessara;
using namespace tessara::test;

// 800 x 600 pixels, 100 units wide, hexes of 5: 40 px flat to flat, rows 34.64 apart; for
// Tiled rows 36 apart, a board of 820 x 636 with its margin.
TEST_F(FormTest, ExportForIsThereWithAMapAndSaysWhatItWroteOrWhyNot) {
    ScratchDir dir;
    const auto files = [&] { return QDir(dir.root()).entryList(QDir::Files | QDir::Hidden); };
    EXPECT_FALSE(action("mnuExportTiled")->isEnabled()) << "no map yet";
    EXPECT_FALSE(action("mnuExportVassal")->isEnabled());
    platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(800, 600), "BMP"));
    action("mnuLoad")->trigger();
    control<QLineEdit>("txtMapSize")->setText("100");
    control<QLineEdit>("txtHexF")->setText("5");
    EXPECT_TRUE(action("mnuExportTiled")->isEnabled());
    EXPECT_TRUE(action("mnuExportVassal")->isEnabled());
    platform.dialogs.answer(dir.path("b.png"));
    action("mnuExportTiled")->trigger();
    EXPECT_EQ(platform.dialogs.requests().back().initialPath, dir.path("map-tiled.png"));
    EXPECT_EQ(platform.messages.shown().back(),
              boardExportedMessage(dir.path("b.png"), dir.path("b.tmx"), "Tiled",
                                   "1.00000 across, 1.03924 down"));
    EXPECT_EQ(QImage(dir.path("b.png")).size(), QSize(820, 636));
    EXPECT_EQ(files(), QStringList({"b.png", "b.tmx", "map.bmp"}));

    const struct {
        const char* guards;
        std::optional<QString> answer;  // none: cancelled
        const char* mapSize;
        std::optional<Message> message;
    } refusals[] = {
        {"cancelled", std::nullopt, "100", std::nullopt},
        {"a type it does not write", dir.path("d.bmp"), "100",
         unknownExportTypeMessage(dir.path("d.bmp"), ".png or .jpg")},
        {"4 px hexes, too small", dir.path("d.png"), "1000",
         exportFailedMessage(dir.path("d.png"),
                             "The hexes would be 4 by 3 pixels for Tiled, "
                             "below the 8 by 6 it can draw.")},
        {"no grid without the map's width: no dialog", std::nullopt, "", noGridToExportMessage()},
    };
    for (const auto& row : refusals) {
        const size_t shown = platform.messages.shown().size();
        control<QLineEdit>("txtMapSize")->setText(row.mapSize);
        if (*row.mapSize != 0) {
            platform.dialogs.answer(row.answer);
        }
        action("mnuExportTiled")->trigger();
        EXPECT_EQ(platform.messages.shown().size(), shown + (row.message ? 1 : 0)) << row.guards;
        if (row.message) {
            EXPECT_EQ(platform.messages.shown().back(), *row.message) << row.guards;
        }
        EXPECT_EQ(files().size(), 3) << row.guards;
    }
}
