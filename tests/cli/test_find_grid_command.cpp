// tessara find-grid, run from a shell as a script runs it, over made-up scans.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "cli/command_line.h"
#include "grid/find_grid.h"
#include "grid/grid_generation.h"
#include "grid_error.h"
#include "support/program_run.h"
#include "support/test_files.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::test;

namespace {

class CliFindGrid : public ::testing::Test {
  protected:
    CliFindGrid() {
        recipe.size = {480, 360};
        recipe.grid = {
            GridOrientation::Columns, 7.31, -4.62, ShiftedLines::Second, 1.01, 44.3, 1.7, -0.3};
        recipe.features = false;
        const QByteArray jpeg =
            readBytes(writeImage(dir.path("scan.jpg"), synthetic::drawScan(recipe), "JPEG", 90));
        writeBytes(dir.path("cut.jpg"), jpeg.left(jpeg.size() / 2));
        synthetic::ScanRecipe left = recipe;
        left.size = {320, 360};
        synthetic::ScanRecipe right = left;
        right.grid = {GridOrientation::Columns, 0, 0, ShiftedLines::First, 1, 60};
        writeImage(dir.path("two.jpg"), synthetic::drawSideBySide(left, right), "JPEG", 90);
        QImage blank(300, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        writeImage(dir.path("blank.png"), blank, "PNG");
    }
    // A line of a shell script in the scratch folder, `tessara` the built program, with no
    // display.
    Finished run(const QString& line) {
        QProcessEnvironment env = environmentWithoutDisplay();
        env.insert("TESSARA", TESSARA_PROGRAM);
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.root());
        process.start("/bin/sh", {"-c", "tessara() { \"$TESSARA\" \"$@\"; }; " + line});
        return finish(process, line.toStdString());
    }

    ScratchDir dir;
    synthetic::ScanRecipe recipe;
};

}  // namespace

TEST_F(CliFindGrid, EachOutcomeHasItsExitStatusAndItsOneLine) {
    const QString found =
        QStringLiteral(
            "--orientation columns --hex-pixels %1 --stretch %1 --rotation %1 --skew "
            "%1 --offset %1,%1 --shifted (first|second)\n")
            .arg("-?\\d+(\\.\\d+)?");
    const QString cannot = "tessara: cannot read the map ";
    const struct {
        QString line;
        int status;
        QString out;  // a pattern for all of standard output
        QString err;  // the start of standard error, which is one line
    } rows[] = {
        {"find-grid scan.jpg", 0, found, ""},
        {"find-grid blank.png", 1, "", "tessara: no printed hex grid found on the map 'blank.png'"},
        {"find-grid two.jpg", 1, "", "tessara: no printed hex grid found on the map 'two.jpg'"},
        {"find-grid", 2, "", "tessara: missing INPUT, the map picture to read"},
        {"find-grid scan.jpg blank.png", 2, "", "tessara: unexpected argument 'blank.png'"},
        {"find-grid scan.jpg --hex-pixels 40", 2, "", "tessara: unknown option '--hex-pixels'"},
        {"find-grid absent.jpg", 2, "", cannot + "'absent.jpg': The file cannot be opened"},
        {"find-grid cut.jpg", 2, "", cannot + "'cut.jpg': "},
        {"find-grid --help", 0,
         "Usage:\n  tessara find-grid INPUT\n[\\s\\S]+Examples:\n.+ 1 "
         "\\$\\(tessara find-grid scan.jpg\\)\n\nExit status of tessara find-grid: [\\s\\S]+",
         ""},
    };
    for (const auto& row : rows) {
        const Finished result = run("tessara " + row.line);
        EXPECT_EQ(result.status, row.status) << row.line.toStdString();
        EXPECT_TRUE(QRegularExpression("^" + row.out + "$").match(result.out).hasMatch())
            << row.line.toStdString() << ": " << result.out.toStdString();
        EXPECT_EQ(result.err.left(row.err.size()), row.err) << row.line.toStdString();
        EXPECT_EQ(result.err.count(u'\n'), row.err.isEmpty() ? 0 : 1) << result.err.toStdString();
    }
    EXPECT_TRUE(run("tessara --help").out.contains("\n  tessara find-grid INPUT\n"));
}

// The options printed are the search's own, to the last bit: the one-line script draws the
// very grid the search found, and that lies on the printed lines.
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
    EXPECT_EQ(LoadPicture(dir.path("out.png")).image().convertToFormat(QImage::Format_RGB32),
              expected.Image().image().convertToFormat(QImage::Format_RGB32));

    const QString printed = run("tessara find-grid scan.jpg").out.trimmed();
    const CommandLine read = parseCommandLine(("grid scan.jpg out.bmp " + printed).split(u' '));
    EXPECT_EQ(read.grid.choices.options, *found) << printed.toStdString();
}
