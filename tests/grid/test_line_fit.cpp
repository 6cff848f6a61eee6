#include <gtest/gtest.h>

#include "grid/lattice_fit.h"
#include "grid/line_fit.h"
#include "grid/map_darkness.h"
#include "grid_error.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::synthetic;

namespace {

ScanRecipe columnsScan() {
    ScanRecipe recipe;
    recipe.size = QSize(640, 480);
    recipe.grid.orientation = GridOrientation::Columns;
    recipe.grid.hexPixels = 44.3;
    recipe.grid.rotation = 1.7;
    recipe.grid.skew = -0.3;
    recipe.grid.stretch = 1.01;
    recipe.grid.offsetX = 5.5;
    recipe.grid.offsetY = -3.25;
    recipe.lineWidth = 1.5;
    recipe.jpegQuality = 85;
    return recipe;
}

// The printed grid's lattice: a steps along the columns, b to the next column, down.
HexLattice printedLattice(const ScanRecipe& recipe) {
    const LatticeOnPicture l = latticeOf(recipe.grid, *recipe.grid.hexPixels, recipe.size);
    return {l.centre, l.along, l.across + l.along / 2};
}

GridOptions optionsOf(const HexLattice& lattice, QSize picture) {
    const LatticeOnPicture l{GridOrientation::Columns, lattice.origin, lattice.a,
                             lattice.b - lattice.a / 2};
    return optionsForLattice(l, QSizeF(picture)).value();
}

}  // namespace

TEST(LineFit, FromAStartWithinTwoPixelsTheOutlineSettlesOnThePrintedLines) {
    const ScanRecipe recipe = columnsScan();
    const QImage scan = drawScan(recipe);
    const MapDarkness map(scan);
    const HexLattice printed = printedLattice(recipe);
    HexLattice off = printed;
    off.origin += QPointF(1.2, -0.9);  // 1.5 pixels
    off.a *= 0.997;
    off.b *= 1.002;
    const struct Row {
        const char* guards;
        HexLattice start;
    } rows[] = {{"the printed lattice", printed}, {"a start off by 1.5 px and 0.3 per cent", off}};
    for (const Row& row : rows) {
        const std::optional<HexLattice> fitted =
            fitPrintedLines(map, row.start, noProgress(), 0, 1);
        ASSERT_TRUE(fitted) << row.guards;
        const GridError error = gridError(recipe.grid, optionsOf(*fitted, recipe.size), recipe.size,
                                          printedArea(recipe));
        EXPECT_LT(error.max, 0.1) << row.guards;
    }
}

// Each of these outlines runs along some printed lines, or none: the fit refuses them all.
TEST(LineFit, AnOutlineThatIsNotThePrintedOneIsRefused) {
    const ScanRecipe recipe = columnsScan();
    const QImage scan = drawScan(recipe);
    const MapDarkness map(scan);
    const HexLattice p = printedLattice(recipe);
    const struct Row {
        const char* guards;
        HexLattice start;
    } rows[] = {
        {"hexes twice as large", {p.origin, 2 * p.a, 2 * p.b}},
        {"hexes half as large", {p.origin, p.a / 2, p.b / 2}},
        {"hexes the square root of 3 as large, turned 30 degrees",
         {p.origin, p.a + p.b, 2 * p.b - p.a}},
        {"centred on the printed corners", {p.at(1.0 / 3, 1.0 / 3), p.a, p.b}},
        {"moved by half a hex along the columns", {p.at(0.5, 0), p.a, p.b}},
    };
    for (const Row& row : rows) {
        EXPECT_FALSE(fitPrintedLines(map, row.start, noProgress(), 0, 1)) << row.guards;
    }
}

// A square grid's lattice is a hex lattice stretched by 15.5 per cent: an outline on it finds
// lines along its sides only where the squares' lines cross them.
TEST(LineFit, AHexOutlineOnASquareGridIsRefused) {
    ScanRecipe recipe = columnsScan();
    recipe.pattern = Pattern::Square;
    recipe.squarePixels = 40;
    recipe.grid.rotation = 0;
    const QImage scan = drawScan(recipe);
    const MapDarkness map(scan);
    // The squares' corners lie at the offset from the middle, every 40 pixels.
    const QPointF corner = QPointF(320 + recipe.grid.offsetX, 240 + recipe.grid.offsetY);
    for (const QPointF centre : {corner, corner + QPointF(20, 0), corner + QPointF(20, 20)}) {
        EXPECT_FALSE(
            fitPrintedLines(map, {centre, QPointF(0, 40), QPointF(-40, 20)}, noProgress(), 0, 1))
            << "centred at " << centre.x() << ", " << centre.y();
    }
}
