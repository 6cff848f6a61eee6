// tessara join, run from a shell as a script runs it, over sections cut from a made-up scan.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "support/program_run.h"
#include "support/test_files.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::test;

namespace {

synthetic::ScanRecipe printedMap(std::uint64_t seed) {
    synthetic::ScanRecipe map;
    map.size = {1000, 700};
    map.grid.hexPixels = 36;
    map.grid.rotation = 0.6;
    map.lineWidth = 2;
    map.lineGrey = 30;
    map.seed = seed;
    return map;
}

class CliJoin : public ::testing::Test {
  protected:
    CliJoin() {
        const QImage map = synthetic::drawScan(printedMap(3));
        writeImage(dir.path("left.png"), map.copy(0, 0, 600, 700), "PNG");
        writeImage(dir.path("right.jpg"), map.copy(420, 0, 580, 700), "JPEG", 92);
        writeImage(dir.path("other.png"), synthetic::drawScan(printedMap(8)).copy(0, 0, 600, 700),
                   "PNG");
        // The two sections as the pages of a print-and-play PDF, at 150 dpi.
        writePdf(dir.path("map.pdf"), {map.copy(0, 0, 600, 700), map.copy(420, 0, 580, 700)}, 150);
        writeImage(dir.path("fake.pdf"), map, "PNG");
        QImage blank(400, 300, QImage::Format_RGB32);
        blank.fill(Qt::white);
        writeImage(dir.path("blank.png"), blank, "PNG");
    }
    Finished run(const QString& arguments) { return runIn(TESSARA_PROGRAM, dir.root(), arguments); }

    ScratchDir dir;
};

}  // namespace

// Each outcome has its exit status and one line; only a board joined is written.
TEST_F(CliJoin, EachOutcomeHasItsExitStatusAndItsOneLine) {
    const QString number = "-?\\d+(\\.\\d+)?";
    const QString seventeen = QString("left.png ").repeated(17);
    // clang-format off
    const struct { const char* guards; QString arguments; int status; QString out; QString err; } rows[] = {
        {"joined, in any order", "join right.jpg left.png board.png", 0,
         QStringLiteral("--orientation rows --hex-pixels %1 --stretch 1 --rotation 0 --skew 0 "
                        "--offset %1,%1 --shifted (first|second)\n").arg(number), ""},
        {"a section of another map", "join left.png other.png board.png", 1, "",
         "tessara: the section 'other.png' shares no part of the map with the others that places it on their grid\n"},
        {"a section without a grid", "join left.png blank.png right.jpg board.png", 1, "",
         "tessara: no printed hex grid found on the section 'blank.png'\n"},
        {"an unreadable section", "join left.png absent.png board.png", 2, "",
         "tessara: cannot read the map 'absent.png': "},
        {"one section", "join left.png board.png", 2, "",
         "tessara: give at least two SECTIONs and OUTPUT, the joined board to write\n"},
        {"seventeen sections", "join " + seventeen + "board.png", 2, "",
         "tessara: at most 16 sections can be joined, not 17\n"},
        {"a bad OUTPUT extension", "join left.png right.jpg board.gif", 2, "",
         "tessara: OUTPUT 'board.gif' must end in .bmp, .png, .jpg, .jpeg, .tif or .tiff\n"},
        {"the two pages of one PDF", "join map.pdf board.png --dpi 150", 0,
         QStringLiteral("--orientation rows --hex-pixels %1 [^\n]+\n").arg(number), ""},
        {"one page of it", "join map.pdf board.png --pages 2", 2, "",
         "tessara: tessara join takes 2 to 16 sections, and these are 1\n"},
        {"a page it does not have", "join map.pdf left.png board.png --pages 1,3", 2, "",
         "tessara: --pages asks for page 3 of 'map.pdf', which has 2\n"},
        {"a page list that is no list", "join map.pdf board.png --pages 2-1", 2, "",
         "tessara: --pages must list pages from 1, such as 1-4 or 1,3,5-6, not '2-1'\n"},
        {"one step past the finest rendering", "join map.pdf board.png --dpi 1200.5", 2, "",
         "tessara: --dpi must be a number from 50 to 1200, not '1200.5'\n"},
        {"a picture named as a PDF", "join fake.pdf left.png board.png", 2, "",
         "tessara: cannot read the map 'fake.pdf': it is not a PDF Tessara can read"},
        {"help", "join --help", 0, "Usage:\n  tessara join SECTION SECTION... OUTPUT \\[--hex-pixels P\\] \\[--pages LIST\\] "
         "\\[--dpi N\\]\n[\\s\\S]+", ""},
    };
    // clang-format on
    for (const auto& row : rows) {
        QFile::remove(dir.path("board.png"));
        const Finished result = run(row.arguments);
        EXPECT_EQ(result.status, row.status) << row.guards << ": " << result.err.toStdString();
        EXPECT_TRUE(QRegularExpression("^" + row.out + "$").match(result.out).hasMatch())
            << row.guards << ": " << result.out.toStdString();
        EXPECT_EQ(result.err.left(row.err.size()), row.err) << row.guards;
        EXPECT_EQ(result.err.count(u'\n'), row.err.isEmpty() ? 0 : 1) << result.err.toStdString();
        const bool writes = row.status == 0 && !row.arguments.contains("--help");
        EXPECT_EQ(QFile::exists(dir.path("board.png")), writes) << row.guards;
    }
}
