#include <gtest/gtest.h>

#include "grid/grid_parameters.h"

using namespace tessara;

namespace {

constexpr std::array<Integer, 7> kListWidths = {1, 2, 3, 5, 10, 15, 20};

}  // namespace

TEST(GridParameters, ChecksTheMapSizeFirstThenTheHexSize) {
    struct Row {
        const char* guards;
        const char* map;
        const char* hex;
        GridSizeProblem expected;
    } const rows[] = {
        {"the worked example", "100", "10", GridSizeProblem::None},
        {"a map size of 0", "0", "10", GridSizeProblem::MapSize},
        {"a negative map size", "-5", "10", GridSizeProblem::MapSize},
        {"a word as map size", "wide", "10", GridSizeProblem::MapSize},
        {"an empty map size", "", "10", GridSizeProblem::MapSize},
        {"both wrong: only the map size counts", "", "", GridSizeProblem::MapSize},
        {"a hex size of 0", "100", "0", GridSizeProblem::HexSize},
        {"a negative hex size", "100", "-1", GridSizeProblem::HexSize},
        {"an empty hex size", "100", " ", GridSizeProblem::HexSize},
        {"a hex size equal to the map size", "10", "10", GridSizeProblem::HexSize},
        {"a hex size above the map size", "10", "11", GridSizeProblem::HexSize},
        {"a hex size just below the map size", "10", "9.999999", GridSizeProblem::None},
        {"a hex size that is not finite", "10", "nan", GridSizeProblem::HexSize},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(checkGridSizes(row.map, row.hex, QLocale::c()).problem, row.expected)
            << row.guards;
    }
    const GridSizeCheck fine = checkGridSizes("37", "2.5", QLocale::c());
    EXPECT_EQ(fine.sizes.mapSize, 37.0F);
    EXPECT_EQ(fine.sizes.hexSize, 2.5F);
}

TEST(GridParameters, SizesAreReadInTheUsersLocale) {
    const GridSizeCheck german = checkGridSizes("37", "2,5", QLocale(QLocale::German));
    EXPECT_EQ(german.problem, GridSizeProblem::None);
    EXPECT_EQ(german.sizes.hexSize, 2.5F);
    EXPECT_EQ(checkGridSizes("37", "2,5", QLocale(QLocale::English)).problem,
              GridSizeProblem::HexSize);
}

TEST(GridParameters, ThePenComesFromTheTwoLists) {
    const std::optional<GridPen> red3 = gridPen(4, 2, kListWidths);
    ASSERT_TRUE(red3.has_value());
    EXPECT_EQ(red3->colour, QColor(128, 0, 0));
    EXPECT_EQ(red3->width, 3);
    const std::optional<GridPen> white20 = gridPen(7, 6, kListWidths);
    ASSERT_TRUE(white20.has_value());
    EXPECT_EQ(white20->colour, QColor(192, 192, 192));
    EXPECT_EQ(white20->width, 20);
    EXPECT_FALSE(gridPen(-1, 0, kListWidths).has_value()) << "no colour chosen";
    EXPECT_FALSE(gridPen(0, -1, kListWidths).has_value()) << "no thickness chosen";
    EXPECT_FALSE(gridPen(0, 7, kListWidths).has_value());
}
