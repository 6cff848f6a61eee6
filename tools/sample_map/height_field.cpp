#include "height_field.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "random.h"

namespace tessara {

namespace {

// Catmull-Rom weights for the four samples around a point `t` of the way from the second
// to the third.
std::array<float, 4> cubicWeights(double t) {
    double t2 = t * t;
    double t3 = t2 * t;
    return {static_cast<float>(0.5 * (-t3 + 2 * t2 - t)),
            static_cast<float>(0.5 * (3 * t3 - 5 * t2 + 2)),
            static_cast<float>(0.5 * (-3 * t3 + 4 * t2 + t)), static_cast<float>(0.5 * (t3 - t2))};
}

double smoothStep(double t) {
    return t * t * (3 - 2 * t);
}

double valueNoise(std::uint64_t seed, double x, double y) {
    double fx = std::floor(x);
    double fy = std::floor(y);
    auto ix = static_cast<std::int64_t>(fx);
    auto iy = static_cast<std::int64_t>(fy);
    double sx = smoothStep(x - fx);
    double sy = smoothStep(y - fy);
    double top = latticeValue(seed, ix, iy) +
                 (latticeValue(seed, ix + 1, iy) - latticeValue(seed, ix, iy)) * sx;
    double bottom = latticeValue(seed, ix, iy + 1) +
                    (latticeValue(seed, ix + 1, iy + 1) - latticeValue(seed, ix, iy + 1)) * sx;
    return top + (bottom - top) * sy;
}

}  // namespace

CoarseField::CoarseField(int columns, int rows, double cellPixels)
    : columns_(columns),
      rows_(rows),
      cellPixels_(cellPixels),
      values_(static_cast<std::size_t>(columns) * rows, 0.0f) {}

int CoarseField::index(int column, int row) const {
    column = std::clamp(column, 0, columns_ - 1);
    row = std::clamp(row, 0, rows_ - 1);
    return row * columns_ + column;
}

double CoarseField::atPixel(QPointF pixel) const {
    double gx = std::clamp(pixel.x() / cellPixels_, 0.0, columns_ - 1.0);
    double gy = std::clamp(pixel.y() / cellPixels_, 0.0, rows_ - 1.0);
    int c = static_cast<int>(gx);
    int r = static_cast<int>(gy);
    double tx = gx - c;
    double ty = gy - r;
    double top = at(c, r) + (at(c + 1, r) - at(c, r)) * tx;
    double bottom = at(c, r + 1) + (at(c + 1, r + 1) - at(c, r + 1)) * tx;
    return top + (bottom - top) * ty;
}

void CoarseField::resampleRow(int y, int width, std::vector<float>& out) const {
    double gy = y / cellPixels_;
    int r = static_cast<int>(gy);
    std::array<float, 4> wy = cubicWeights(gy - r);
    // First down the columns, once per row, then across: four taps a pixel instead of sixteen.
    std::vector<float> column(static_cast<std::size_t>(columns_) + 3);
    for (int c = -1; c <= columns_ + 1; ++c) {
        float sum = 0;
        for (int k = 0; k < 4; ++k) {
            sum += wy[k] * at(c, r - 1 + k);
        }
        column[c + 1] = sum;
    }
    out.resize(width);
    for (int x = 0; x < width; ++x) {
        double gx = x / cellPixels_;
        int c = static_cast<int>(gx);
        std::array<float, 4> wx = cubicWeights(gx - c);
        out[x] = wx[0] * column[c] + wx[1] * column[c + 1] + wx[2] * column[c + 2] +
                 wx[3] * column[c + 3];
    }
}

double fractalNoise(std::uint64_t seed, double x, double y, double wavelength, int octaves) {
    double sum = 0;
    double amplitude = 0.5;
    double frequency = 1.0 / wavelength;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * valueNoise(mix64(seed + octave), x * frequency, y * frequency);
        amplitude *= 0.5;
        frequency *= 2.0;
        // Each layer turned a little (a 3-4-5 rotation, no trigonometry) hides the lattice's
        // rows and columns, which the eye picks out at once on a coastline.
        double turned = 0.8 * x - 0.6 * y;
        y = 0.6 * x + 0.8 * y;
        x = turned;
    }
    return sum;
}

}  // namespace tessara
