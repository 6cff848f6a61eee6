#include <gtest/gtest.h>

#include <QLineF>

#include "boards/laid_grid.h"
#include "boards/straightening.h"

using namespace tessara;
using namespace tessara::test;
using enum GridOrientation;

namespace {

const BoardFormat* const Tiled = findBoardFormat("tiled");
const BoardFormat* const Vassal = findBoardFormat("vassal");
const BoardFormat* const Foundry = findBoardFormat("foundry");

// Where the target itself puts the centre of its hex n lines and k cells from its first, in
// its canvas: Tiled in its integer arithmetic (row height (tile + side) / 2), VASSAL at
// x0 + n dx, y0 + k dy, columns an odd number away dy / 2 further, x and y swapped sideways;
// Foundry as its HexagonalGrid.getCenterPoint, with even = the type is even.
QPointF targetCentre(const Straightening& s, int n, int k) {
    const TargetSizes& t = s.sizes;
    double along = 0, across = 0;
    if (s.format == Foundry) {
        const bool even = !s.firstLineShifted;
        along = (k + (even == ((n + 1) % 2 == 0) ? 0 : 0.5)) * t.along;
        across = (2 / std::sqrt(3)) * ((0.75 * n) + 0.5) * t.along;
    } else if (s.format == Tiled) {
        const bool staggered = (std::abs(n) % 2 == 1) == s.firstLineShifted;
        along = k * t.along + t.along / 2 + (staggered ? t.along / 2 : 0);
        across = n * ((2 * t.side - t.side) / 2 + t.side) + t.side;
    } else {
        const QPointF first = s.columns ? s.firstCentre : s.firstCentre.transposed();
        across = first.x() + n * t.pitch;
        along = first.y() + k * t.along + (std::abs(n) % 2 == 1 ? t.along / 2.0 : 0);
    }
    return s.columns ? QPointF(across, along) : QPointF(along, across);
}

}  // namespace

