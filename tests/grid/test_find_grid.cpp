#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "grid/find_grid.h"
#include "grid_error.h"
#include "support/scripted_progress.h"
#include "synthetic_scan.h"

using namespace tessara;
using tessara::test::ScriptedProgress;
using namespace tessara::synthetic;

namespace {

struct Placement {
    GridOrientation orientation = GridOrientation::Rows;
    double hexPixels = 60;
    double rotation = 0;
    double skew = 0;
    double stretch = 1;
    ShiftedLines shifted = ShiftedLines::First;
};

ScanRecipe scan(Placement p, double lineWidth, int grey, int margin, int jpeg,
                QSize size = {1200, 900}) {
    ScanRecipe recipe;
    recipe.size = size;
    recipe.grid.orientation = p.orientation;
    recipe.grid.hexPixels = p.hexPixels;
    recipe.grid.rotation = p.rotation;
    recipe.grid.skew = p.skew;
    recipe.grid.stretch = p.stretch;
    recipe.grid.shifted = p.shifted;
    recipe.grid.offsetX = 7.31;
    recipe.grid.offsetY = -4.62;
    recipe.lineWidth = lineWidth;
    recipe.lineGrey = grey;
    recipe.margin = margin;
    recipe.jpegQuality = jpeg;
    return recipe;
}

struct Scan {
    const char* guards;
    ScanRecipe recipe;
};

// The found grid's lines lie within half a pixel of the printed ones everywhere over the
// printed area, a fifth of a pixel on average, and the grid reads as printed, rows or columns.
void expectFound(const Scan& row) {
    const ScanRecipe& recipe = row.recipe;
    const std::optional<GridOptions> found = findPrintedGrid(drawScan(recipe));
    ASSERT_TRUE(found) << row.guards;
    const GridError error = gridError(recipe.grid, *found, recipe.size, printedArea(recipe));
    std::printf("  %-80s largest %.3f px, mean %.3f px\n", row.guards, error.max, error.mean);
    EXPECT_LT(error.max, 0.5) << row.guards;
    EXPECT_LT(error.mean, 0.2) << row.guards;
    EXPECT_GT(error.points, 200) << row.guards;
    // Every option but the offset and the shifted lines (which may name the same grid
    // differently) is the printed one's.
    const GridOptions& known = recipe.grid;
    EXPECT_EQ(found->orientation, known.orientation) << row.guards;
    EXPECT_NEAR(*found->hexPixels, *known.hexPixels, 0.02) << row.guards;
    EXPECT_NEAR(found->stretch, known.stretch, 0.0005) << row.guards;
    EXPECT_NEAR(found->rotation, known.rotation, 0.02) << row.guards;
    EXPECT_NEAR(found->skew, known.skew, 0.02) << row.guards;
}

using enum GridOrientation;

// A fast, plain scan for the tests that are not about accuracy.
ScanRecipe plainScan() {
    ScanRecipe recipe = scan({Columns, 44.3, 1.7, -0.3, 1.01}, 1.5, 40, 0, 90, {480, 360});
    recipe.features = false;
    return recipe;
}

}  // namespace

TEST(FindGrid, SmallHexesLieOnThePrintedLines) {
    const Scan rows[] = {
        {"16 px rows in faint grey 1 px lines through JPEG",
         scan({Rows, 16, 1.3, -0.4, 0.98}, 1, 150, 0, 80)},
        {"16 px columns, 2 px lines, leaning, stretched, in a margin",
         scan({Columns, 16.4, -2, 0.5, 1.02}, 2, 0, 40, 85)},
        {"rows upright, crisp 1.5 px black lines, no JPEG", scan({Rows, 60}, 1.5, 0, 0, 0)},
        {"columns turned -5 degrees, 1 px lines, JPEG", scan({Columns, 48.7, -5}, 1, 0, 0, 85)},
        {"columns 40 px on a portrait page, turned 0.6 degrees, 300 by 298 dpi",
         scan({Columns, 40.2, 0.6, 0, 0.99333}, 1.5, 60, 30, 90, {900, 1200})},
    };
    for (const Scan& row : rows) {
        expectFound(row);
    }
}

TEST(FindGrid, LargeHexesLieOnThePrintedLines) {
    ScanRecipe soft = scan({Rows, 70.5, -1.1, 0.3, 1.015}, 2, 80, 0, 60);
    soft.blur = 0.8;
    soft.grain = 8;
    ScanRecipe faint = scan({Columns, 96, 2.4, -0.2, 0.995}, 1.2, 210, 50, 0);
    faint.grain = 5;
    const Scan rows[] = {
        {"rows turned 5 degrees, leaning 1 degree, stretched 1.03, 4 px lines",
         scan({Rows, 90, 5, 1, 1.03}, 4, 0, 0, 90)},
        {"150 px columns in a white margin with a title, second lines shifted",
         scan({Columns, 150, 2.2, 0.7, 0.97, ShiftedLines::Second}, 2, 0, 80, 90)},
        {"150 px rows, 4 px grey lines, turned -3.1 degrees, JPEG 75, in a margin",
         scan({Rows, 150, -3.1, -1, 1.01}, 4, 60, 50, 75)},
        {"a soft, grainy scan through JPEG 60", soft},
        {"lines so faint they darken the map by a sixth", faint},
    };
    for (const Scan& row : rows) {
        expectFound(row);
    }
}

