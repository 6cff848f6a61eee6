#include <gtest/gtest.h>

#include <QLineF>

#include "grid/grid_layout.h"
#include "grid/lattice_fit.h"

using namespace tessara;

namespace {

GridOptions turned(GridOrientation orientation, double x, double y, double hexPixels,
                   double rotation, double skew, double stretch = 1,
                   ShiftedLines shifted = ShiftedLines::First) {
    GridOptions options{orientation, x, y, shifted, stretch, hexPixels};
    options.rotation = rotation;
    options.skew = skew;
    return options;
}

double distance(QPointF a, QPointF b) {
    return QLineF(a, b).length();
}

}  // namespace

// Worked by hand from grid_placement.h on a 1000 x 800 picture (centre 500, 400): the upright
// centre q, then q - c leaned by tan(skew) and turned clockwise.
TEST(GridPlacement, TurnedAndLeaningCentresSitWhereTheFormulasPutThem) {
    using enum GridOrientation;
    struct Row {
        const char* guards;
        GridOptions options;
        int line, cell;
        QPointF centre;
    } const rows[] = {
        {"rows turned 30 degrees clockwise: (500, 28.87) swings right and down",
         turned(Rows, 0, 0, 100, 30, 0),
         0,
         5,
         {685.56625, 78.58982683}},
        {"rows leaning 10 degrees: x moves by tan 10 times y - 400",
         turned(Rows, 0, 0, 100, 0, 10),
         0,
         5,
         {434.55932683, 28.8675}},
        {"columns turned 2 degrees the other way",
         turned(Columns, 10, -5, 50, -2, 0),
         1,
         0,
         {54.73626556, 35.31732540}},
        {"columns leaning: y moves by tan(-5) times x - 500",
         turned(Columns, 10, -5, 50, 0, -5),
         1,
         0,
         {67.73475, 57.81830901}},
        {"columns turned and leaning",
         turned(Columns, 10, -5, 50, 1.5, 3),
         1,
         0,
         {78.42313107, -13.83146743}},
    };
    for (const Row& row : rows) {
        const GridLayout layout = layoutGrid(1000, 800, 5, 100, row.options);
        ASSERT_EQ(layout.problem, GridProblem::None) << row.guards;
        const QPointF centre = hexCentre(layout, row.line, row.cell);
        EXPECT_NEAR(centre.x(), row.centre.x(), 1e-6) << row.guards;
        EXPECT_NEAR(centre.y(), row.centre.y(), 1e-6) << row.guards;
        // The frame and back, and the painter's transform, agree with it.
        const GridPlacement& placement = layout.placement;
        const QPointF frame = placement.toFrame(centre);
        EXPECT_LT(distance(placement.toPicture(frame.x(), frame.y()), centre), 1e-9) << row.guards;
        EXPECT_LT(distance(placement.transform().map(frame), centre), 1e-9) << row.guards;
    }
}

TEST(GridPlacement, ATurnedGridCoversEveryCornerOfThePicture) {
    for (const double rotation : {-45.0, -7.5, 0.3, 45.0}) {
        for (const double skew : {-10.0, 0.0, 10.0}) {
            for (const GridOrientation orientation :
                 {GridOrientation::Rows, GridOrientation::Columns}) {
                const GridLayout layout = layoutGrid(
                    600, 250, 5, 100, turned(orientation, 3.3, -7, 31, rotation, skew, 1.3));
                ASSERT_EQ(layout.problem, GridProblem::None);
                for (const QPointF corner : {QPointF(0, 0), QPointF(600, 0), QPointF(0, 250),
                                             QPointF(600, 250), QPointF(300, 125)}) {
                    // Some traced side passes within a hex of every corner: nothing is left bare.
                    double nearest = INFINITY;
                    traceGrid(
                        layout, QRectF(corner, QSizeF(0.01, 0.01)), [&](QPointF from, QPointF to) {
                            nearest =
                                std::min({nearest, distance(from, corner), distance(to, corner)});
                        });
                    EXPECT_LT(nearest, 31 * 1.3 * 1.2) << rotation << " degrees, skew " << skew
                                                       << " at " << corner.x() << "," << corner.y();
                }
            }
        }
    }
}

