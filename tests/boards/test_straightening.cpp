#include <gtest/gtest.h>

#include <QLineF>
#include <cmath>

#include "boards/straightening.h"

using namespace tessara;

namespace {

GridOptions fitted(GridOrientation orientation, double hexPixels, double stretch, double x,
                   double y, ShiftedLines shifted, double rotation = 0, double skew = 0) {
    GridOptions options{orientation, x, y, shifted, stretch, hexPixels};
    options.rotation = rotation;
    options.skew = skew;
    return options;
}

GridLayout layoutOf(QSize picture, const GridOptions& options) {
    return layoutGrid(picture.width(), picture.height(), 1, 1, options);
}

// Where the target itself puts the centre of its hex n lines and k cells from its first:
// Tiled with its integer arithmetic (tiles made even, row height (tile + side) / 2), VASSAL
// with x0 + n dx, y0 + k dy, odd columns dy / 2 further down, x and y swapped for rows.
QPointF targetCentre(const Straightening& s, int n, int k) {
    const TargetSizes& t = s.sizes;
    double along = 0;
    double across = 0;
    if (s.target == BoardTarget::Tiled) {
        const int tileAlong = t.along & ~1;
        const int tileAcross = (2 * t.side) & ~1;
        const int step = (tileAcross - t.side) / 2 + t.side;
        // The stagger index is odd when the first line is a shifted one.
        const bool staggered = (std::abs(n) % 2 == 1) == s.firstLineShifted;
        along = k * tileAlong + tileAlong / 2 + (staggered ? tileAlong / 2 : 0);
        across = n * step + tileAcross / 2;
        return s.columns ? QPointF(across, along) : QPointF(along, across);
    }
    const QPoint first = s.columns ? s.firstCentre : s.firstCentre.transposed();  // x0, y0
    across = first.x() + n * t.pitch;
    along = first.y() + k * t.along + (std::abs(n) % 2 == 1 ? t.along / 2.0 : 0);
    return s.columns ? QPointF(across, along) : QPointF(along, across);
}

struct Case {
    const char* guards;
    BoardTarget target;
    QSize picture;
    GridOptions options;
    TargetSizes sizes;
    double scaleAlong, scaleAcross;
    QSize board;
    int firstLine, firstCell;
    bool firstLineShifted;
    QPoint firstCentre;
};

using enum GridOrientation;
using enum BoardTarget;

// Worked by hand from straightening.h: the nearest even size along and multiple of 3
// across for Tiled (nearest whole for VASSAL), the picture's corners in the scaled frame,
// and the start a hex (Tiled) or a pixel (VASSAL) before them.
const Case kCases[] = {
    {"upright rows of 60.3 px: a 60 px tile, rows 51 apart on a side of 34, half a hex "
     "of margin before the first shifted line's hex at 0",
     Tiled,
     {1000, 800},
     fitted(Rows, 60.3, 1, 0, 0, ShiftedLines::First),
     {60, 51, 34},
     0.995024876,
     0.976618490,
     {1026, 799},
     0,
     0,
     true,
     {30, 34}},
    {"the same grid for VASSAL: dy 60, dx 52, x0 its vertical centre",
     Vassal,
     {1000, 800},
     fitted(Rows, 60.3, 1, 0, 0, ShiftedLines::First),
     {60, 52, 0},
     0.995024876,
     0.995767872,
     {996, 798},
     0,
     0,
     true,
     {0, 18}},
    {"stretched columns moved by a fraction: VASSAL starts on the first whole cell",
     Vassal,
     {900, 1200},
     fitted(Columns, 50.4, 1.03, 10.25, -4.5, ShiftedLines::First),
     {50, 45, 0},
     0.992063492,
     1.000960249,
     {902, 1191},
     0,
     1,
     true,
     {26, 46}},
    {"stretched columns with the second lines shifted: Tiled's first column is unshifted",
     Tiled,
     {900, 1200},
     fitted(Columns, 50.4, 1.03, 10.25, -4.5, ShiftedLines::Second),
     {50, 45, 30},
     0.992063492,
     1.000960249,
     {906, 1220},
     0,
     0,
     false,
     {30, 50}},
    {"rows turned 2 degrees: the board grows to hold the turned corners, line -1 first",
     Tiled,
     {1200, 900},
     fitted(Rows, 44.7, 1.02, -7.5, 12.25, ShiftedLines::Second, 2.0),
     {44, 39, 26},
     0.984340045,
     0.987708953,
     {1226, 950},
     -1,
     0,
     true,
     {22, 26}},
    {"columns turned and leaning",
     Vassal,
     {1200, 900},
     fitted(Columns, 41.3, 0.97, 3, 5, ShiftedLines::First, -1.5, 0.5),
     {41, 35, 0},
     0.992736077,
     1.008830809,
     {1235, 915},
     0,
     0,
     true,
     {27, 16}},
};

}  // namespace