// Worked by hand: the nearest even size along and multiple of 3 across for Tiled, the
// nearest whole ones for VASSAL; the picture's corners in the scaled frame, and the start a
// hex (Tiled) or a pixel (VASSAL) before them. Then every fitted hex on the board must land
// where the target's own arithmetic puts its hex, the far corner too (no drift), and every
// pixel of the picture must lie on the board.
TEST(Straightening, WholeSizesFirstHexAndNoDriftOverTheBoard) {
    // clang-format off
    const struct { const char* guards; const BoardFormat* target; GridLayout layout; TargetSizes sizes; double scaleAlong, scaleAcross;
                   QSize board; int firstLine, firstCell; bool firstLineShifted; QPointF firstCentre; } rows[] = {
        {"rows of 60.3 px: a 60 px tile, rows 51 apart, half a hex of margin", Tiled,
         laid({1000, 800}, Rows, 60.3, 1, 0, 0, ShiftedLines::First),
         {60, 51, 34}, 0.995024876, 0.976618490, {1025, 798}, 0, 0, true, {30, 34}},
        {"the same for VASSAL: dy 60, dx 52", Vassal,
         laid({1000, 800}, Rows, 60.3, 1, 0, 0, ShiftedLines::First),
         {60, 52, 0}, 0.995024876, 0.995767872, {996, 797}, 0, 0, true, {1, 18}},
        {"stretched columns moved a fraction: VASSAL starts on the first whole cell", Vassal,
         laid({900, 1200}, Columns, 50.4, 1.03, 10.25, -4.5, ShiftedLines::First),
         {50, 45, 0}, 0.992063492, 1.000960249, {902, 1192}, 0, 1, true, {26, 47}},
        {"the second columns shifted: Tiled's first column is unshifted", Tiled,
         laid({900, 1200}, Columns, 50.4, 1.03, 10.25, -4.5, ShiftedLines::Second),
         {50, 45, 30}, 0.992063492, 1.000960249, {906, 1220}, 0, 0, false, {30, 50}},
        {"rows turned 2 degrees: the board holds the turned corners, line -1 first", Tiled,
         laid({1200, 900}, Rows, 44.7, 1.02, -7.5, 12.25, ShiftedLines::Second, 2.0),
         {44, 39, 26}, 0.984340045, 0.987708953, {1226, 949}, -1, 0, true, {22, 26}},
        {"columns turned and leaning", Vassal,
         laid({1200, 900}, Columns, 41.3, 0.97, 3, 5, ShiftedLines::First, -1.5, 0.5),
         {41, 35, 0}, 0.992736077, 1.008830809, {1235, 915}, 0, 0, true, {27, 16}},
        {"the button's grid, 1000 x 5 / 100 = 50 px, as its fitted twin", Tiled,
         layoutGrid(1000, 700, 5, 100, GridOptions{}),
         {50, 42, 28}, 1, 0.969954505, {1025, 693}, 0, 0, true, {25, 28}},
        {"Foundry's rows turned and stretched: regular hexes of 45, the first unshifted: even", Foundry,
         laid({1200, 900}, Rows, 44.7, 1.02, -7.5, 12.25, ShiftedLines::First, 2.0),
         {45, 22.5 * std::sqrt(3), 0}, 1.006711409, 0.986978128, {1276, 949}, -1, -1, false, {22.5, 45 / std::sqrt(3)}},
        {"Foundry's columns leaning, the second shifted, the first shifted: odd", Foundry,
         laid({1200, 900}, Columns, 41.3, 0.97, 3, 5, ShiftedLines::Second, -1.5, 0.5),
         {41, 20.5 * std::sqrt(3), 0}, 0.992736077, 1.023445641, {1284, 940}, -1, -1, true, {41 / std::sqrt(3), 0}},
        {"Foundry's rows moved, the second shifted, the first unshifted: even", Foundry,
         laid({800, 600}, Rows, 30.2, 1, 4, -6, ShiftedLines::Second),
         {30, 15 * std::sqrt(3), 0}, 0.993377483, 0.993383682, {821, 611}, 0, -1, false, {15, 30 / std::sqrt(3)}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const Straightening s = straighten(row.layout, *row.target);
        ASSERT_EQ(s.problem, BoardProblem::None);
        EXPECT_EQ(s.sizes, row.sizes);
        EXPECT_NEAR(s.scaleAlong, row.scaleAlong, 1e-9);
        EXPECT_NEAR(s.scaleAcross, row.scaleAcross, 1e-9);
        EXPECT_EQ(std::tuple(s.board, s.firstLine, s.firstCell, s.firstLineShifted, s.firstCentre),
                  std::tuple(row.board, row.firstLine, row.firstCell, row.firstLineShifted,
                             row.firstCentre));
        const GridLayout fitted = asFittedLayout(row.layout);
        const QRectF board(0, 0, s.board.width(), s.board.height());  // the target's canvas
        double worst = 0;
        int measured = 0;
        for (int line = fitted.firstLine; line <= fitted.lastLine; ++line) {
            for (int cell = fitted.firstCell; cell <= fitted.lastCell; ++cell) {
                const QPointF mapped = s.toTarget(hexCentre(fitted, line, cell));
                if (board.contains(mapped)) {
                    const QPointF own = targetCentre(s, line - s.firstLine, cell - s.firstCell);
                    worst = std::max(worst, QLineF(mapped, own).length());
                    ++measured;
                }
            }
        }
        EXPECT_GT(measured, 200);
        EXPECT_LT(worst, 1e-6);
        const QSizeF last = fitted.picture - QSizeF(1, 1);
        for (const QPointF corner : {QPointF(0, 0), QPointF(last.width(), last.height()),
                                     QPointF(last.width(), 0), QPointF(0, last.height())}) {
            EXPECT_TRUE(board.contains(s.toTarget(corner)));
        }
    }
}

TEST(Straightening, TakesHalfWaysToTheEvenSizeAndRefusesWhatTheTargetCannotDraw) {
    EXPECT_EQ(Tiled->sizesFor(61, 52.5), (TargetSizes{60, 54, 36})) << "even pairs, threes";
    EXPECT_EQ(Tiled->sizesFor(61.01, 52.49), (TargetSizes{62, 51, 34}));
    EXPECT_EQ(Vassal->sizesFor(60.5, 52.51), (TargetSizes{60, 53, 0}));
    EXPECT_EQ(Vassal->sizesFor(NAN, 20), (TargetSizes{}));
    EXPECT_EQ(Foundry->sizesFor(40.5, 50), (TargetSizes{40, 20 * std::sqrt(3), 0}))
        << "regular hexes whatever the stretch";
    const auto first = ShiftedLines::First;
    const QSize small(400, 300), longest(32766, 10);
    // clang-format off
    const struct { const char* guards; const BoardFormat* target; GridLayout layout; BoardProblem problem; } rows[] = {
        {"an 8.9 px hex is an 8 px tile, the smallest", Tiled, laid(small, Rows, 8.9, 1, 0, 0, first), BoardProblem::None},
        {"a 6.9 px hex would be a 6 px tile", Tiled, laid(small, Rows, 6.9, 1, 0, 0, first), BoardProblem::HexTooSmall},
        {"VASSAL: 7.49 px is 7", Vassal, laid(small, Columns, 7.49, 1, 0, 0, first), BoardProblem::HexTooSmall},
        {"VASSAL: lines squeezed to 5 apart", Vassal, laid(small, Columns, 10, 0.6, 0, 0, first), BoardProblem::HexTooSmall},
        {"32766 px whose centres are half a board pixel off VASSAL's: 32767, the longest side", Vassal, laid(longest, Rows, 100, 1, 0, 0, first), BoardProblem::None},
        {"scaled up by a hair past it", Vassal, laid(longest, Rows, 99.9, 1, 0, 0, first), BoardProblem::BoardTooLarge},
        {"Foundry: a 19.6 px hex is 20, its smallest", Foundry, laid(small, Rows, 19.6, 1, 0, 0, first), BoardProblem::None},
        {"Foundry: 19.4 px would be 19", Foundry, laid(small, Columns, 19.4, 1, 0, 0, first), BoardProblem::HexTooSmall},
        {"no picture, no grid", Tiled, laid({0, 0}, Rows, 50, 1, 0, 0, first), BoardProblem::NoGrid},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(straighten(row.layout, *row.target).problem, row.problem) << row.guards;
    }
}
