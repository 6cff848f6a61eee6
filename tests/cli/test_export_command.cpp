// tessara export, run from a shell as a script runs it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cmath>

#include "grid/grid_geometry.h"
#include "settings/grid_settings.h"
#include "support/program_run.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

class CliExport : public ::testing::Test {
  protected:
    CliExport() {
        writeImage(dir.path("map.png"), makeMap(400, 300), "PNG");
        GridChoices settings;
        settings.options.orientation = GridOrientation::Columns;
        settings.options.hexPixels = 31.3;
        settings.options.rotation = 1.5;
        EXPECT_TRUE(saveSettings(settings, dir.path("fit.hexgrid")));
        QDir(dir.root()).mkdir("taken.tmx");
        writeBytes(dir.path("old.png"), "an older board");
        writeBytes(dir.path("legend.txt"), "Clear: 0101\nWoods: 0202\n");
        writeBytes(dir.path("bad.txt"), "Clear: 0101\nWoods: 9912\n");
        QFile::setPermissions(dir.path("old.png"), QFile::ReadOwner);
    }
    Finished run(const QString& arguments) { return runIn(TESSARA_PROGRAM, dir.root(), arguments); }
    QStringList files() const { return filesIn(dir.root()); }

    ScratchDir dir;
};

}  // namespace