// A crooked scan's grid, recovered from three hex centres far apart on a 5000 x 4000 picture.
TEST(LatticeFit, ThreeCentresRecoverTheGridToAThousandthOfAPixel) {
    using enum GridOrientation;
    const QSizeF picture(5000, 4000);
    struct Row {
        const char* guards;
        GridOptions options;
        HexSteps toSecond, toThird;
    } const rows[] = {
        {"columns, 300 by 298 dpi, turned 0.6 degrees",
         turned(Columns, 12.37, 7.91, 48.251, 0.604, -0.012, 1.0021, ShiftedLines::Second),
         {90, 0},
         {40.5, 81}},
        {"rows turned the other way, leaning",
         turned(Rows, -30.5, 9, 61.3, -1.9, 0.8, 0.993),
         {-20.5, 55},
         {70, 10}},
        {"upright rows: no turn and no lean come back",
         turned(Rows, 4.25, 0, 80, 0, 0),
         {50, 0},
         {0.5, 41}},
    };
    for (const Row& row : rows) {
        const double h = *row.options.hexPixels;
        const LatticeOnPicture known = latticeOf(row.options, h, picture);
        const QPointF first = known.centre + 3 * known.along + 2 * known.across;
        const auto at = [&](HexSteps steps) {
            return first + steps.along * known.along + steps.across * known.across;
        };
        const std::optional<LatticeOnPicture> lattice =
            latticeThrough(row.options.orientation, first, at(row.toSecond), row.toSecond,
                           at(row.toThird), row.toThird);
        ASSERT_TRUE(lattice) << row.guards;
        const std::optional<GridOptions> fitted = optionsForLattice(*lattice, picture);
        ASSERT_TRUE(fitted) << row.guards;
        EXPECT_NEAR(*fitted->hexPixels, h, 1e-9) << row.guards;
        EXPECT_NEAR(fitted->stretch, row.options.stretch, 1e-9) << row.guards;
        EXPECT_NEAR(fitted->rotation, row.options.rotation, 1e-9) << row.guards;
        EXPECT_NEAR(fitted->skew, row.options.skew, 1e-9) << row.guards;
        if (row.options.rotation == 0) {
            EXPECT_FALSE(fitted->turned()) << row.guards;
        }
        // Every hex centre of the known grid, out to the far corners, is one of the fit's.
        const GridLayout want = layoutGrid(5000, 4000, 5, 100, row.options);
        const GridLayout got = layoutGrid(5000, 4000, 5, 100, *fitted);
        const LatticeOnPicture mine = latticeOf(*fitted, h, picture);
        double worst = 0;
        forEachHex(want, want.pictureArea(), [&](GridHex hex) {
            const QPointF centre = hexCentre(want, hex);
            const HexSteps steps = stepsBetween(mine, mine.centre, centre);
            const QPointF nearest =
                mine.centre + steps.along * mine.along + steps.across * mine.across;
            worst = std::max(worst, distance(nearest, centre));
        });
        EXPECT_LT(worst, 0.001) << row.guards;
        EXPECT_EQ(got.problem, GridProblem::None) << row.guards;
    }
}

TEST(LatticeFit, RefusesWhatMakesNoGridAndWhatGridOptionsCannotHold) {
    using enum GridOrientation;
    const QSizeF picture(1000, 800);
    const auto fits = [&](GridOrientation orientation, QPointF along, QPointF across) {
        return optionsForLattice({orientation, {100, 100}, along, across}, picture).has_value();
    };
    const double p = 0.86602 * 50;
    struct Row {
        const char* guards;
        bool fits;
    } const rows[] = {
        {"regular rows", fits(Rows, {50, 0}, {0, p})},
        {"turned to the limit, 45 degrees", fits(Rows, {50, 50}, {-p, p})},
        {"and one step past it", !fits(Rows, {50, 50.02}, {-p, p})},
        {"regular columns", fits(Columns, {0, 50}, {p, 0})},
        {"mirrored: the next line above", !fits(Rows, {50, 0}, {0, -p})},
        {"the steps on one line", !fits(Rows, {50, 0}, {25, 0})},
        {"no step at all", !fits(Rows, {0, 0}, {0, p})},
        {"leaning the most, 10 degrees", fits(Rows, {50, 0}, {p * 0.17632698, p})},
        {"leaning more", !fits(Rows, {50, 0}, {p * 0.1765, p})},
        {"stretched past 2", !fits(Rows, {50, 0}, {0, 2.01 * p})},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(row.fits) << row.guards;
    }
    EXPECT_FALSE(latticeThrough(Rows, {0, 0}, {100, 10}, {2, 0}, {300, 30}, {3, 2}))
        << "three points on one line";
    EXPECT_FALSE(latticeThrough(Rows, {0, 0}, {100, 10}, {2, 0}, {30, 300}, {4, 0}))
        << "steps that are parallel";
}
