#include <gtest/gtest.h>

#include "image/line_dashes.h"

using namespace tessara;

// Every side gets a whole number of periods of its pattern, so that each starts and ends on
// a dash centred on its corner, whatever its length.
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
        {"a side of 80-pixel hexes, 3-pixel dashes: 2 periods of 21 stretched", Dashed, 3, 46.188,
         2, 12 * 46.188 / 2 / 21},
        {"a side shorter than one period still has one", Dashed, 3, 10, 1, 12 * 10.0 / 21},
        {"one and a half periods round up to two", Dashed, 1, 16.5, 2, 4.5},
        {"dots of a 1-pixel pen are a pixel long", Dotted, 1, 50, 10, 1},
        {"dots of a wider pen are its round ends alone", Dotted, 5, 52, 4, 0},
    };
    for (const Row& row : rows) {
        const DashPattern pattern = dashPattern(row.style, row.width, row.length);
        EXPECT_NEAR(pattern.period * row.periods, row.length, 1e-9) << row.guards;
        EXPECT_NEAR(pattern.dash, row.dash, 1e-9) << row.guards;
    }
    EXPECT_EQ(dashPattern(Dashed, 3, 0), DashPattern{}) << "a line of no length is a point";
}
