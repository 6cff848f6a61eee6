// File, Export For: a straightened board for another program, and its grid beside it. The
// boards' figures for every program are guarded by the command line's test.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QMenu>

#include "settings/grid_settings.h"
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

// The menu offers every registered program, in order, named for the user; each writes its
// own definition, in the lines' own colour and the numbers' (the list's red is 128,0,0).
TEST_F(FormTest, ExportForListsEveryProgramAndDrawsTheGridInItsColours) {
    QStringList entries;
    for (const QAction* entry : control<QMenu>("mnuExportFor")->actions()) {
        entries << entry->objectName() + " " + entry->text();
    }
    EXPECT_EQ(entries,
              QStringList({"mnuExportTiled &Tiled Map...", "mnuExportVassal &VASSAL Board...",
                           "mnuExportFoundry &Foundry Scene..."}));
    ScratchDir dir;
    platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(800, 600), "BMP"));
    action("mnuLoad")->trigger();
    control<QLineEdit>("txtMapSize")->setText("100");
    control<QLineEdit>("txtHexF")->setText("5");
    GridOptions own;
    own.lineColour = QColor(0x5a, 0x3c, 0x1e);
    own.opacity = 60;
    form.fitting().setOptions(own);
    // clang-format off
    const struct { const char* entry; const char* board; const char* definition; const char* proposed; QStringList holds; } rows[] = {
        {"mnuExportFoundry", "f.png", "f.foundry.json", "map-foundry.png",
         {"\"color\": \"#5a3c1e\"", "\"alpha\": 0.6", "\"distance\": 5", "\"size\": 40", "\"type\": 2"}},
        {"mnuExportVassal", "v.png", "v.vassal.xml", "map-vassal.png", {"HexGrid color=\"90,60,30\""}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry);
        platform.dialogs.answer(dir.path(row.board));
        action(row.entry)->trigger();
        EXPECT_EQ(platform.dialogs.requests().back().initialPath, dir.path(row.proposed));
        EXPECT_EQ(platform.messages.shown().back().title, "Board exported");
        const QByteArray text = readBytes(dir.path(row.definition));
        for (const QString& part : row.holds) {
            EXPECT_TRUE(text.contains(part.toUtf8()))
                << part.toStdString() << " in " << text.toStdString();
        }
    }
}

// A size typed alone is no grid to export, but a settings file keeps it as it was typed.
TEST_F(FormTest, ASizeTypedAloneIsKeptButNotExported) {
    ScratchDir dir;
    platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(800, 600), "BMP"));
    action("mnuLoad")->trigger();
    control<QLineEdit>("txtMapSize")->setText("a hundred");
    control<QLineEdit>("txtHexF")->setText("5");
    action("mnuExportFoundry")->trigger();
    EXPECT_EQ(platform.messages.shown().back(), noGridToExportMessage());
    platform.dialogs.answer(dir.path("s.hexgrid"));
    action("mnuSaveSettings")->trigger();
    const SettingsRead saved = loadSettings(dir.path("s.hexgrid"));
    ASSERT_TRUE(saved.settings) << saved.problem.toStdString();
    EXPECT_EQ(saved.settings->mapWidth, std::nullopt);
    EXPECT_EQ(saved.settings->hexSize, 5);
    EXPECT_EQ(QDir(dir.root()).entryList(QDir::Files), QStringList({"map.bmp", "s.hexgrid"}));
}
