#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "grid/grid_layout.h"

using namespace tessara;

namespace {

GridOptions fitted(GridOrientation orientation, double x, double y, ShiftedLines shifted,
                   double stretch, double hexPixels) {
    return {orientation, x, y, shifted, stretch, hexPixels};
}

using Segments = std::vector<std::pair<QPointF, QPointF>>;

// Gives the box a white picture and records every line drawn on it.
void watch(PictureBox& box, int width, int height, Segments& drawn) {
    QImage white(width, height, QImage::Format_RGB32);
    white.fill(Qt::white);
    box.setPicture(Picture(white));
    box.setScaleMode(ScaleMode::Pixels);
    box.watchLines([&drawn](QPointF a, QPointF b) { drawn.emplace_back(a, b); });
}

Segments traced(const GridLayout& layout, const QRectF& area) {
    Segments segments;
    traceGrid(layout, area, [&](QPointF a, QPointF b) { segments.emplace_back(a, b); });
    return segments;
}

}  // namespace

// Centres and corners worked out by hand from the formulas of grid_layout.h:
// a = 0.288675 s h, p = 0.86602 s h.
TEST(GridLayout, CellsSitWhereTheFormulasPutThem) {
    using enum GridOrientation;
    struct Row {
        const char* guards;
        GridOptions options;
        int line, cell;
        QPointF centre, firstCorner, bottomCorner;
    };
    const Row rows[] = {
        {"the button's grid with its size given in pixels",
         fitted(Rows, 0, 0, ShiftedLines::First, 1, 100),
         0,
         0,
         {0, 28.8675},
         {-50, 0},
         {0, 86.6025}},
        {"an unshifted line sits half a hex along, a pitch down",
         fitted(Rows, 0, 0, ShiftedLines::First, 1, 100),
         1,
         2,
         {250, 115.4695},
         {200, 86.602},
         {250, 173.2045}},
        {"a negative fractional offset, stretched, second lines shifted",
         fitted(Rows, -30.5, 9.25, ShiftedLines::Second, 1.04, 133),
         1,
         2,
         {235.5, 168.9674124},
         {169, 129.0378864},
         {235.5, 248.8264644}},
        {"lines above the first count back from it",
         fitted(Rows, 0, 0, ShiftedLines::First, 1, 100),
         -1,
         0,
         {50, -57.7345},
         {0, -86.602},
         {50, 0.0005}},
        {"columns: flats at top and bottom, the offset moves x and y",
         fitted(Columns, 10, -5, ShiftedLines::First, 1, 50),
         0,
         0,
         {24.43375, -5},
         {10, -30},
         {53.30125, -5}},
        {"the second column is shifted down by half a hex",
         fitted(Columns, 10, -5, ShiftedLines::First, 1, 50),
         1,
         0,
         {67.73475, 20},
         {53.301, -5},
         {96.60225, 20}},
    };
    for (const Row& row : rows) {
        const GridLayout layout = layoutGrid(1000, 800, 5, 100, row.options);
        ASSERT_EQ(layout.problem, GridProblem::None) << row.guards;
        const QPointF centre = hexCentre(layout, row.line, row.cell);
        const std::array<QPointF, 6> corners = hexCorners(layout, row.line, row.cell);
        for (const auto& [got, want] :
             {std::pair{centre, row.centre}, std::pair{corners[0], row.firstCorner},
              std::pair{corners[2], row.bottomCorner}}) {
            EXPECT_NEAR(got.x(), want.x(), 1e-6) << row.guards;
            EXPECT_NEAR(got.y(), want.y(), 1e-6) << row.guards;
        }
    }
}

TEST(GridLayout, DefaultOptionsTraceExactlyWhatTheButtonDraws) {
    Segments drawn;
    PictureBox box(0, 0);
    watch(box, 331, 217, drawn);
    const GridLayout layout = layoutGrid(331, 217, 7, 100, GridOptions{});
    ASSERT_FALSE(layout.fitted());
    drawLayout(box, layout);
    // The plan overshoots the picture; a trace over all of it gives every cell drawn.
    EXPECT_EQ(drawn, traced(layout, QRectF(-1000, -1000, 3000, 3000)));
    EXPECT_EQ(layout.columns(), layout.plan.columns);
}

