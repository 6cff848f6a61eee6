// Where a photo shows a band of a board's pixels, worked out every few pixels and in between.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "photo/board_mapping.h"

using namespace tessara;

// On the photo, every pixel lies within a hundredth of a pixel of where the model puts it,
// through a tilted board's perspective and a strong lens; a pixel the model puts off the
// photo (towards the horizon of a steep tilt, and beyond it) is off it too; a band one
// pixel wide or high, or a step and one pixel, is filled whole.
TEST(BoardMapping, EveryPixelLiesWhereTheModelPutsIt) {
    const struct {
        const char* guards;
        std::array<double, 3> horizon;  // the homography's third row
        QPointF origin;
        int width;
        int rows;
    } rows[] = {
        {"a board tilted both ways", {0.0004, -0.0003, 1}, {3.5, 7.25}, 203, 37},
        {"beyond the horizon of a steep tilt", {-0.02, 0, 1}, {1901.3, 0}, 300, 20},
        {"a band one pixel high", {0.0004, 0, 1}, {0, 11}, 100, 1},
        {"a band one pixel wide", {0.0004, 0, 1}, {17, 0}, 1, 30},
        {"one step and one pixel", {0.0004, 0, 1}, {0, 0}, kMappedStep + 1, kMappedStep + 1},
    };
    for (const auto& row : rows) {
        PhotoGrid grid;
        grid.lattice.m = {40, 3, 100, -2, 38, 80, row.horizon[0], row.horizon[1], row.horizon[2]};
        grid.lens = PhotoLens::of(QSizeF(2000, 1500), 0.09);
        FlatBoard board;
        // A pixel of the board is about one of the photo, as boards are made.
        board.acrossStep = QPointF(0.025, 0.0025);
        board.downStep = QPointF(-0.00125, 0.025);
        std::vector<float> xs(static_cast<size_t>(row.width * row.rows), -1);
        std::vector<float> ys(xs.size(), -1);
        photoPointsOf(grid, board, row.origin, row.width, row.rows, xs.data(), ys.data());
        double worst = 0;
        int off = 0;
        for (int y = 0; y < row.rows; ++y) {
            for (int x = 0; x < row.width; ++x) {
                const auto k = static_cast<size_t>(y * row.width + x);
                const std::optional<QPointF> p =
                    grid.toPhoto(board.toLattice(row.origin + QPointF(x, y)));
                const auto onPhoto = [](double px, double py) {
                    return px > -16 && py > -16 && px < 2016 && py < 1516;
                };
                if (p && onPhoto(p->x(), p->y())) {
                    worst = std::max(worst, std::hypot(xs[k] - p->x(), ys[k] - p->y()));
                } else {
                    EXPECT_FALSE(onPhoto(xs[k], ys[k])) << row.guards << ": " << x << ", " << y;
                    ++off;
                }
            }
        }
        EXPECT_LT(worst, 0.01) << row.guards;
        EXPECT_EQ(off > 0, row.horizon[0] < 0) << row.guards;
    }
}