TEST(Straightening, ChoosesTheNearestWholeSizesAndWhereTheFirstHexLies) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.guards);
        const Straightening s = straighten(layoutOf(c.picture, c.options), c.target);
        ASSERT_EQ(s.problem, BoardProblem::None);
        EXPECT_EQ(s.sizes, c.sizes);
        EXPECT_NEAR(s.scaleAlong, c.scaleAlong, 1e-9);
        EXPECT_NEAR(s.scaleAcross, c.scaleAcross, 1e-9);
        EXPECT_EQ(s.board, c.board);
        EXPECT_EQ(s.firstLine, c.firstLine);
        EXPECT_EQ(s.firstCell, c.firstCell);
        EXPECT_EQ(s.firstLineShifted, c.firstLineShifted);
        EXPECT_EQ(s.firstCentre, c.firstCentre);
    }
}

// Every fitted hex whose centre lands on the board lands where the target's own arithmetic
// puts its hex: no drift anywhere, the far corner included. The whole picture lies on the
// board, within half a pixel of its edges at most.
TEST(Straightening, TheTargetsHexesLieOnTheFittedOnesOverTheWholeBoard) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.guards);
        const GridLayout layout = layoutOf(c.picture, c.options);
        const Straightening s = straighten(layout, c.target);
        ASSERT_EQ(s.problem, BoardProblem::None);
        double worst = 0;
        int measured = 0;
        const QRectF board(-0.5, -0.5, s.board.width(), s.board.height());
        for (int line = layout.firstLine; line <= layout.lastLine; ++line) {
            for (int cell = layout.firstCell; cell <= layout.lastCell; ++cell) {
                const QPointF mapped = s.toBoard.map(hexCentre(layout, line, cell));
                if (!board.contains(mapped)) {
                    continue;
                }
                const QPointF own = targetCentre(s, line - s.firstLine, cell - s.firstCell);
                worst = std::max(worst, QLineF(mapped, own).length());
                ++measured;
            }
        }
        EXPECT_GT(measured, 200);
        EXPECT_LT(worst, 1e-6);
        for (const QPointF corner :
             {QPointF(0, 0), QPointF(c.picture.width() - 1, 0), QPointF(0, c.picture.height() - 1),
              QPointF(c.picture.width() - 1, c.picture.height() - 1)}) {
            EXPECT_TRUE(board.contains(s.toBoard.map(corner)))
                << corner.x() << "," << corner.y() << " -> " << s.toBoard.map(corner).x() << ","
                << s.toBoard.map(corner).y() << " on " << s.board.width() << "x"
                << s.board.height();
        }
    }
}

// The board's sides hold the span of the picture's pixel centres times the scale factors,
// one pixel for the centres themselves, the margin before the first hex (under a pixel for
// VASSAL, under a hex for Tiled) and under a pixel after the last.
TEST(Straightening, TheBoardIsThePictureScaledWithItsMarginOnly) {
    for (const Case& c : kCases) {
        if (c.options.turned()) {
            continue;
        }
        SCOPED_TRACE(c.guards);
        const Straightening s = straighten(layoutOf(c.picture, c.options), c.target);
        const double marginX = s.board.width() - s.scaleX() * (c.picture.width() - 1);
        const double marginY = s.board.height() - s.scaleY() * (c.picture.height() - 1);
        const double hexX = c.target == Vassal
                                ? 1
                                : (c.options.orientation == Rows ? s.sizes.along : s.sizes.pitch);
        const double hexY = c.target == Vassal
                                ? 1
                                : (c.options.orientation == Rows ? s.sizes.pitch : s.sizes.along);
        EXPECT_GE(marginX, 1);
        EXPECT_GE(marginY, 1);
        EXPECT_LT(marginX, hexX + 2);
        EXPECT_LT(marginY, hexY + 2);
    }
}

