#include <gtest/gtest.h>

#include "view/offset_rule.h"
#include "view/zoom.h"

using namespace tessara;

TEST(ZoomedSize, EachCommandScalesTheFullSize) {
    struct Row {
        Zoom zoom;
        Single expected;
    } const rows[] = {
        {Zoom::Normal, 1000},    {Zoom::OneToFive, 200}, {Zoom::OneToThree, 333.33334F},
        {Zoom::OneToTwo, 500},   {Zoom::TwoToOne, 2000}, {Zoom::ThreeToOne, 3000},
        {Zoom::FiveToOne, 5000},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(zoomedSize(row.zoom, 1000), row.expected) << static_cast<int>(row.zoom);
    }
}

TEST(ZoomedSize, OneToThreeIsTheSingleNearestToAThirdNotAWholeNumber) {
    EXPECT_NE(zoomedSize(Zoom::OneToThree, 1000), 333.0F);
    EXPECT_EQ(zoomedSize(Zoom::OneToFive, 15000), 3000.0F) << "0.2 is applied in double precision";
}

TEST(ImageOffset, FollowsTheBarValueAcrossTheOverhang) {
    struct Row {
        const char* guards;
        Single image, viewport;
        int value;
        Single expected;
    } const rows[] = {
        {"value 0 puts the edges together", 15000, 7745, 0, 0},
        {"value 100 lines up the far edge", 15000, 7745, 100, -7255},
        {"half way", 1000, 400, 50, -300},
        {"a narrower image slides right", 3000, 7745, 100, 4745},
        {"a narrower image at 40", 3000, 7745, 40, 1898},
        {"one step", 15000, 7745, 1, -72.55F},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(imageOffset(row.image, row.viewport, row.value, 100), row.expected) << row.guards;
    }
}
