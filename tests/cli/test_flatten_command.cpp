// tessara flatten, run from a shell as a script runs it, over a made-up photo of a board.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cli/command_line.h"
#include "grid/find_grid.h"
#include "grid/grid_fields.h"
#include "grid/hex_lattice.h"
#include "grid_error.h"
#include "photo/board_flattening.h"
#include "photo/photo_flattening.h"
#include "photo/printed_fit.h"
#include "support/program_run.h"
#include "support/test_files.h"
#include "synthetic_photo.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// A board of 50 px hexes seen tilted by 15 degrees through a barrelling lens: about 35 px
// hexes on the photo.
synthetic::PhotoRecipe photoRecipe() {
    return synthetic::tiltedBoardPhoto({900, 680});
}

class CliFlatten : public ::testing::Test {
  protected:
    CliFlatten() {
        writeImage(dir.path("photo.png"), synthetic::drawPhoto(photoRecipe()), "PNG");
        synthetic::PhotoRecipe columns = photoRecipe();
        columns.board.grid.orientation = GridOrientation::Columns;
        writeImage(dir.path("columns.jpg"), synthetic::drawPhoto(columns), "JPEG", 90);
        QImage blank(300, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        writeImage(dir.path("blank.png"), blank, "PNG");
    }
    Finished run(const QString& arguments, long fileLimit = -1) {
        return runIn(TESSARA_PROGRAM, dir.root(), arguments, fileLimit);
    }
    QStringList files() const { return filesIn(dir.root()); }

    ScratchDir dir;
};

// How far the hex centre of `found` lies from the nearest hex centre of `told`, pixels.
double offLattice(const LatticeOnPicture& found, const LatticeOnPicture& told) {
    const HexLattice lattice{told.centre, told.along, told.across + told.along / 2};
    const QPointF at = lattice.coordinatesOf(found.centre);
    const QPointF rest = found.centre - lattice.at(std::round(at.x()), std::round(at.y()));
    return std::hypot(rest.x(), rest.y());
}

}  // namespace

// Each outcome has its exit status and one line; only a board done is written.
TEST_F(CliFlatten, EachOutcomeHasItsExitStatusAndItsOneLine) {
    const QString number = "-?\\d+(\\.\\d+)?";
    const QString range = field::kHexPixels.rangeText();
    // clang-format off
    const struct { const char* guards; QString arguments; int status; QString out; QString err; long fileLimit = -1; } rows[] = {
        {"the upright grid's options", "flatten photo.png flat.png", 0,
         QStringLiteral("--orientation rows --hex-pixels %1 --stretch 1 --rotation 0 --skew 0 "
                        "--offset %1,%1 --shifted (first|second)\n").arg(number), ""},
        {"columns stay columns", "flatten columns.jpg flat.tif --hex-pixels 30", 0,
         QStringLiteral("--orientation columns --hex-pixels 30 --stretch 1 --rotation 0 --skew 0 "
                        "--offset %1,%1 --shifted (first|second)\n").arg(number), ""},
        {"no grid", "flatten blank.png none.png", 1, "", "tessara: no printed hex grid found on the map 'blank.png'\n"},
        {"an unreadable INPUT", "flatten absent.png none.png", 2, "", "tessara: cannot read the map 'absent.png': "},
        {"a bad OUTPUT extension", "flatten photo.png flat.gif", 2, "",
         "tessara: OUTPUT 'flat.gif' must end in .bmp, .png, .jpg, .jpeg, .tif or .tiff\n"},
        {"no OUTPUT", "flatten photo.png", 2, "", "tessara: missing OUTPUT, the flattened board to write\n"},
        {"hexes of nothing", "flatten photo.png none.png --hex-pixels 0", 2, "",
         "tessara: --hex-pixels must be " + range + ", not '0'\n"},
        {"one step past the largest", "flatten photo.png none.png --hex-pixels 32767.01", 2, "",
         "tessara: --hex-pixels must be " + range + ", not '32767.01'\n"},
        {"too long a board", "flatten photo.png none.png --hex-pixels 2000", 2, "",
         "tessara: --hex-pixels 2000 makes a board of "},
        {"a disk that fills up part way, a PNG made band by band", "flatten photo.png full.png", 1, "",
         "tessara: cannot write 'full.png': File too large\n", 20000},
        {"a disk that fills up part way, a TIFF", "flatten photo.png full.tif", 1, "",
         "tessara: cannot write 'full.tif': File too large\n", 20000},
        {"the grid's options are not flatten's", "flatten photo.png none.png --rotation 1", 2, "",
         "tessara: unknown option '--rotation'\n"},
        {"help", "flatten --help", 0, "Usage:\n  tessara flatten INPUT OUTPUT \\[--hex-pixels P\\]\n[\\s\\S]+"
         "bicubic[\\s\\S]+up to the paper's edge[\\s\\S]+one hex more round them[\\s\\S]+--hex-pixels P +the flattened hexes' size[\\s\\S]+", ""},
    };
    // clang-format on
    for (const auto& row : rows) {
        const QStringList before = files();
        const Finished result = run(row.arguments, row.fileLimit);
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_TRUE(QRegularExpression("^" + row.out + "$").match(result.out).hasMatch())
            << row.guards << ": " << result.out.toStdString();
        EXPECT_EQ(result.err.left(row.err.size()), row.err) << row.guards;
        EXPECT_EQ(result.err.count(u'\n'), row.err.isEmpty() ? 0 : 1) << result.err.toStdString();
        const bool writes = row.status == 0 && !row.arguments.contains("--help");
        EXPECT_EQ(files().size(), before.size() + (writes ? 1 : 0)) << row.guards;
    }
}

