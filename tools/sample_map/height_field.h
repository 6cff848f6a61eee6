// A field of values (height, wetness) sampled on a coarse grid laid over the map and read
// back smoothly at any pixel. Computing noise for every one of twelve million pixels would
// take seconds; a grid a tenth as fine, resampled with a cubic, looks the same.
#pragma once

#include <QPointF>
#include <cstdint>
#include <vector>

namespace tessara {

class CoarseField {
  public:
    // `columns` x `rows` samples, `cellPixels` apart, the first on the map's top left pixel.
    CoarseField(int columns, int rows, double cellPixels);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    double cellPixels() const { return cellPixels_; }
    float& at(int column, int row) { return values_[index(column, row)]; }
    // Clamped to the grid, so the cubic can read one sample past each edge.
    float at(int column, int row) const { return values_[index(column, row)]; }
    const std::vector<float>& values() const { return values_; }
    std::vector<float>& values() { return values_; }

    // The value at a point in pixels, bilinear: for placing things, where smoothness of the
    // derivative does not show.
    double atPixel(QPointF pixel) const;
    // One row of pixels, `width` wide at pixel row `y`, with a Catmull-Rom cubic in both
    // directions so that shading, which follows the slope, shows no seams between cells.
    void resampleRow(int y, int width, std::vector<float>& out) const;

  private:
    int index(int column, int row) const;

    int columns_;
    int rows_;
    double cellPixels_;
    std::vector<float> values_;
};

// Fractal value noise: `octaves` layers, each twice as fine and half as strong as the one
// before, the first with features `wavelength` units across. Roughly in [0, 1].
double fractalNoise(std::uint64_t seed, double x, double y, double wavelength, int octaves);

}  // namespace tessara
