// tessara export, run from a shell as a script runs it.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include "settings/grid_settings.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

class CliExport : public ::testing::Test {
  protected:
    CliExport() {
        writeImage(dir.path("map.png"), makeMap(400, 300), "PNG");
        GridSettings settings;
        settings.options.orientation = GridOrientation::Columns;
        settings.options.hexPixels = 31.3;
        settings.options.rotation = 1.5;
        EXPECT_TRUE(saveSettings(settings, dir.path("fit.hexgrid")));
        QDir(dir.root()).mkdir("taken.tmx");
    }
    // Runs `tessara ARGUMENTS` in the scratch folder with no display: status, out, err.
    std::tuple<int, QString, QString> run(const QString& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(name);
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.root());
        process.start(TESSARA_PROGRAM, QProcess::splitCommand(arguments));
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    QStringList files() const { return QDir(dir.root()).entryList(QDir::Files | QDir::Hidden); }

    ScratchDir dir;
};

}  // namespace

// Figures from straightening.h: 30.4 px rows for Tiled are 30 wide and 27 apart (30.4 x
// 0.86602 = 26.33); 32 px rows for VASSAL 32 and 28 (27.71); the settings' 31.3 px columns,
// turned, 31 along and 27 across (27.11).
TEST_F(CliExport, WritesTheBoardAndItsDefinitionAndSaysTheScale) {
    // clang-format off
    const struct { const char* arguments; const char* out; QStringList made; QSize board; const char* err; } rows[] = {
        {"export map.png b.png --for tiled --hex-pixels 30.4",
         "b.png and b.tmx written; scale factor 0.98684 across, 1.02556 down\n", {"b.png", "b.tmx"}, {410, 317}, ""},
        {"export map.png c.jpg --for vassal --map-width 10 --hex-size 0.8 --quality 1",
         "c.jpg and c.vassal.xml written; scale factor 1.00000 across, 1.01037 down\n", {"c.jpg", "c.vassal.xml"}, {400, 304}, ""},
        {"export map.png d.jpeg --for vassal --settings fit.hexgrid --quality 100 --numbers {c}-{r}",
         "d.jpeg and d.vassal.xml written; scale factor 0.99607 across, 0.99042 down\n", {"d.jpeg", "d.vassal.xml"}, {407, 309},
         "tessara: VASSAL's numbering cannot say the pattern {c}-{r}; it counts its own way there\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        const QStringList before = files();
        EXPECT_EQ(run(row.arguments), std::make_tuple(0, QString(row.out), QString(row.err)));
        QStringList expected = before + row.made;
        expected.sort();
        EXPECT_EQ(files(), expected) << "both files, nothing else";
        EXPECT_EQ(QImage(dir.path(row.made[0])).size(), row.board) << row.arguments;
    }
}

TEST_F(CliExport, EachRefusalHasItsExitStatusAndOneLineAndWritesNothing) {
    // clang-format off
    const struct { const char* arguments; int status; const char* err; } rows[] = {
        {"export map.png", 2, "missing BOARD, the straightened picture to write"},
        {"export map.png b.png --hex-pixels 30", 2, "missing --for, the program the board is for: tiled or vassal"},
        {"export map.png b.png --for tile --hex-pixels 30", 2, "--for must be tiled or vassal, not 'tile'"},
        {"export map.png b.bmp --for tiled --hex-pixels 30", 2, "BOARD 'b.bmp' must end in .png, .jpg or .jpeg"},
        {"export map.png b.png --for tiled --hex-pixels 30 --quality 50", 2, "--quality needs a .jpg BOARD"},
        {"export map.png b.jpg --for tiled --hex-pixels 30 --quality 0", 2, "--quality must be a whole number from 1 to 100, not '0'"},
        {"export map.png b.jpg --for tiled --hex-pixels 30 --quality 101", 2, "--quality must be a whole number from 1 to 100, not '101'"},
        {"export absent.png b.png --for tiled --hex-pixels 30", 2, "cannot read the map 'absent.png': "},
        {"export map.png no/b.png --for tiled --hex-pixels 30", 2, "cannot write 'no/b.png': the folder 'no' does not exist"},
        {"export map.png b.png --for tiled --hex-pixels 6.9", 2, "the hexes would be 6 by 6 pixels for Tiled, below the 8 by 6 it can draw"},
        {"export map.png b.png --for vassal --hex-pixels 7.49", 2, "the hexes would be 7 by 6 pixels for VASSAL, below the 8 by 6 it can draw"},
        {"export map.png taken.png --for tiled --hex-pixels 30", 1, "cannot write 'taken.png': "},
    };
    // clang-format on
    const QStringList before = files();
    for (const auto& row : rows) {
        const auto [status, out, err] = run(row.arguments);
        EXPECT_EQ(status, row.status) << row.arguments;
        EXPECT_TRUE(err.startsWith(QString("tessara: ") + row.err)) << err.toStdString();
        EXPECT_EQ(err.count(u'\n'), 1) << row.arguments;
        EXPECT_EQ(out, "");
        EXPECT_EQ(files(), before) << row.arguments;
    }
}
