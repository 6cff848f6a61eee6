// tessara export, run from a shell as a script runs it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "boards/straightening.h"
#include "settings/grid_settings.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

class CliExport : public ::testing::Test {
  protected:
    CliExport() {
        writeImage(dir.path("map.png"), makeMap(400, 300), "PNG");
        GridSettings settings;
        settings.options.orientation = GridOrientation::Columns;
        settings.options.hexPixels = 31.3;
        settings.options.rotation = 1.5;
        EXPECT_TRUE(saveSettings(settings, dir.path("fit.hexgrid")));
    }
    // A line of a shell script in the scratch folder, `tessara` the built program, with no
    // display.
    Finished run(const QString& line) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(name);
        }
        env.insert("TESSARA", TESSARA_PROGRAM);
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.root());
        process.start("/bin/sh", {"-c", "tessara() { \"$TESSARA\" \"$@\"; }; " + line});
        EXPECT_TRUE(process.waitForFinished(120000)) << line.toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QStringList files() const {
        return QDir(dir.root())
            .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    ScratchDir dir;
};

}  // namespace

TEST_F(CliExport, WritesTheBoardAndItsDefinitionAndSaysTheScale) {
    const struct {
        const char* line;
        const char* out;  // a pattern for all of standard output
        QStringList made;
        QSize board;
        const char* err;
    } rows[] = {
        {"tessara export map.png b.png --for tiled --hex-pixels 30.4",
         "b.png and b.tmx written; scale factor 0.98684 across, 1.02556 down\n",
         {"b.png", "b.tmx"},
         {410, 317},
         ""},
        {"tessara export map.png b.jpg --for vassal --map-width 10 --hex-size 0.8 --quality 1",
         "b.jpg and b.vassal.xml written; scale factor 1.00000 across, 1.01037 down\n",
         {"b.jpg", "b.vassal.xml"},
         {400, 304},
         ""},
        {"tessara export map.png b.jpeg --for vassal --settings fit.hexgrid --quality 100 "
         "--numbers "
         "{c}-{r}",
         "b.jpeg and b.vassal.xml written; scale factor 0.99607 across, 0.99042 down\n",
         {"b.jpeg", "b.vassal.xml"},
         {407, 309},
         "tessara: VASSAL's numbering cannot say the pattern {c}-{r}; it counts its own way "
         "there\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        for (const QString& file : files()) {
            if (file.startsWith("b.")) {
                QFile::remove(dir.path(file));
            }
        }
        const Finished done = run(row.line);
        EXPECT_EQ(done.status, 0);
        EXPECT_EQ(done.out, row.out);
        EXPECT_EQ(done.err, row.err);
        QStringList expected = row.made;
        expected << "fit.hexgrid"
                 << "map.png";
        expected.sort();
        EXPECT_EQ(files(), expected);
        EXPECT_EQ(QImage(dir.path(row.made[0])).size(), row.board);
    }
}

TEST_F(CliExport, EachRefusalHasItsExitStatusAndItsOneLineAndWritesNothing) {
    QDir(dir.root()).mkdir("taken.tmx");
    const struct {
        const char* line;
        int status;
        const char* err;
    } rows[] = {
        {"tessara export", 2, "tessara: missing INPUT, the map picture to read\n"},
        {"tessara export map.png", 2,
         "tessara: missing BOARD, the straightened picture to write\n"},
        {"tessara export map.png b.png --hex-pixels 30", 2,
         "tessara: missing --for, the program the board is for: tiled or vassal\n"},
        {"tessara export map.png b.png --for tile --hex-pixels 30", 2,
         "tessara: --for must be tiled or vassal, not 'tile'\n"},
        {"tessara export map.png b.bmp --for tiled --hex-pixels 30", 2,
         "tessara: BOARD 'b.bmp' must end in .png, .jpg or .jpeg\n"},
        {"tessara export map.png b.png --for tiled --hex-pixels 30 --quality 50", 2,
         "tessara: --quality needs a .jpg BOARD\n"},
        {"tessara export map.png b.jpg --for tiled --hex-pixels 30 --quality 0", 2,
         "tessara: --quality must be a whole number from 1 to 100, not '0'\n"},
        {"tessara export map.png b.jpg --for tiled --hex-pixels 30 --quality 101", 2,
         "tessara: --quality must be a whole number from 1 to 100, not '101'\n"},
        {"tessara export map.png b.png --for tiled --map-width 10", 2,
         "tessara: missing --hex-size, the hexes' size in the same units\n"},
        {"tessara export absent.png b.png --for tiled --hex-pixels 30", 2,
         "tessara: cannot read the map 'absent.png': The file cannot be opened"},
        {"tessara export map.png no/b.png --for tiled --hex-pixels 30", 2,
         "tessara: cannot write 'no/b.png': the folder 'no' does not exist\n"},
        {"tessara export map.png b.png --for tiled --hex-pixels 6.9", 2,
         "tessara: the hexes would be 6 by 6 pixels for Tiled, below the 8 by 6 it can draw\n"},
        {"tessara export map.png b.png --for vassal --hex-pixels 7.49", 2,
         "tessara: the hexes would be 7 by 6 pixels for VASSAL, below the 8 by 6 it can draw\n"},
        {"tessara export map.png taken.png --for tiled --hex-pixels 30", 1,
         "tessara: cannot write 'taken.png': "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const Finished done = run(row.line);
        EXPECT_EQ(done.status, row.status);
        EXPECT_TRUE(done.err.startsWith(row.err)) << done.err.toStdString();
        EXPECT_EQ(done.err.count(u'\n'), 1);
        EXPECT_TRUE(done.out.isEmpty());
        EXPECT_EQ(files(), (QStringList{"fit.hexgrid", "map.png"}));
    }
}

TEST_F(CliExport, ItsHelpNamesItsOptions) {
    const Finished done = run("tessara export --help");
    EXPECT_EQ(done.status, 0);
    for (const char* part : {"tessara export INPUT BOARD --for tiled|vassal", "--for tiled|vassal",
                             "--quality N", "--settings FILE", "--rotation DEG", "--numbers"}) {
        EXPECT_TRUE(done.out.contains(part)) << part;
    }
    EXPECT_FALSE(done.out.contains("--paper"));
}
