// How dark the map is at any point, read straight from its picture: the grid finder works on
// grey values without copying a full-size colour picture.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessara {

class MapDarkness {
  public:
    // Reads 32-bit and 8-bit grey pictures in place, sharing their pixels; any other format
    // through one grey copy.
    explicit MapDarkness(const QImage& map);

    int width() const { return width_; }
    int height() const { return height_; }
    // 255 less the luminance, between pixel centres by bilinear interpolation; (3, 5) is the
    // middle of pixel column 3, row 5. The point must lie within the centres of the picture.
    float at(double x, double y) const {
        const int x0 = std::min(static_cast<int>(x), width_ - 2);
        const int y0 = std::min(static_cast<int>(y), height_ - 2);
        const auto fx = static_cast<float>(x - x0);
        const auto fy = static_cast<float>(y - y0);
        const uchar* line = bits_ + y0 * stride_;
        int p00, p01, p10, p11;  // row, column
        if (wide_) {
            const auto* top = reinterpret_cast<const QRgb*>(line) + x0;
            const auto* bottom = reinterpret_cast<const QRgb*>(line + stride_) + x0;
            p00 = darknessOf(top[0]);
            p01 = darknessOf(top[1]);
            p10 = darknessOf(bottom[0]);
            p11 = darknessOf(bottom[1]);
        } else {
            p00 = 255 - line[x0];
            p01 = 255 - line[x0 + 1];
            p10 = 255 - line[stride_ + x0];
            p11 = 255 - line[stride_ + x0 + 1];
        }
        const float upper = static_cast<float>(p00) + fx * static_cast<float>(p01 - p00);
        const float lower = static_cast<float>(p10) + fx * static_cast<float>(p11 - p10);
        return upper + fy * (lower - upper);
    }
    bool holds(QPointF p, double margin) const {
        return p.x() >= margin && p.y() >= margin && p.x() <= width_ - 1 - margin &&
               p.y() <= height_ - 1 - margin;
    }
    // The darkness of `area` (within the picture) alone, sharing these pixels: its (0, 0) is
    // the area's top left pixel. Tiles read on many threads at once copy nothing.
    MapDarkness part(const QRect& area) const;
    // The mean darkness of each `factor` x `factor` block of `area` (whole blocks, row by
    // row), rounded: the area's picture shrunk by that factor.
    std::vector<std::uint8_t> shrunk(const QRect& area, int factor) const;

    // 255 less the luminance (ITU-R 601 weights in 8 bits).
    static int darknessOf(QRgb c) {
        return 255 - ((77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c)) >> 8);
    }

  private:
    MapDarkness() = default;

    QImage picture_;  // the map itself, or its grey copy
    const uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    bool wide_ = false;  // four bytes a pixel
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tessara