// Regular rows turned by 25 degrees are regular columns turned the other way by 5: the same
// lines, read with the smaller turn.
TEST(FindGrid, ReadsRowsOrColumnsWithTheSmallerTurn) {
    ScanRecipe recipe = scan({Rows, 50, 25}, 1.5, 0, 0, 90, {640, 480});
    recipe.features = false;
    const std::optional<GridOptions> found = findPrintedGrid(drawScan(recipe));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->orientation, Columns);
    EXPECT_NEAR(found->rotation, -5, 0.02);
    EXPECT_NEAR(*found->hexPixels, 50, 0.02);
    EXPECT_LT(gridError(recipe.grid, *found, recipe.size, printedArea(recipe)).max, 0.5);
}

TEST(FindGrid, APictureWithoutAHexGridGivesNothing) {
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QImage narrow(47, 200, QImage::Format_RGB32);
    narrow.fill(Qt::black);
    ScanRecipe grain = plainScan();
    grain.pattern = Pattern::None;
    grain.terrain = false;
    grain.grain = 40;
    ScanRecipe map = scan({}, 1, 0, 60, 85);
    map.pattern = Pattern::None;
    const auto square = [](double side, double rotation, int grey, double width, int margin,
                           int jpeg, double grain, QPointF offset, std::uint64_t seed) {
        ScanRecipe recipe = scan({Rows, 60, rotation}, width, grey, margin, jpeg);
        recipe.pattern = Pattern::Square;
        recipe.squarePixels = side;
        recipe.grain = grain;
        recipe.grid.offsetX = offset.x();
        recipe.grid.offsetY = offset.y();
        recipe.seed = seed;
        return drawScan(recipe);
    };
    // Columns of 44.3 px, whose fit lies on all their lines, beside columns of 60 px.
    ScanRecipe left = plainScan();
    left.size = {320, 360};
    ScanRecipe right = left;
    right.grid = {Columns, 0, 0, ShiftedLines::First, 1, 60};
    right.seed = 7;
    const struct Row {
        const char* guards;
        QImage picture;
    } rows[] = {
        {"blank paper", blank},
        {"grain and nothing else", drawScan(grain)},
        {"a map with labels, a road and a river but no grid", drawScan(map)},
        // An outline forced onto the 17 px squares finds lines along all three directions
        // of its sides, where the squares' lines cross them, but not most of the time.
        {"a square grid of 113 px, 3 px lines, in a margin",
         square(113.12, 2.56, 0, 2.91, 99, 0, 2.7, {19.28, 48.34}, 501)},
        {"a square grid of 17 px in grey, in a margin",
         square(17.16, -2.04, 150, 1.32, 69, 0, 2.68, {37.11, 11.12}, 514)},
        {"a square grid of 50 px, upright", square(50, 0, 0, 1.5, 0, 85, 3, {}, 1)},
        {"two grids side by side, the one found explaining about half of the lines",
         drawSideBySide(left, right)},
        {"no picture", QImage()},
        {"a picture too narrow to hold a hex", narrow},
    };
    for (const Row& row : rows) {
        EXPECT_FALSE(findPrintedGrid(row.picture)) << row.guards;
    }
}

TEST(FindGrid, EveryPictureFormatGivesTheSameGrid) {
    const ScanRecipe recipe = plainScan();
    const QImage picture = drawScan(recipe);
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888,
          QImage::Format_Grayscale8, QImage::Format_Indexed8}) {
        const std::optional<GridOptions> found = findPrintedGrid(picture.convertToFormat(format));
        ASSERT_TRUE(found) << "format " << format;
        const GridError error = gridError(recipe.grid, *found, recipe.size, printedArea(recipe));
        EXPECT_LT(error.max, 0.5) << "format " << format;
    }
}

TEST(FindGrid, TheSamePictureGivesTheSameOptions) {
    const QImage picture = drawScan(plainScan());
    const std::optional<GridOptions> first = findPrintedGrid(picture);
    ASSERT_TRUE(first);
    EXPECT_EQ(findPrintedGrid(picture), first);
}

TEST(FindGrid, StopsWhenTheUserAsksAtAnyReport) {
    const QImage picture = drawScan(plainScan());
    ScriptedProgress counted;
    ASSERT_TRUE(findPrintedGrid(picture, counted));
    EXPECT_EQ(counted.steps, QStringList{"Looking for the printed grid"});
    ASSERT_GT(counted.reports, 3);
    for (const int stopAt : {0, counted.reports / 2, counted.reports - 1}) {
        ScriptedProgress progress;
        progress.stopAt = stopAt;
        EXPECT_THROW(findPrintedGrid(picture, progress), WorkCancelled) << "report " << stopAt;
        EXPECT_EQ(progress.reports, stopAt + 1) << "no report after the stop";
    }
}

// The measure the accuracy rows rely on sees a grid moved by a third of a pixel.
TEST(FindGrid, TheErrorMeasureSeesAShiftOfAThirdOfAPixel) {
    const ScanRecipe recipe = scan({Columns, 30, 2.5, 0.4, 1.02}, 1, 0, 40, 0);
    GridOptions moved = recipe.grid;
    EXPECT_LT(gridError(recipe.grid, moved, recipe.size, printedArea(recipe)).max, 1e-9);
    moved.offsetX += 0.2;
    moved.offsetY -= 0.25;  // 0.32 px in all
    const GridError error = gridError(recipe.grid, moved, recipe.size, printedArea(recipe));
    EXPECT_NEAR(error.max, 0.32, 0.005);
    EXPECT_GT(error.mean, 0.15);
    GridOptions larger = recipe.grid;
    *larger.hexPixels *= 1.001;  // 1.5 px off at the far corner
    EXPECT_GT(gridError(recipe.grid, larger, recipe.size, printedArea(recipe)).max, 0.5);
}
