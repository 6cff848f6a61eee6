// How alike two pictures of one place are, against their own noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "photo/seam_measures.h"
#include "synthetic_scan.h"

using namespace tessara;

namespace {

// The map's grey moved right by `shift` pixels (linearly between pixels), with normal grain
// of `grain` from `seed`.
std::vector<float> greyOf(const QImage& map, double shift, double grain, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, grain > 0 ? grain : 1);
    std::vector<float> grey;
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            const double from = std::clamp(x - shift, 0.0, map.width() - 1.0);
            const int left = std::min(static_cast<int>(from), map.width() - 2);
            const double t = from - left;
            const double value =
                (1 - t) * qGray(map.pixel(left, y)) + t * qGray(map.pixel(left + 1, y));
            grey.push_back(static_cast<float>(value + (grain > 0 ? noise(random) : 0)));
        }
    }
    return grey;
}

}  // namespace

// The deviation of plain grain is read as it is; two scans of one place differ by their
// grain alone (less, where the map's own texture counts as noise), a tenth of a pixel's
// move hardly shows, half a pixel's does, and a line doubled beside itself stands far above.
TEST(SeamMeasures, TwoPicturesOfOnePlaceDifferByTheirNoiseAlone) {
    QImage plain(120, 100, QImage::Format_RGB32);
    plain.fill(qRgb(128, 128, 128));
    const std::vector<float> grain = greyOf(plain, 0, 3, 1);
    EXPECT_NEAR(noiseDeviation({120, 100, grain.data()}), 3, 0.15);
    EXPECT_EQ(noiseDeviation({2, 2, grain.data()}), 0) << "too small to read";

    synthetic::ScanRecipe recipe;
    recipe.size = {160, 160};
    recipe.grid.hexPixels = 36;
    recipe.lineWidth = 2;
    recipe.grain = 0;
    const QImage map = synthetic::drawScan(recipe);
    const struct {
        const char* guards;
        double shift;  // pixels, half one way and half the other
        double least;
        double most;
    } rows[] = {
        {"one place, each with its own grain", 0, 0.3, 1.2},
        {"moved by a tenth of a pixel", 0.1, 0.3, 1.2},
        {"moved by half a pixel", 0.5, 1.8, 3},
        {"moved by two pixels: a doubled line", 2, 5, 1e9},
    };
    for (const auto& row : rows) {
        const std::vector<float> a = greyOf(map, row.shift / 2, 3, 2);
        const std::vector<float> b = greyOf(map, -row.shift / 2, 3, 3);
        const double ratio = differenceAgainstNoise({160, 160, a.data()}, {160, 160, b.data()});
        EXPECT_GE(ratio, row.least) << row.guards;
        EXPECT_LE(ratio, row.most) << row.guards;
    }
}