// Worked by hand: 30.4 px rows for Tiled are 30 wide and 27 apart (30.4 x 0.86602 = 26.33);
// 32 px rows for VASSAL 32 and 28 (27.71); the settings' 31.3 px columns, turned, 31 along
// and 27 across (27.11). A refusal has its exit status and one line, and writes nothing. Tiled
// and Foundry start on a hex's corner, up to a hex before the map: rows 346.4 px apart hold
// the map's 300 px (0.86602 x 346.4 = 299.99), 346.5 px not; columns 300 px across, not 300.5.
// Terrain is for Tiled alone, and leaves its board as it was.
TEST_F(CliExport, WritesBothFilesAndSaysTheScaleOrRefusesInOneLine) {
    // clang-format off
    const struct { QString arguments; int status; const char* out; const char* err; QStringList made = {}; QSize board = {}; } rows[] = {
        {"export map.png t.png --for tiled --hex-pixels 30.4", 0,
         "t.png and t.tmx written; scale factor 0.98684 across, 1.02556 down\n", "", {"t.png", "t.tmx"}, {410, 317}},
        {"export map.png my.map.jpg --for vassal --map-width 10 --hex-size 0.8 --quality 1", 0,
         "my.map.jpg and my.map.vassal.xml written; scale factor 1.00000 across, 1.01037 down\n", "",
         {"my.map.jpg", "my.map.vassal.xml"}, {401, 304}},
        {"export map.png d.jpeg --for vassal --settings fit.hexgrid --quality 100 --numbers {c}-{r}", 0,
         "d.jpeg and d.vassal.xml written; scale factor 0.99607 across, 0.99042 down\n",
         "VASSAL's numbering cannot say the pattern {c}-{r}; it counts its own way there", {"d.jpeg", "d.vassal.xml"}, {407, 308}},
        {"export map.png f.png --for foundry --hex-pixels 30.4 --stretch 1.05", 0,
         "f.png and f.foundry.json written; scale factor 0.98684 across, 0.93986 down\n", "", {"f.png", "f.foundry.json"}, {425, 291}},
        {"export map.png", 2, "", "missing BOARD, the straightened picture to write"},
        {"export map.png b.png --hex-pixels 30", 2, "", "missing --for, the program the board is for: tiled, vassal or foundry"},
        {"export map.png b.png --for tile --hex-pixels 30", 2, "", "--for must be tiled, vassal or foundry, not 'tile'"},
        {"export map.png b.bmp --for tiled --hex-pixels 30", 2, "", "BOARD 'b.bmp' must end in .png, .jpg or .jpeg"},
        {"export map.png b.png --for tiled --hex-pixels 30 --quality 50", 2, "", "--quality needs a .jpg BOARD"},
        {"export map.png b.jpg --for tiled --hex-pixels 30 --quality 0", 2, "", "--quality must be a whole number from 1 to 100, not '0'"},
        {"export map.png b.jpg --for tiled --hex-pixels 30 --quality 101", 2, "", "--quality must be a whole number from 1 to 100, not '101'"},
        {"export absent.png b.png --for tiled --hex-pixels 30", 2, "", "cannot read the map 'absent.png': "},
        {"export map.png no/b.png --for tiled --hex-pixels 30", 2, "", "cannot write 'no/b.png': the folder 'no' does not exist"},
        {"export map.png b.png --for tiled --hex-pixels 6.9", 2, "", "the hexes would be 6 by 6 pixels for Tiled, below the 8 by 6 it can draw"},
        {"export map.png b.png --for vassal --hex-pixels 7.49", 2, "", "the hexes would be 7 by 6 pixels for VASSAL, below the 8 by 6 it can draw"},
        {"export map.png b.png --for foundry --hex-pixels 19.4", 2, "", "the hexes would be 19 pixels flat to flat for Foundry, below the 20 it can draw"},
        {"export map.png taken.png --for tiled --hex-pixels 30", 2, "", "cannot write 'taken.tmx': it is a folder\n"},
        {"export map.png h.png --for tiled --hex-pixels 346.4", 0,
         "h.png and h.tmx written; scale factor 0.99885 across, 1.00004 down\n", "", {"h.png", "h.tmx"}, {573, 400}},
        {"export map.png b.png --for tiled --hex-pixels 346.5", 2, "",
         "the hexes are larger than the map: Tiled's grid starts at a hex's corner, which would leave the board mostly blank\n"},
        {"export map.png c.png --for foundry --hex-pixels 300 --orientation columns", 0,
         "c.png and c.foundry.json written; scale factor 1.00001 across, 1.00000 down\n", "", {"c.png", "c.foundry.json"}, {487, 600}},
        {"export map.png b.png --for foundry --hex-pixels 300.5 --orientation columns", 2, "",
         "the hexes are larger than the map: Foundry's grid starts at a hex's corner, which would leave the board mostly blank\n"},
        {"export map.png old.png --for tiled --hex-pixels 30", 1, "", "cannot write 'old.png': The file old.png is read-only"},
        {"export map.png k.png --for tiled --hex-pixels 30.4 --classes 2", 0,
         "k.png and k.tmx written; scale factor 0.98684 across, 1.02556 down\n", "", {"k.png", "k.tmx"}, {410, 317}},
        {"export map.png b.png --for vassal --hex-pixels 30 --legend legend.txt", 2, "",
         "--legend is for --for tiled only: for VASSAL, write the terrain with tessara terrain\n"},
        {"export map.png b.png --for foundry --hex-pixels 30 --classes 9", 2, "",
         "--classes is for --for tiled only: for Foundry, write the terrain with tessara terrain\n"},
        {"export map.png b.png --for tiled --hex-pixels 30 --legend none.txt", 2, "",
         "cannot read the legend 'none.txt': No such file or directory\n"},
        {"export map.png b.png --for tiled --hex-pixels 30 --legend bad.txt", 2, "", "bad.txt, line 2: no hex 9912 on the map\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.toStdString());
        QStringList expected = files() + row.made;
        expected.sort();
        const Finished done = run(row.arguments);
        EXPECT_EQ(std::tuple(done.status, done.out), std::tuple(row.status, QString(row.out)));
        EXPECT_TRUE(*row.err ? done.err.startsWith(QString("tessara: ") + row.err)
                             : done.err.isEmpty())
            << done.err.toStdString();
        EXPECT_EQ(done.err.count(u'\n'), *row.err ? 1 : 0);
        EXPECT_EQ(files(), expected) << "both files or nothing, none there before";
        if (!row.made.isEmpty()) {
            EXPECT_EQ(QImage(dir.path(row.made[0])).size(), row.board);
        }
    }
    EXPECT_EQ(readBytes(dir.path("old.png")), "an older board") << "kept as an editor would";
}

// A grid moved whole periods away is the same grid: its board and definition are those of
// the offset less whole periods, as tessara grid draws it. 1e9 px, the farthest offset taken,
// is a whole number of 40 px hexes along a line; across the lines the period is two of them.
TEST_F(CliExport, AFarOffsetGivesTheBoardOfTheOffsetLessWholePeriods) {
    const QString acrossLessPeriods = QString::number(std::fmod(1e9, 2 * kRowPitch * 40), 'g', 17);
    // clang-format off
    const struct { const char* guards; QString far; QString near; } rows[] = {
        {"along the rows", "1e9,0", "0,0"},
        {"down the columns", "0,1e9 --orientation columns", "0,0 --orientation columns"},
        {"across the rows", "0,1e9", "0," + acrossLessPeriods},
        {"back across the rows", "0,-1e9", "0,-" + acrossLessPeriods},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const QString board = "export map.png o.png --for tiled --hex-pixels 40 --offset=";
        ASSERT_EQ(run(board + row.near).status, 0);
        const QByteArray nearBoard = readBytes(dir.path("o.png"));
        const QByteArray nearMap = readBytes(dir.path("o.tmx"));
        const Finished far = run(board + row.far);
        EXPECT_EQ(far.status, 0) << far.err.toStdString();
        EXPECT_TRUE(readBytes(dir.path("o.png")) == nearBoard) << "the same board";
        EXPECT_EQ(readBytes(dir.path("o.tmx")), nearMap);
    }
}

// The programs that draw the grid themselves draw it as the options say: the lines' own
// colour (not the list's: its red is QBColor's 128,0,0), the numbers' colour, the opacity
// and thickness; Foundry's
// scene as its import reads it. Worked by hand: 30.4 px rows make Foundry hexes of 30, the
// first row a shifted one (odd rows staggered, type 2); columns type 4 or 5.
TEST_F(CliExport, TheDefinitionsDrawTheGridAsTheOptionsSay) {
    const QString own = "--hex-pixels 30.4 --colour #5a3c1e --thickness 3 --opacity 40";
    // clang-format off
    const struct { QString arguments; const char* file; QStringList holds; } rows[] = {
        {"export map.png v.png --for vassal " + own, "v.vassal.xml", {"color=\"90,60,30\""}},
        {"export map.png n.png --for vassal " + own + " --numbers 0101 --number-colour white", "n.vassal.xml",
         {"HexGrid color=\"90,60,30\"", "HexGridNumbering color=\"192,192,192\""}},
        {"export map.png l.png --for vassal --hex-pixels 30.4 --colour red --numbers 0101", "l.vassal.xml",
         {"HexGrid color=\"128,0,0\"", "HexGridNumbering color=\"128,0,0\""}},
        {"export map.png f.png --for foundry " + own, "f.foundry.json",
         {"\"color\": \"#5a3c1e\"", "\"alpha\": 0.4", "\"thickness\": 3", "\"type\": 2", "\"size\": 30",
          "\"src\": \"f.png\"", "\"name\": \"f\"", "\"padding\": 0", "\"width\": 425", "\"height\": 305"}},
        {"export map.png c.png --for foundry --map-width 20 --hex-size 2 --orientation columns", "c.foundry.json",
         {"\"type\": 4", "\"size\": 40", "\"distance\": 2", "\"units\": \"\"", "\"color\": \"#000000\"", "\"alpha\": 1"}},
        {"export map.png e.png --for foundry --map-width 20 --hex-size 2 --orientation columns --shifted second",
         "e.foundry.json", {"\"type\": 5"}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.toStdString());
        ASSERT_EQ(run(row.arguments).status, 0);
        const QByteArray text = readBytes(dir.path(row.file));
        for (const QString& part : row.holds) {
            EXPECT_TRUE(text.contains(part.toUtf8()))
                << part.toStdString() << " in " << text.toStdString();
        }
    }
}

// When no thread can start (a user's `ulimit -u 1`, or `ulimit -v` leaving no room for the
// threads' stacks), the board is straightened on the one thread the program has: the same
// board and the same line, where the export used to abort.
TEST_F(CliExport, StraightensTheBoardOnOneThreadWhenNoOtherCanStart) {
    const QString arguments = "export map.png %1.png --for tiled --settings fit.hexgrid";
    ASSERT_EQ(run(arguments.arg("threads")).status, 0);
    QProcess process;
    QProcessEnvironment env = environmentWithoutDisplay();
    env.insert("LD_PRELOAD", TESSARA_NO_THREADS);
    env.insert("ASAN_OPTIONS", "verify_asan_link_order=0");  // the stand-in comes first
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.root());
    process.start(TESSARA_PROGRAM, QProcess::splitCommand(arguments.arg("alone")));
    const Finished done = finish(process, "without threads");
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(done.err.toStdString(), "");
    EXPECT_EQ(done.out.toStdString(),
              run(arguments.arg("threads")).out.replace("threads", "alone").toStdString());
    EXPECT_EQ(QImage(dir.path("alone.png")), QImage(dir.path("threads.png")));
}