TEST(Straightening, NearestSizesTakeAHalfWayToTheEvenOne) {
    struct Row {
        const char* guards;
        BoardTarget target;
        double along, pitch;
        TargetSizes sizes;
    } const rows[] = {
        {"Tiled: 61 is half way between tiles of 60 and 62: the even count of pairs, 60; "
         "52.5 half way between 51 and 54: the even count of threes, 54",
         Tiled,
         61,
         52.5,
         {60, 54, 36}},
        {"Tiled: 61.01 goes up to 62, a pitch of 52.51 to 54", Tiled, 61.01, 52.51, {62, 54, 36}},
        {"VASSAL: 60.5 to 60, 52.5 to 52", Vassal, 60.5, 52.5, {60, 52, 0}},
        {"VASSAL: 60.51 to 61, 52.51 to 53", Vassal, 60.51, 52.51, {61, 53, 0}},
        {"nothing for no size at all", Tiled, 0, 0, {0, 0, 0}},
        {"nothing for a size that is no number", Vassal, NAN, 20, {0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        EXPECT_EQ(nearestSizes(row.target, row.along, row.pitch), row.sizes);
    }
}

TEST(Straightening, RefusesWhatTheTargetCannotDraw) {
    struct Row {
        const char* guards;
        BoardTarget target;
        QSize picture;
        GridOptions options;
        BoardProblem problem;
    } const rows[] = {
        {"Tiled: a 9 px hex becomes an 8 px tile, the smallest drawn",
         Tiled,
         {400, 300},
         fitted(Rows, 9, 1, 0, 0, ShiftedLines::First),
         BoardProblem::None},
        {"Tiled: an 8.9 px hex would become an 8 px tile too",
         Tiled,
         {400, 300},
         fitted(Rows, 8.9, 1, 0, 0, ShiftedLines::First),
         BoardProblem::None},
        {"Tiled: a 6.9 px hex would become a 6 px tile",
         Tiled,
         {400, 300},
         fitted(Rows, 6.9, 1, 0, 0, ShiftedLines::First),
         BoardProblem::HexTooSmall},
        {"VASSAL: 7.5 px is 8 flat to flat, 6 apart",
         Vassal,
         {400, 300},
         fitted(Columns, 7.5, 1, 0, 0, ShiftedLines::First),
         BoardProblem::None},
        {"VASSAL: 7.49 px is 7 flat to flat",
         Vassal,
         {400, 300},
         fitted(Columns, 7.49, 1, 0, 0, ShiftedLines::First),
         BoardProblem::HexTooSmall},
        {"VASSAL: squeezed lines 5 apart are too close",
         Vassal,
         {400, 300},
         fitted(Columns, 10, 0.6, 0, 0, ShiftedLines::First),
         BoardProblem::HexTooSmall},
        {"a board of 32767 px is the longest a picture may be",
         Vassal,
         {32767, 10},
         fitted(Rows, 100, 1, 0, 0, ShiftedLines::First),
         BoardProblem::None},
        {"scaled up by a hair past it, it is refused",
         Vassal,
         {32767, 10},
         fitted(Rows, 99.9, 1, 0, 0, ShiftedLines::First),
         BoardProblem::BoardTooLarge},
        {"turned 45 degrees, a long thin picture still fits",
         Tiled,
         {32000, 40},
         fitted(Rows, 100, 1, 0, 0, ShiftedLines::First, 45),
         BoardProblem::None},
        {"turned 5 degrees, a long picture's corners reach past it",
         Tiled,
         {32700, 5000},
         fitted(Rows, 100, 1, 0, 0, ShiftedLines::First, 5),
         BoardProblem::BoardTooLarge},
        {"no picture: no grid",
         Tiled,
         {0, 0},
         fitted(Rows, 50, 1, 0, 0, ShiftedLines::First),
         BoardProblem::NoGrid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        EXPECT_EQ(straighten(layoutOf(row.picture, row.options), row.target).problem, row.problem);
    }
}

// The button's grid, every option at its default, straightens as the fitted grid of its
// hex size does.
TEST(Straightening, TheButtonsGridStraightensAsItsFittedTwin) {
    const GridLayout button = layoutGrid(1000, 700, 5, 100, GridOptions{});
    ASSERT_FALSE(button.fitted());
    const Straightening s = straighten(button, Tiled);
    ASSERT_EQ(s.problem, BoardProblem::None);
    const Straightening twin =
        straighten(layoutOf({1000, 700}, fitted(Rows, 50, 1, 0, 0, ShiftedLines::First)), Tiled);
    EXPECT_EQ(s.sizes, (TargetSizes{50, 42, 28}));
    EXPECT_EQ(s.board, twin.board);
    EXPECT_EQ(s.firstCentre, twin.firstCentre);
    EXPECT_EQ(s.toBoard, twin.toBoard);
}
