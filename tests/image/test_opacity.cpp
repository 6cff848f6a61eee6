#include <gtest/gtest.h>

#include "image/opacity.h"

using namespace tessara;

TEST(BlendOver, EachChannelIsTheShareOfTheColourAndTheRestOfThePixelRoundedHalfUp) {
    struct Row {
        const char* guards;
        QRgb colour, under;
        int percent;
        QRgb expected;
    } const rows[] = {
        {"red at half over white", qRgb(128, 0, 0), qRgb(255, 255, 255), 50, qRgb(192, 128, 128)},
        {"the faintest grid", qRgb(128, 0, 0), qRgb(255, 255, 255), 10, qRgb(242, 230, 230)},
        {"halves round up", qRgb(1, 3, 0), qRgb(0, 0, 1), 50, qRgb(1, 2, 1)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(blendOver(row.colour, row.under, row.percent), row.expected) << row.guards;
    }
}
