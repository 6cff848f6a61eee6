// File, Export For: a straightened board for Tiled or VASSAL, and its grid beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/export_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// A map of 800 x 600 pixels, 100 units wide, hexes of 5 units: 40 pixels flat to flat, rows
// 34.64 apart. Tiled: tiles 40 wide, rows 36 apart (a side of 24); VASSAL: dy 40, dx 35.
class BoardExports : public FormTest {
  protected:
    void loadMap() {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(800, 600), "BMP"));
        action("mnuLoad")->trigger();
        control<QLineEdit>("txtMapSize")->setText("100");
        control<QLineEdit>("txtHexF")->setText("5");
    }
    QStringList files() const {
        return QDir(dir.root()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    ScratchDir dir;
};

}  // namespace

TEST_F(BoardExports, TheMenuOffersBothAndOnlyWithAMap) {
    QMenu* menu = control<QMenu>("mnuExportFor");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), "Export &For");
    QStringList captions;
    for (QAction* item : menu->actions()) {
        captions << item->text();
    }
    EXPECT_EQ(captions, (QStringList{"&Tiled Map...", "&VASSAL Board..."}));
    EXPECT_FALSE(action("mnuExportTiled")->isEnabled());
    EXPECT_FALSE(action("mnuExportVassal")->isEnabled());
    loadMap();
    EXPECT_TRUE(action("mnuExportTiled")->isEnabled());
    EXPECT_TRUE(action("mnuExportVassal")->isEnabled());
}

TEST_F(BoardExports, WritesBothFilesAndNamesThemWithTheScale) {
    loadMap();
    const struct {
        const char* guards;
        const char* item;
        const char* board;
        std::optional<double> quality;
        const char* proposed;
        const char* definition;
        const char* program;
        const char* scale;
        QSize size;
    } rows[] = {
        {"Tiled: rows 36 apart for 34.64",
         "mnuExportTiled",
         "board.png",
         {},
         "map-tiled.png",
         "board.tmx",
         "Tiled",
         "1.00000 across, 1.03924 down",
         {820, 636}},
        {"VASSAL as JPEG: rows 35 apart",
         "mnuExportVassal",
         "board.jpg",
         70,
         "map-vassal.png",
         "board.vassal.xml",
         "VASSAL",
         "1.00000 across, 1.01037 down",
         {800, 607}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        platform.dialogs.answer(dir.path(row.board));
        if (row.quality) {
            platform.questions.answerNumber(row.quality);
        }
        action(row.item)->trigger();
        EXPECT_EQ(platform.dialogs.requests().back().initialPath, dir.path(row.proposed));
        ASSERT_FALSE(platform.messages.shown().empty());
        EXPECT_EQ(platform.messages.shown().back(),
                  boardExportedMessage(dir.path(row.board), dir.path(row.definition), row.program,
                                       row.scale));
        EXPECT_EQ(QImage(dir.path(row.board)).size(), row.size);
        EXPECT_TRUE(QFile::exists(dir.path(row.definition)));
    }
}

TEST_F(BoardExports, WritesNothingWhenItCannot) {
    loadMap();
    QDir(dir.root()).mkdir("taken.tmx");
    const QStringList before = files();
    const struct {
        const char* guards;
        std::optional<QString> answer;
        const char* mapSize;
        std::optional<Message> message;
    } rows[] = {
        {"cancelled", std::nullopt, "100", std::nullopt},
        {"a type it does not write", dir.path("board.bmp"), "100",
         unknownExportTypeMessage(dir.path("board.bmp"), ".png or .jpg")},
        {"no grid without the map's width", dir.path("board.png"), "", noGridToExportMessage()},
        {"hexes of 4 pixels are too small for Tiled", dir.path("board.png"), "1000",
         exportFailedMessage(dir.path("board.png"),
                             "The hexes would be 4 by 3 pixels for Tiled, below the 8 by 6 it "
                             "can draw.")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const size_t shown = platform.messages.shown().size();
        control<QLineEdit>("txtMapSize")->setText(row.mapSize);
        if (row.message != noGridToExportMessage()) {
            platform.dialogs.answer(row.answer);
        }
        action("mnuExportTiled")->trigger();
        if (row.message) {
            ASSERT_EQ(platform.messages.shown().size(), shown + 1);
            EXPECT_EQ(platform.messages.shown().back(), *row.message);
        } else {
            EXPECT_EQ(platform.messages.shown().size(), shown);
        }
        EXPECT_EQ(files(), before);
    }
    // The definition's name taken by a folder: the board is not left behind either.
    control<QLineEdit>("txtMapSize")->setText("100");
    platform.dialogs.answer(dir.path("taken.png"));
    action("mnuExportTiled")->trigger();
    EXPECT_EQ(platform.messages.shown().back().title, "Can't export map");
    EXPECT_EQ(files(), before);
}
