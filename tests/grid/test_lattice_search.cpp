#include <gtest/gtest.h>

#include <QLineF>
#include <QPainter>

#include "grid/lattice_fit.h"
#include "grid/lattice_search.h"
#include "grid/line_correlation.h"
#include "grid/map_darkness.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::synthetic;

namespace {

double distance(QPointF a, QPointF b) {
    return QLineF(a, b).length();
}

}  // namespace

TEST(LineWindow, ShrinksLargeMapsByTwoAndCoversTheirMiddle) {
    const struct Row {
        const char* guards;
        QSize picture;
        int factor;
        QSize window;
        QPoint corner;
    } rows[] = {
        {"a small map, whole but for its edges", {1200, 900}, 1, {1024, 896}, {88, 2}},
        {"3 megapixels, the most read whole", {2000, 1500}, 1, {1024, 1024}, {488, 238}},
        {"one column more, shrunk", {2001, 1500}, 2, {992, 736}, {8, 14}},
        {"24 megapixels", {6000, 4000}, 2, {1024, 1024}, {1976, 976}},
        {"a strip, a side too short to round", {3000, 50}, 1, {1024, 50}, {988, 0}},
    };
    for (const Row& row : rows) {
        QImage map(row.picture, QImage::Format_Grayscale8);
        map.fill(200);
        const LineWindow window = lineWindow(MapDarkness(map));
        EXPECT_EQ(window.factor, row.factor) << row.guards;
        EXPECT_EQ(QSize(window.width, window.height), row.window) << row.guards;
        EXPECT_EQ(window.corner, row.corner) << row.guards;
        // A window pixel's centre is the middle of the picture pixels it holds.
        const double half = (row.factor - 1) / 2.0;
        EXPECT_EQ(window.toPicture(QPointF(3, 4)),
                  QPointF(row.corner) + QPointF(3, 4) * row.factor + QPointF(half, half))
            << row.guards;
    }
}

TEST(LineWindow, BringsOutThinLinesAndNotWideDarkAreas) {
    // A light gradient with a dark line 1 pixel wide down x = 100 and a dark band 30 pixels
    // wide from x = 200: a lake's edge or a road is not a line of the grid.
    QImage map(400, 300, QImage::Format_RGB32);
    for (int x = 0; x < 400; ++x) {
        const int shade = 160 + x / 5;
        const QColor c = x == 100              ? QColor(40, 40, 40)
                         : x >= 200 && x < 230 ? QColor(60, 60, 60)
                                               : QColor(shade, shade, shade);
        for (int y = 0; y < 300; ++y) {
            map.setPixel(x, y, c.rgb());
        }
    }
    const LineWindow window = lineWindow(MapDarkness(map));
    ASSERT_EQ(window.factor, 1);
    const auto lines = [&](int x) { return window.lineAt(x - window.corner.x(), 150); };
    EXPECT_GE(lines(100), 200) << "the line, on the log scale";
    EXPECT_EQ(lines(99), 0) << "beside the line";
    EXPECT_EQ(lines(215), 0) << "inside the band";
    EXPECT_EQ(lines(150), 0) << "the gradient";
}

TEST(LatticeSearch, FindsTheStepsAndAHexCentreWithinAPixelOrTwo) {
    using enum GridOrientation;
    const struct Row {
        const char* guards;
        QSize size;
        GridOrientation orientation;
        double hexPixels;
        double rotation;
    } rows[] = {
        {"16 px rows, read whole", {1200, 900}, Rows, 16.2, 1.5},
        {"16 px columns on a map shrunk by 2", {2400, 1800}, Columns, 16.4, -3},
        {"150 px columns, five across the window", {1200, 900}, Columns, 150, 4},
    };
    for (const Row& row : rows) {
        ScanRecipe recipe;
        recipe.size = row.size;
        recipe.grid.orientation = row.orientation;
        recipe.grid.hexPixels = row.hexPixels;
        recipe.grid.rotation = row.rotation;
        recipe.grid.stretch = 1.02;
        recipe.jpegQuality = 80;
        const QImage scan = drawScan(recipe);
        const std::optional<HexLattice> found = searchLattice(lineWindow(MapDarkness(scan)));
        ASSERT_TRUE(found) << row.guards;
        // Some step of the found lattice is the printed one along the lines, and the centre
        // found is some printed hex's.
        const LatticeOnPicture known = latticeOf(recipe.grid, row.hexPixels, recipe.size);
        double along = INFINITY;
        for (const QPointF step : {found->a, found->b, found->b - found->a}) {
            along = std::min({along, distance(step, known.along), distance(-step, known.along)});
        }
        EXPECT_LT(along, 0.004 * row.hexPixels) << row.guards;
        const HexSteps steps = stepsBetween(known, known.centre, found->origin);
        const QPointF printed =
            known.centre + steps.along * known.along + steps.across * known.across;
        EXPECT_LT(distance(printed, found->origin), 2) << row.guards;
    }
}
