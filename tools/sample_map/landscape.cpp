#include "landscape.h"

#include <algorithm>
#include <cmath>

#include "random.h"

namespace tessara {

namespace {

// Enough samples across for hills a kilometre wide, few enough to compute in a blink.
constexpr int kFieldColumns = 400;
constexpr double kSeaShare = 0.36;
constexpr double kWoodsShare = 0.66;

// The value below which `share` of the field lies.
float quantile(std::vector<float> values, double share) {
    auto nth = values.begin() + static_cast<std::ptrdiff_t>(share * (values.size() - 1));
    std::nth_element(values.begin(), nth, values.end());
    return *nth;
}

void normalise(CoarseField& field) {
    auto [low, high] = std::minmax_element(field.values().begin(), field.values().end());
    float min = *low;
    float span = std::max(*high - min, 1e-6f);
    for (float& value : field.values()) {
        value = (value - min) / span;
    }
}

// The land rises away from one side of the map, chosen by the seed, so that every seed has
// a coast and the sea does not end up as scattered ponds.
QPointF seaward(Random& random) {
    for (;;) {
        double x = random.between(-1, 1);
        double y = random.between(-1, 1);
        double length = std::sqrt(x * x + y * y);
        if (length > 0.3 && length <= 1.0) {
            return {x / length, y / length};
        }
    }
}

CoarseField heightField(const CoarseField& shape, double kmPerCell, QSizeF sizeKm, Random random) {
    CoarseField field = shape;
    std::uint64_t warpX = random.next();
    std::uint64_t warpY = random.next();
    std::uint64_t relief = random.next();
    QPointF towardSea = seaward(random);
    double halfDiagonal =
        std::sqrt(sizeKm.width() * sizeKm.width() + sizeKm.height() * sizeKm.height()) / 2;
    for (int r = 0; r < field.rows(); ++r) {
        for (int c = 0; c < field.columns(); ++c) {
            double x = c * kmPerCell;
            double y = r * kmPerCell;
            // A warped domain bends the noise's blobs into capes, bays and long valleys.
            double qx = x + 14 * (fractalNoise(warpX, x, y, 24, 3) - 0.5);
            double qy = y + 14 * (fractalNoise(warpY, x, y, 24, 3) - 0.5);
            double along = ((x - sizeKm.width() / 2) * towardSea.x() +
                            (y - sizeKm.height() / 2) * towardSea.y()) /
                           halfDiagonal;
            field.at(c, r) = static_cast<float>(fractalNoise(relief, qx, qy, 36, 6) - 0.42 * along);
        }
    }
    normalise(field);
    return field;
}

// Real land is mostly low and gently rolling with the hills gathered together; a curve on
// the share of the highest land keeps the plains flat and the hills steep. It still rises
// from the shore, or the coastline, where the land would be level, would wobble.
void flattenLowlands(CoarseField& field, double seaLevel) {
    for (float& value : field.values()) {
        if (value > seaLevel) {
            double share = (value - seaLevel) / (1.0 - seaLevel);
            share = share * (0.3 + 0.7 * share);
            value = static_cast<float>(seaLevel + (1.0 - seaLevel) * share);
        }
    }
}

CoarseField wetnessField(const CoarseField& shape, double kmPerCell, std::uint64_t seed) {
    CoarseField field = shape;
    for (int r = 0; r < field.rows(); ++r) {
        for (int c = 0; c < field.columns(); ++c) {
            field.at(c, r) =
                static_cast<float>(fractalNoise(seed, c * kmPerCell, r * kmPerCell, 5, 5));
        }
    }
    return field;
}

}  // namespace

bool Landscape::inWoods(QPointF pixel) const {
    double share = landShare(height.atPixel(pixel));
    return wetness.atPixel(pixel) > woodsLevel && share > kWoodsLowest && share < kWoodsHighest;
}

int Landscape::metres(double h) const {
    return static_cast<int>(std::lround(std::max(0.0, landShare(h)) * kHighestMetres));
}

Landscape makeLandscape(QSize size, std::uint64_t seed) {
    double pixelsPerKm = size.width() / kMapWidthKm;
    double cellPixels = static_cast<double>(size.width()) / (kFieldColumns - 3);
    // One sample past the last pixel on each side, for the cubic.
    int columns = static_cast<int>(std::ceil((size.width() - 1) / cellPixels)) + 2;
    int rows = static_cast<int>(std::ceil((size.height() - 1) / cellPixels)) + 2;
    CoarseField shape(columns, rows, cellPixels);
    double kmPerCell = cellPixels / pixelsPerKm;
    QSizeF sizeKm(size.width() / pixelsPerKm, size.height() / pixelsPerKm);

    Random random(seed);
    CoarseField height = heightField(shape, kmPerCell, sizeKm, random.branch(1));
    CoarseField wetness = wetnessField(shape, kmPerCell, random.branch(2).next());
    double seaLevel = quantile(height.values(), kSeaShare);
    flattenLowlands(height, seaLevel);
    double woodsLevel = quantile(wetness.values(), kWoodsShare);
    return Landscape{size,     pixelsPerKm, std::move(height), std::move(wetness),
                     seaLevel, woodsLevel};
}

}  // namespace tessara
