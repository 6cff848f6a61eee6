#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/numeric.h"

using namespace tessara;

struct RoundingRow {
    const char* guards;
    double value;
    double expected;
};

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const RoundingRow rows[] = {
        {"2.5 gives 2", 2.5, 2},
        {"3.5 gives 4", 3.5, 4},
        {"86.5 gives 86", 86.5, 86},
        {"87.5 gives 88", 87.5, 88},
        {"-2.5 gives -2", -2.5, -2},
        {"7.5 gives 8", 7.5, 8},
        {"a grid x of -41.689 gives -42", -41.689, -42},
        {"a row pitch of 86.602 gives 87", 86.602, 87},
        {"just under a half rounds down", 0.4999999, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(roundHalfEven(row.value), row.expected) << row.guards;
    }
}

TEST(FloorInt, IsTheFloorNotTruncation) {
    EXPECT_EQ(floorInt(9.2376), 9);
    EXPECT_EQ(floorInt(-0.5), -1);
    EXPECT_EQ(floorInt(12.0), 12);
}

TEST(RoundToInteger, DetectsOverflowOfSixteenBits) {
    EXPECT_EQ(roundToInteger(32767.0), std::optional<Integer>(32767));
    EXPECT_EQ(roundToInteger(32767.4), std::optional<Integer>(32767));
    EXPECT_EQ(roundToInteger(32767.5), std::nullopt) << "rounds to 32768, one past the top";
    EXPECT_EQ(roundToInteger(-32768.5), std::optional<Integer>(-32768)) << "halves to even";
    EXPECT_EQ(roundToInteger(-32769.0), std::nullopt);
    EXPECT_EQ(roundToInteger(std::nan("")), std::nullopt);
}

TEST(RoundToLong, DetectsOverflowOfThirtyTwoBits) {
    EXPECT_EQ(roundToLong(2147483647.0), std::optional<Long>(2147483647));
    EXPECT_EQ(roundToLong(2147483648.0), std::nullopt);
    EXPECT_EQ(roundToLong(-2147483648.0), std::optional<Long>(-2147483647 - 1));
    EXPECT_EQ(roundToLong(std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(ToSingle, StoresTheNearestSingle) {
    EXPECT_EQ(toSingle(1000.0 / 3), 333.33334F);
    EXPECT_EQ(toSingle(1234.0 * 2.5 / 37), 83.37838F);
}
