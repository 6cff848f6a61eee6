#include "grid/map_darkness.h"

#include <algorithm>
#include <cmath>

namespace tessara {
namespace {

bool fourBytes(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// The darkness of a picture of any other format, one byte a pixel, converted a band of rows
// at a time so that no full-size colour copy is ever made.
QImage greyCopy(const QImage& map) {
    constexpr int kBand = 64;
    QImage grey(map.size(), QImage::Format_Grayscale8);
    for (int top = 0; top < map.height(); top += kBand) {
        const int rows = std::min(kBand, map.height() - top);
        const QImage band =
            map.copy(0, top, map.width(), rows).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rows; ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(band.constScanLine(y));
            uchar* to = grey.scanLine(top + y);
            for (int x = 0; x < map.width(); ++x) {
                to[x] = static_cast<uchar>(255 - MapDarkness::darknessOf(from[x]));
            }
        }
    }
    return grey;
}

}  // namespace

MapDarkness::MapDarkness(const QImage& map)
    : picture_(fourBytes(map.format()) || map.format() == QImage::Format_Grayscale8
                   ? map
                   : greyCopy(map)),
      bits_(picture_.constBits()),
      stride_(picture_.bytesPerLine()),
      wide_(fourBytes(map.format())),
      width_(map.width()),
      height_(map.height()) {}

MapDarkness MapDarkness::part(const QRect& area) const {
    MapDarkness part;
    part.picture_ = picture_;
    part.stride_ = stride_;
    part.wide_ = wide_;
    part.bits_ = bits_ + area.top() * stride_ + area.left() * (wide_ ? 4 : 1);
    part.width_ = area.width();
    part.height_ = area.height();
    return part;
}

std::vector<std::uint8_t> MapDarkness::shrunk(const QRect& area, int factor) const {
    const int w = area.width() / factor;
    const int h = area.height() / factor;
    std::vector<std::uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
    std::vector<int> sums(static_cast<size_t>(w));
    const int blocks = factor * factor;
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int row = area.top() + y * factor; row < area.top() + (y + 1) * factor; ++row) {
            const uchar* line = bits_ + row * stride_;
            for (int x = 0; x < w * factor; ++x) {
                const int column = area.left() + x;
                sums[static_cast<size_t>(x / factor)] +=
                    wide_ ? darknessOf(reinterpret_cast<const QRgb*>(line)[column])
                          : 255 - line[column];
            }
        }
        std::uint8_t* shrunkLine = out.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        for (int x = 0; x < w; ++x) {
            shrunkLine[x] =
                static_cast<std::uint8_t>((sums[static_cast<size_t>(x)] + blocks / 2) / blocks);
        }
    }
    return out;
}

}  // namespace tessara
