// tessara find-grid, run from a shell as a script runs it, over made-up scans.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "cli/command_line.h"
#include "cli/find_grid_command.h"
#include "grid/find_grid.h"
#include "grid/grid_generation.h"
#include "grid_error.h"
#include "support/qt_print.h"
#include "support/test_files.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::test;

namespace {

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

// Columns of 44.3-pixel hexes, turned, leaning and stretched, in grey lines over terrain.
synthetic::ScanRecipe scanRecipe() {
    synthetic::ScanRecipe recipe;
    recipe.size = {480, 360};
    recipe.grid = {
        GridOrientation::Columns, 7.31, -4.62, ShiftedLines::Second, 1.01, 44.3, 1.7, -0.3};
    recipe.lineGrey = 40;
    recipe.features = false;
    return recipe;
}

}  // namespace

class CliFindGrid : public ::testing::Test {
  protected:
    CliFindGrid() {
        const QByteArray jpeg =
            readBytes(writeImage(dir.path("scan.jpg"), synthetic::drawScan(recipe), "JPEG", 90));
        writeBytes(dir.path("cut.jpg"), jpeg.left(jpeg.size() / 2));
        QImage blank(300, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        writeImage(dir.path("blank.png"), blank, "PNG");
    }
    // A line of a shell script in the scratch folder, `tessara` being the built program, on a
    // machine without a display.
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

    ScratchDir dir;
    const synthetic::ScanRecipe recipe = scanRecipe();
};

TEST_F(CliFindGrid, EachOutcomeHasItsExitStatusAndItsOneLine) {
    const QString number = "-?\\d+(\\.\\d+)?";
    const QString options = QStringLiteral(
                                "--orientation columns --hex-pixels %1 --stretch %1 --rotation "
                                "%1 --skew %1 --offset %1,%1 --shifted (first|second)\n")
                                .arg(number);
    const QString read = "tessara: cannot read the map ";
    struct Row {
        const char* guards;
        QString line;
        int status;
        QString out;  // a pattern for all of standard output
        QString err;  // all of standard error, or its start when `start` is set
        bool start = false;
    } const rows[] = {
        {"a scan with a hex grid", "tessara find-grid scan.jpg", 0, options, ""},
        {"blank paper", "tessara find-grid blank.png", 1, "",
         "tessara: no printed hex grid found on the map 'blank.png'\n"},
        {"no INPUT", "tessara find-grid", 2, "",
         "tessara: missing INPUT, the map picture to read\n"},
        {"two INPUTs", "tessara find-grid scan.jpg blank.png", 2, "",
         "tessara: unexpected argument 'blank.png'\n"},
        {"an option of tessara grid", "tessara find-grid scan.jpg --hex-pixels 40", 2, "",
         "tessara: unknown option '--hex-pixels'\n"},
        {"a missing INPUT", "tessara find-grid absent.jpg", 2, "",
         read + "'absent.jpg': The file cannot be opened: No such file or directory\n"},
        {"a JPEG cut short", "tessara find-grid cut.jpg", 2, "", read + "'cut.jpg': ", true},
        {"its help", "tessara find-grid --help", 0,
         "Usage:\n  tessara find-grid INPUT\n[^\\n]+\n[^\\n]+\n\ntessara find-grid looks at "
         "INPUT[^-]+Examples:\n  tessara grid scan.jpg out.png --map-width 40 --hex-size 1 "
         "\\$\\(tessara find-grid scan.jpg\\)\n\nExit status of tessara find-grid: [^-]+",
         ""},
    };
    for (const Row& row : rows) {
        const Finished result = run(row.line);
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_TRUE(QRegularExpression("^" + row.out + "$").match(result.out).hasMatch())
            << row.guards << ": " << result.out.toStdString();
        EXPECT_EQ(row.start ? result.err.left(row.err.size()) : result.err, row.err) << row.guards;
        EXPECT_TRUE(result.err.isEmpty() || result.err.indexOf(u'\n') == result.err.size() - 1)
            << row.guards << ": one line, " << result.err.toStdString();
    }
    const QString usage = run("tessara --help").out;
    EXPECT_TRUE(usage.contains("\n  tessara find-grid INPUT\n")) << "listed with tessara grid";
    EXPECT_TRUE(usage.contains("$(tessara find-grid scan.jpg)\n"));
}

// The options printed are the search's own, to the last bit: the one-line script draws the
// very grid the search found, which lies on the printed lines.
TEST_F(CliFindGrid, TheOneLineScriptDrawsTheGridTheSearchFound) {
    const Finished script = run(
        "tessara grid scan.jpg out.png --map-width 40 --hex-size 1 $(tessara find-grid scan.jpg)");
    ASSERT_EQ(script.status, 0) << script.err.toStdString();
    EXPECT_EQ(script.out + script.err, "");

    const Picture scan = LoadPicture(dir.path("scan.jpg"));
    const std::optional<GridOptions> found = findPrintedGrid(scan.image());
    ASSERT_TRUE(found);
    EXPECT_LT(synthetic::gridError(recipe.grid, *found, recipe.size, printedArea(recipe)).max, 0.5);
    PictureBox expected(0, 0);
    expected.setPicture(scan);
    ASSERT_EQ(drawGridOn(expected, {40, 1}, {1, Qt::black}, *found).failure, GridFailure::None);
    const QImage drawn = LoadPicture(dir.path("out.png")).image();
    EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32),
              expected.Image().image().convertToFormat(QImage::Format_RGB32));

    const QString printed = run("tessara find-grid scan.jpg").out.trimmed();
    const CommandLine read = parseCommandLine(("grid scan.jpg out.bmp " + printed).split(u' '));
    ASSERT_EQ(read.action, CommandAction::Grid) << read.error.toStdString();
    EXPECT_EQ(read.grid.options, *found) << printed.toStdString();
}

TEST(GridArguments, WriteEveryOptionWithTheDecimalsOfAFoundGrid) {
    using enum GridOrientation;
    const struct {
        const char* guards;
        GridOptions options;
        const char* line;
    } rows[] = {
        {"columns turned and leaning, second lines shifted",
         {Columns, 12.371, -7.912, ShiftedLines::Second, 1.002104, 48.251372, 0.60412, -0.01207},
         "--orientation columns --hex-pixels 48.251372 --stretch 1.002104 --rotation 0.60412 "
         "--skew -0.01207 --offset 12.371,-7.912 --shifted second"},
        {"whole numbers without zeros after them, and no minus on a zero",
         {Rows, -0.0, 0, ShiftedLines::First, 1, 60.0, -0.0000001, 0},
         "--orientation rows --hex-pixels 60 --stretch 1 --rotation 0 --skew 0 --offset 0,0 "
         "--shifted first"},
        {"six decimals for sizes and turns, three for the offset",
         {Rows, 1.23456, 300.0004, ShiftedLines::First, 0.9876543, 16.1234564, -4.99999949, 0},
         "--orientation rows --hex-pixels 16.123456 --stretch 0.987654 --rotation -4.999999 "
         "--skew 0 --offset 1.235,300 --shifted first"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(gridArguments(row.options), row.line) << row.guards;
    }
}
