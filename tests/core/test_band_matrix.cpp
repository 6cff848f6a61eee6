#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "core/band_matrix.h"

using namespace tessara;

namespace {

// The matrix of `size` unknowns with -1 on every diagonal up to `width` away from the main
// one, and 2 width + 1 on that one: one more than the rest of its row, positive definite.
BandMatrix ridge(int size, int width) {
    BandMatrix m(size, width);
    for (int i = 0; i < size; ++i) {
        m.add(i, i, 2 * width + 1);
        for (int j = std::max(0, i - width); j < i; ++j) {
            m.add(i, j, -1);
        }
    }
    return m;
}

}  // namespace

// Solved in its band, the system gives back the x it was made from, whatever its width, down
// to a band of the diagonal alone and up to one as wide as the matrix.
TEST(BandMatrix, SolvesWhatItWasMadeFrom) {
    const struct {
        int size;
        int width;
    } cases[] = {{1, 0}, {7, 0}, {7, 1}, {40, 1}, {40, 3}, {5, 4}, {5, 9}};
    for (const auto& c : cases) {
        const BandMatrix m = ridge(c.size, c.width);
        std::vector<double> x, right(static_cast<size_t>(c.size), 0.0);
        for (int i = 0; i < c.size; ++i) {
            x.push_back(1.5 - 0.25 * i);
        }
        for (int i = 0; i < c.size; ++i) {
            for (int j = 0; j < c.size; ++j) {
                right[static_cast<size_t>(i)] += m.at(i, j) * x[static_cast<size_t>(j)];
            }
        }
        const auto solved = m.solve(right);
        ASSERT_TRUE(solved) << c.size << " " << c.width;
        for (int i = 0; i < c.size; ++i) {
            EXPECT_NEAR((*solved)[static_cast<size_t>(i)], x[static_cast<size_t>(i)], 1e-12)
                << c.size << " " << c.width << " " << i;
        }
    }
}

// A matrix that is not positive definite, a right side of the wrong length and an entry
// outside the band are refused.
TEST(BandMatrix, RefusesWhatItCannotSolveOrHold) {
    EXPECT_FALSE(ridge(10, 2).solve(std::vector<double>(10, 1.0)) == std::nullopt);
    EXPECT_EQ(ridge(10, 2).solve(std::vector<double>(9, 1.0)), std::nullopt);
    BandMatrix indefinite = ridge(10, 2);
    indefinite.add(6, 6, -8);
    EXPECT_EQ(indefinite.solve(std::vector<double>(10, 1.0)), std::nullopt);
    EXPECT_EQ(BandMatrix(3, 1).solve(std::vector<double>(3, 1.0)), std::nullopt);  // all zero
    BandMatrix m(10, 2);
    EXPECT_NO_THROW(m.add(2, 4, 1));
    EXPECT_THROW(m.add(1, 4, 1), std::out_of_range);
    EXPECT_THROW(m.add(10, 9, 1), std::out_of_range);
    EXPECT_EQ(m.at(1, 4), 0.0);
    EXPECT_EQ(m.at(4, 2), 1.0);
}