TEST(GridLayout, AFittedGridDrawsWhatItTracesAndAViewTracesPartOfIt) {
    Segments drawn;
    PictureBox box(0, 0);
    watch(box, 400, 300, drawn);
    const GridLayout layout =
        layoutGrid(400, 300, 5, 100,
                   fitted(GridOrientation::Columns, -7.3, 4.1, ShiftedLines::Second, 1.1, 37.5));
    drawLayout(box, layout);
    const Segments whole = traced(layout, QRectF(0, 0, 400, 300));
    ASSERT_EQ(drawn.size(), whole.size());
    const QRectF view(120, 80, 50, 40);
    const Segments part = traced(layout, view);
    EXPECT_LT(part.size(), whole.size() / 3) << "a view traces the cells it shows";
    for (const auto& segment : whole) {
        const QRectF bounds = QRectF(segment.first, segment.second).normalized();
        if (bounds.adjusted(-1, -1, 1, 1).intersects(view)) {
            EXPECT_NE(std::find(part.begin(), part.end(), segment), part.end())
                << "a segment crossing the view is missing from it";
        }
    }
}

TEST(GridLayout, TheGridCoversThePictureWhateverTheOffset) {
    for (const double offset : {-250.0, -0.1, 0.0, 33.3, 990.0}) {
        const GridLayout layout =
            layoutGrid(500, 400, 5, 100,
                       fitted(GridOrientation::Rows, offset, offset, ShiftedLines::First, 1, 60));
        const QPointF topLeft = hexCorners(layout, layout.firstLine, layout.firstCell)[0];
        const QPointF bottomRight = hexCorners(layout, layout.lastLine, layout.lastCell)[3];
        EXPECT_LE(topLeft.x(), 0) << offset;
        EXPECT_LE(topLeft.y(), 0) << offset;
        EXPECT_GE(bottomRight.x(), 500) << offset;
        EXPECT_GE(bottomRight.y(), 400) << offset;
    }
}

TEST(GridLayout, RefusesMoreThanTheLargestCountOfLines) {
    // With h = 1 px the lines run from -3 to ceil((H + 0.288675) / 0.86602) + 1.
    const GridOptions options = fitted(GridOrientation::Rows, 0, 0, ShiftedLines::First, 1, 1);
    const GridLayout limit = layoutGrid(10, 28371, 5, 100, options);
    EXPECT_EQ(limit.problem, GridProblem::None);
    EXPECT_EQ(limit.rows(), kMaxCells);
    EXPECT_EQ(layoutGrid(10, 28372, 5, 100, options).problem, GridProblem::TooManyCells);
    GridOptions columns = options;
    columns.orientation = GridOrientation::Columns;
    EXPECT_EQ(layoutGrid(28372, 10, 5, 100, columns).problem, GridProblem::TooManyCells);
    EXPECT_EQ(layoutGrid(0, 10, 5, 100, options).problem, GridProblem::NoPictureArea);
}

// The lattice repeats every hex along a line and every two lines across, in the grid's own
// frame, turned or not: an offset of billions of pixels draws the grid of the offset less
// whole periods, as a near one does.
TEST(GridLayout, AFarOffsetDrawsTheGridOfTheOffsetLessWholePeriods) {
    using enum GridOrientation;
    const double across = 2 * kRowPitch * 10;  // two lines of 10-pixel hexes
    const struct {
        GridOrientation orientation;
        double rotation, skew;
        QPointF far, near;
    } rows[] = {{Rows, 0, 0, {6.5e10 + 3, 0}, {3, 0}},
                {Columns, 0, 0, {0, -6.5e10 + 3}, {0, -7}},
                {Rows, 0, 0, {0, 1e12}, {0, std::fmod(1e12, across)}},
                {Rows, 20, 5, {6.5e10 + 3, -4e11}, {3, std::fmod(-4e11, across)}},
                {Columns, -12, 0, {1e12, -6.5e10 + 3}, {std::fmod(1e12, across), -7}}};
    for (const auto& row : rows) {
        const QPointF offsets[] = {row.far, row.near};
        QImage images[2];
        for (int i = 0; i < 2; ++i) {
            PictureBox box(0, 0);
            Segments drawn;
            watch(box, 300, 200, drawn);
            GridOptions options =
                fitted(row.orientation, offsets[i].x(), offsets[i].y(), ShiftedLines::First, 1, 10);
            options.rotation = row.rotation;
            options.skew = row.skew;
            drawLayout(box, layoutGrid(300, 200, 5, 100, options));
            EXPECT_GT(drawn.size(), 500u) << row.rotation;
            images[i] = box.Image().image();
        }
        EXPECT_EQ(images[0], images[1]) << row.far.x() << "," << row.far.y();
    }
}
