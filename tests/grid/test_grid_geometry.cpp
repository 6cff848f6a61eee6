#include <gtest/gtest.h>

#include <vector>

#include "grid/grid_geometry.h"

using namespace tessara;

TEST(GridGeometry, FirstWorkedExample) {
    const GridPlan plan = planGrid(1000, 800, 10, 100);
    EXPECT_EQ(plan.problem, GridProblem::None);
    EXPECT_EQ(plan.hexWidth, 100.0F);
    EXPECT_EQ(plan.rows, 11);
    EXPECT_EQ(plan.columns, 12);
    EXPECT_EQ(mapHeightOf(1000, 800, 100), 80.0F);

    std::vector<HexCell> calls;
    int full = 0;
    for (int column = 1; column <= plan.columns; ++column) {
        for (int row = 1; row <= plan.rows; ++row) {
            calls.push_back(cellAt(column, row, plan.hexWidth));
            full += calls.back().flatOnly == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(calls.size(), 132U);
    EXPECT_EQ(full, 72);
    struct Row {
        const char* guards;
        int column, row;
        HexCell expected;
    } const rows[] = {
        {"column 1, row 1 starts half a hex left of the picture", 1, 1, {-50, 0, 0}},
        {"column 2, row 1", 2, 1, {50, 0, 0}},
        {"column 1, row 2 is a flat at the left edge, 86.602 rounded", 1, 2, {0, 87, 1}},
        {"column 1, row 3, 173.204 rounded", 1, 3, {-50, 173, 0}},
        {"column 12, row 11, the last call", 12, 11, {1050, 866, 0}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(cellAt(row.column, row.row, plan.hexWidth), row.expected) << row.guards;
    }
    EXPECT_EQ(calls.back(), (HexCell{1050, 866, 0})) << "the order is column by column";
    EXPECT_EQ(calls[1], (HexCell{0, 87, 1})) << "each column from top to bottom";
}

TEST(GridGeometry, SecondWorkedExampleWithAFractionalWidth) {
    const GridPlan plan = planGrid(1234, 987, 2.5F, 37);
    EXPECT_EQ(plan.problem, GridProblem::None);
    EXPECT_EQ(plan.hexWidth, 83.37838F);
    EXPECT_EQ(plan.rows, 15);
    EXPECT_EQ(plan.columns, 16);
    EXPECT_EQ(cellAt(1, 1, plan.hexWidth), (HexCell{-42, 0, 0})) << "-41.689 rounded";
    EXPECT_EQ(cellAt(1, 2, plan.hexWidth), (HexCell{0, 72, 1}));
    EXPECT_NEAR(mapHeightOf(1234, 987, 37), 29.594F, 0.0005F);
    EXPECT_EQ(mapHeightOf(1234, 987, 37), static_cast<Single>(987.0 * 37.0 / 1234.0));
}

TEST(GridGeometry, HalvesRoundToTheEvenNeighbour) {
    // Row 1 with h = 5: -2.5, 2.5, 7.5, 12.5, 17.5 go to -2, 2, 8, 12, 18.
    const Long expected[] = {-2, 2, 8, 12, 18};
    for (int column = 1; column <= 5; ++column) {
        EXPECT_EQ(cellAt(column, 1, 5.0F).x, expected[column - 1]) << "column " << column;
    }
    EXPECT_EQ(cellAt(3, 2, 5.0F).x, 10) << "even rows start on whole hexes";
}

TEST(GridGeometry, CountsAboveTheLimitAreRefused) {
    struct Row {
        const char* guards;
        Single width, height, hexSize, mapSize;
        GridProblem expected;
    } const rows[] = {
        {"32766 columns are the most", 32764, 10, 1, 32764, GridProblem::None},
        {"32767 columns are refused", 32765, 10, 1, 32765, GridProblem::TooManyCells},
        {"too many rows", 100, 1e6F, 1, 100, GridProblem::TooManyCells},
        {"a hex size tiny against the map", 1000, 800, 0.0001F, 100, GridProblem::TooManyCells},
        {"a hex width that is 0 as a Single", 1000, 800, 1e-30F, 1e30F, GridProblem::TooManyCells},
        {"a picture 0 pixels wide", 0, 800, 10, 100, GridProblem::NoPictureArea},
        {"a picture 0 pixels high", 1000, 0, 10, 100, GridProblem::NoPictureArea},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(planGrid(row.width, row.height, row.hexSize, row.mapSize).problem, row.expected)
            << row.guards;
    }
    EXPECT_EQ(planGrid(32764, 10, 1, 32764).columns, 32766);
}

TEST(GridGeometry, TheRowPitchIsTheBehavioursOwnConstant) {
    // With h = 1, a picture 866.02 high holds 1000.00002 rows at 0.86602, but only 999.994
    // at the exact square root of 3 over 2.
    EXPECT_EQ(planGrid(10, 866.02F, 1, 10).rows, 1002);
    EXPECT_EQ(planGrid(10, 866.01F, 1, 10).rows, 1001);
}