// The flat finder reads on the flattened board the grid the command printed, and the printed
// lines lie on it: 0.2 px on average, as a flat scan is read (they measure 0.055 px, 0.17 px
// at the 95th percentile). The board holds the printed area and the paper's margin.
TEST_F(CliFlatten, TheFlatFinderReadsThePrintedGridOnTheBoard) {
    const Finished result = run("flatten photo.png flat.png");
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const CommandLine printed =
        parseCommandLine(("grid flat.png x.png " + result.out.trimmed()).split(u' '));
    ASSERT_EQ(printed.action, CommandAction::Grid) << printed.error.toStdString();
    const GridOptions told = printed.grid.choices.options;
    const QImage board = LoadPicture(dir.path("flat.png")).image();
    // Written band by band, the board is the one made whole, pixel for pixel.
    const QImage whole =
        flattenByPrintedGrid(LoadPicture(dir.path("photo.png")).image(), std::nullopt).board;
    EXPECT_TRUE(board.convertToFormat(QImage::Format_RGB32) == whole);
    const std::optional<GridOptions> found = findPrintedGrid(board);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->orientation, told.orientation);
    EXPECT_NEAR(*found->hexPixels, *told.hexPixels, 0.05);
    EXPECT_NEAR(found->rotation, 0, 0.01);
    // An offset names one hex centre of many: the found one lies on a centre of the told grid.
    const double offBy = offLattice(latticeOf(*found, *found->hexPixels, QSizeF(board.size())),
                                    latticeOf(told, *told.hexPixels, QSizeF(board.size())));
    EXPECT_LT(offBy, 0.2);
    const synthetic::GridError apart =
        synthetic::gridError(told, *found, board.size(), QRectF(QPointF(), board.size()));
    const PrintedFit lines = printedFit(board, told);
    std::printf(
        "  board %dx%d, hexes %.2f px: found %.3f px, rotation %.4f, a centre %.3f px "
        "off; grids %.3f px apart on average; printed lines %.3f px off on average, "
        "%.3f px at the 95th percentile, over %d cuts\n",
        board.width(), board.height(), *told.hexPixels, *found->hexPixels, found->rotation, offBy,
        apart.mean, lines.mean, lines.ninetyFifth, lines.cuts);
    // The paper's own edge is found: the board ends where the paper does, to a tenth of a hex.
    const QSizeF paper = synthetic::paperOnFlatBoard(photoRecipe().board, *told.hexPixels);
    EXPECT_NEAR(board.width(), paper.width(), *told.hexPixels / 10);
    EXPECT_NEAR(board.height(), paper.height(), *told.hexPixels / 10);
    EXPECT_LT(apart.mean, 0.2);
    EXPECT_LT(lines.mean, 0.2);
    EXPECT_LT(lines.ninetyFifth, 0.5);
    EXPECT_GT(lines.cuts, 300);
}

// A board folded by 6 px on the photo flattens as a flat one does: the printed lines lie on
// the grid printed, 0.2 px on average and 0.5 px at the 95th percentile.
TEST_F(CliFlatten, AFoldedBoardFlattensOntoItsPrintedGrid) {
    synthetic::PhotoRecipe recipe = photoRecipe();
    recipe.fold = 6;
    writeImage(dir.path("folded.png"), synthetic::drawPhoto(recipe), "PNG");
    const Finished result = run("flatten folded.png flat.png");
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const CommandLine printed =
        parseCommandLine(("grid flat.png x.png " + result.out.trimmed()).split(u' '));
    ASSERT_EQ(printed.action, CommandAction::Grid) << printed.error.toStdString();
    const QImage board = LoadPicture(dir.path("flat.png")).image();
    const PrintedFit lines = printedFit(board, printed.grid.choices.options);
    std::printf(
        "  folded by 6 px: printed lines %.3f px off on average, %.3f px at the 95th "
        "percentile, over %d cuts\n",
        lines.mean, lines.ninetyFifth, lines.cuts);
    EXPECT_LT(lines.mean, 0.2);
    EXPECT_LT(lines.ninetyFifth, 0.5);
    EXPECT_GT(lines.cuts, 300);
}

// Hexes of 40 px read 816 hexes apart in a row make a board 819 hexes wide: 32760 px fit,
// 40.01 px (32769) do not; the largest seen, 41 px, is brought down to the 40 that fit.
TEST(FlatBoard, StaysWithinTheLongestSide) {
    const auto grid = [](double step) {
        PhotoGrid photo;
        photo.lattice.m = {step, step / 2, 0, 0, step * 0.8660254, 0, 0, 0, 1};
        photo.lens = PhotoLens::of(QSizeF(4000, 3000), 0);
        return photo;
    };
    const std::vector<QPointF> hexes{{0, 0}, {816, 0}};
    const struct {
        const char* guards;
        double seen;
        std::optional<double> asked;
        std::optional<double> made;
        bool capped;
        int width;
    } rows[] = {
        {"the largest seen fits", 40, std::nullopt, 40, false, 32760},
        {"asked, at the limit", 41, 40, 40, false, 32760},
        {"asked, one step past it", 40, 40.01, std::nullopt, false, 32769},
        {"the largest seen is capped", 41, std::nullopt, 40, true, 32760},
    };
    for (const auto& row : rows) {
        const FlatPlan plan = planFlatBoard(grid(row.seen), hexes, row.asked);
        EXPECT_EQ(plan.capped, row.capped) << row.guards;
        ASSERT_EQ(plan.board.has_value(), row.made.has_value()) << row.guards;
        const QSize size = plan.board ? plan.board->size : plan.wanted;
        EXPECT_EQ(size.width(), row.width) << row.guards;
        if (plan.board) {
            EXPECT_DOUBLE_EQ(plan.board->hexPixels, *row.made) << row.guards;
        }
    }
}
