#include <gtest/gtest.h>

#include "image/line_dashes.h"

using namespace tessara;

TEST(DashPattern, AWholeNumberOfPeriodsFitsEveryLine) {
    using enum DashStyle;
    struct Row {
        const char* guards;
        DashStyle style;
        int width;
        double length;
        int periods;
        double dash;
    } const rows[] = {
        {"a side of 80-pixel hexes in dashes of a 3-pixel pen: 2 periods of 21 stretched", Dashed,
         3, 46.188, 2, 12 * 46.188 / 2 / 21},
        {"a side shorter than one period still has one", Dashed, 3, 10, 1, 12 * 10.0 / 21},
        {"one and a half periods round up to two", Dashed, 1, 16.5, 2, 4.5},
        {"just under one and a half round down to one", Dashed, 1, 16.49, 1, 6 * 16.49 / 11},
        {"dots of a 1-pixel pen are a pixel long", Dotted, 1, 50, 10, 1},
        {"dots of a wider pen are its round ends alone", Dotted, 5, 52, 4, 0},
    };
    for (const Row& row : rows) {
        const DashPattern pattern = dashPattern(row.style, row.width, row.length);
        EXPECT_NEAR(pattern.period * row.periods, row.length, 1e-9) << row.guards;
        EXPECT_NEAR(pattern.dash, row.dash, 1e-9) << row.guards;
    }
    EXPECT_EQ(dashPattern(Solid, 3, 46.188), DashPattern{});
    EXPECT_EQ(dashPattern(Dashed, 3, 0), DashPattern{}) << "a line of no length is a point";
}

// Dashes of a 3-pixel pen on a 46.188-pixel side: centred at 0, 23.094 and 46.188, each
// 13.197 long between the centres of its round ends, which reach 1.5 further.
TEST(DashPattern, TheEndsOfALineAndTheRoundEndsOfItsDashesAreInked) {
    const double length = 46.188;
    const DashPattern pattern = dashPattern(DashStyle::Dashed, 3, length);
    const double halfDash = pattern.dash / 2;
    struct Row {
        const char* guards;
        double along, across;
        bool inked;
    } const rows[] = {
        {"the start, where the corner closes", 0, 1.4, true},
        {"beyond the end, in the line's round end", length + 1, 0.5, true},
        {"the middle of the first gap", length / 4, 0, false},
        {"the middle dash's middle", length / 2, 1.4, true},
        {"the tip of its round end, on the line", length / 2 - halfDash - 1.49, 0, true},
        {"just past it", length / 2 - halfDash - 1.51, 0, false},
        {"the same place near the band's edge, where the round end is narrower",
         length / 2 - halfDash - 1.0, 1.4, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(onDash(pattern, length, row.along, row.across, 1.5), row.inked) << row.guards;
    }
}

TEST(DashesOf, EachDashIsAPieceOfTheLineWithItsRoundEndsAndTheFirstAndLastCloseTheEnds) {
    const std::vector<QLineF> dashes = dashesOf({10, 10}, {10, 56.188}, DashStyle::Dashed, 3);
    ASSERT_EQ(dashes.size(), 3U);
    EXPECT_EQ(dashes.front().p1(), QPointF(10, 10));
    EXPECT_EQ(dashes.back().p2(), QPointF(10, 56.188));
    const double dash = dashPattern(DashStyle::Dashed, 3, 46.188).dash;
    EXPECT_NEAR(dashes[1].length(), dash + 3, 1e-9);
    EXPECT_NEAR(dashes[0].length(), dash / 2 + 1.5, 1e-9);
    EXPECT_EQ(dashesOf({1, 2}, {30, 40}, DashStyle::Solid, 3),
              std::vector<QLineF>{QLineF(1, 2, 30, 40)});
}
