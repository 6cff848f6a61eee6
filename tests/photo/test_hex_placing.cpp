// Placing one section's hexes on another's by their colours, every whole-hex placing at once.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "photo/hex_placing.h"

using namespace tessara;

namespace {

// `columns` x `rows` hexes of random colours from `first`, one in `unknownEvery` not known.
HexColours randomHexes(QPoint first, int columns, int rows, std::uint32_t seed,
                       int unknownEvery = 0) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> colour(0, 255);
    HexColours c{first, columns, rows, {}, {}, 0};
    for (int k = 0; k < columns * rows; ++k) {
        std::array<float, kHexValues> values{};
        for (float& v : values) {
            v = colour(random);
        }
        c.mean.push_back(values);
        const bool known = unknownEvery == 0 || k % unknownEvery != 0;
        c.known.push_back(known ? 1 : 0);
        c.count += known ? 1 : 0;
    }
    return c;
}

// The part of `a` from its hex `from` (steps), `columns` x `rows` hexes, first at `first`.
HexColours cutOf(const HexColours& a, QPoint from, int columns, int rows, QPoint first) {
    HexColours c{first, columns, rows, {}, {}, 0};
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const int k = a.index(from + QPoint(x, y));
            c.mean.push_back(a.mean[static_cast<size_t>(k)]);
            c.known.push_back(a.known[static_cast<size_t>(k)]);
            c.count += a.known[static_cast<size_t>(k)];
        }
    }
    return c;
}

// The correlation at one placing, summed hex by hex.
std::pair<double, int> summed(const HexColours& a, const HexColours& b, QPoint steps) {
    double sa[kHexValues]{}, sb[kHexValues]{}, saa[kHexValues]{}, sbb[kHexValues]{},
        sab[kHexValues]{};
    int n = 0;
    for (int y = 0; y < b.rows; ++y) {
        for (int x = 0; x < b.columns; ++x) {
            const int kb = y * b.columns + x;
            const int ka = a.index(b.first + QPoint(x, y) + steps);
            if (ka < 0 || !a.known[static_cast<size_t>(ka)] || !b.known[static_cast<size_t>(kb)]) {
                continue;
            }
            ++n;
            for (size_t c = 0; c < kHexValues; ++c) {
                const double u = a.mean[static_cast<size_t>(ka)][c];
                const double v = b.mean[static_cast<size_t>(kb)][c];
                sa[c] += u, sb[c] += v, saa[c] += u * u, sbb[c] += v * v, sab[c] += u * v;
            }
        }
    }
    double cov = 0, va = 0, vb = 0;
    for (size_t c = 0; c < kHexValues; ++c) {
        cov += sab[c] - sa[c] * sb[c] / n;
        va += saa[c] - sa[c] * sa[c] / n;
        vb += sbb[c] - sb[c] * sb[c] / n;
    }
    return {cov / std::sqrt(va * vb), n};
}

}  // namespace

// The transform gives, at every placing with enough shared hexes, the correlation a sum
// over the hexes gives, and no placing with fewer; the steps count from each first hex.
TEST(HexPlacing, EveryPlacingHasTheCorrelationOfTheHexesBothKnow) {
    const HexColours a = randomHexes({-3, 2}, 9, 7, 1, 5);
    const HexColours b = randomHexes({4, -1}, 6, 8, 2, 7);
    const int least = 5;
    const std::vector<Placing> all = placingsOf(a, b, least);
    int listed = 0;
    for (int n = -12; n <= 12; ++n) {
        for (int m = -20; m <= 20; ++m) {
            const auto [r, hexes] = summed(a, b, QPoint(m, n));
            const auto found = std::find_if(
                all.begin(), all.end(), [&](const Placing& p) { return p.steps == QPoint(m, n); });
            if (hexes < least) {
                EXPECT_EQ(found, all.end()) << m << ", " << n << ": " << hexes << " hexes";
                continue;
            }
            ++listed;
            ASSERT_NE(found, all.end()) << m << ", " << n;
            EXPECT_NEAR(found->likeness, r, 1e-9) << m << ", " << n;
            EXPECT_NEAR(found->weight, std::atanh(r) * std::sqrt(hexes - 3.0), 1e-7);
        }
    }
    EXPECT_EQ(listed, static_cast<int>(all.size()));
    EXPECT_GT(listed, 40);
}

// A part of a section is found where it was cut from; a section of other hexes, or an
// overlap of fewer than 12 hexes, is not placed.
TEST(HexPlacing, ThePartIsPlacedWhereItWasCutOrNotAtAll) {
    const HexColours a = randomHexes({0, 0}, 30, 20, 3);
    const struct {
        const char* guards;
        HexColours b;
        std::optional<QPoint> steps;
    } rows[] = {
        {"a corner of it", cutOf(a, {22, 13}, 8, 7, {-2, 5}), QPoint(24, 8)},
        {"its middle, first at its own origin", cutOf(a, {10, 5}, 6, 6, {0, 0}), QPoint(10, 5)},
        {"twelve hexes of it", cutOf(a, {4, 4}, 4, 3, {1, 1}), QPoint(3, 3)},
        {"eleven hexes of it", cutOf(a, {4, 4}, 11, 1, {0, 0}), std::nullopt},
        {"another map", randomHexes({0, 0}, 8, 7, 4), std::nullopt},
    };
    for (const auto& row : rows) {
        const std::optional<Placing> placed = placeOn(a, row.b);
        EXPECT_EQ(placed ? std::optional(placed->steps) : std::nullopt, row.steps) << row.guards;
    }
}
