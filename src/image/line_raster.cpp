#include "image/line_raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessara {
namespace {

// Pixel centres are sampled a hair to the right of and below the whole coordinates, so
// that a centre lying exactly on a line's edge falls on one side only: a band of width w
// over whole coordinates then covers w pixels, not w + 1.
constexpr double kBias = 1.0 / 256.0;

// Lines shorter than this on both axes are remembered as shapes; longer ones are rare and
// are worked out, clipped to the picture, each time.
constexpr double kShortLine = 512;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The rows and columns a line may cover, relative to its origin.
struct Clip {
    double left, top, right, bottom;
};

// Adds the run [lo, hi] of row `row` (biased centres, not yet whole) to `runs`, clipped.
void addRun(std::vector<PixelRun>& runs, int row, double lo, double hi, const Clip& clip) {
    const double from = std::max(std::ceil(lo - kBias), clip.left);
    const double to = std::min(std::floor(hi - kBias), clip.right);
    if (from <= to) {
        runs.push_back({row, static_cast<int>(from), static_cast<int>(to)});
    }
}

// One pixel per step along the longer axis, each at the nearest pixel across it.
void traceThin(std::vector<PixelRun>& runs, double x1, double y1, double x2, double y2,
               const Clip& clip) {
    const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double alongLow = steep ? clip.top : clip.left;
    const double alongHigh = steep ? clip.bottom : clip.right;
    const double acrossLow = steep ? clip.left : clip.top;
    const double acrossHigh = steep ? clip.right : clip.bottom;
    const double first = std::max(std::floor(x1 + 0.5), alongLow);
    const double last = std::min(std::floor(x2 + 0.5), alongHigh);
    const double slope = x2 > x1 ? (y2 - y1) / (x2 - x1) : 0.0;
    for (double i = first; i <= last; ++i) {
        const double j = std::floor(y1 + (i - x1) * slope + 0.5);
        if (j < acrossLow || j > acrossHigh) {
            continue;
        }
        const int along = static_cast<int>(i);
        const int across = static_cast<int>(j);
        if (steep) {
            runs.push_back({along, across, across});
        } else if (!runs.empty() && runs.back().row == across && runs.back().to == along - 1) {
            runs.back().to = along;  // a shallow line runs along its row
        } else {
            runs.push_back({across, along, along});
        }
    }
}

// A bound on x along a row that moves linearly with the row's y.
struct Bound {
    double slope = 0;
    double offset = 0;
    double at(double y) const { return slope * y + offset; }
};

// The segment widened by the radius on both sides, without its round ends: two lower and
// two upper bounds on x, and the rows where it lies.
struct Band {
    Bound lower[2];
    Bound upper[2];
    double top = kInfinity;  // empty unless the segment has a length
    double bottom = -kInfinity;
};

// The band is where a x + b y + c >= 0 for four half-planes: two along the segment's sides
// and two across its ends.
Band bandOf(double ax, double ay, double bx, double by, double radius) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    Band band;
    if (lengthSquared == 0) {
        return band;
    }
    const double reach = radius * std::sqrt(lengthSquared);
    const double across = dy * ax - dx * ay;
    const double along = -dx * ax - dy * ay;
    const double planes[4][3] = {{-dy, dx, across + reach},
                                 {dy, -dx, reach - across},
                                 {dx, dy, along},
                                 {-dx, -dy, lengthSquared - along}};
    constexpr double kFar = 1e300;
    band.lower[0] = band.lower[1] = {0, -kFar};
    band.upper[0] = band.upper[1] = {0, kFar};
    band.top = -kFar;
    band.bottom = kFar;
    int lowers = 0;
    int uppers = 0;
    for (const auto& [a, b, c] : planes) {
        if (a > 0) {
            band.lower[lowers++] = {-b / a, -c / a};
        } else if (a < 0) {
            band.upper[uppers++] = {-b / a, -c / a};
        } else if (b > 0) {  // a condition on y alone
            band.top = std::max(band.top, -c / b);
        } else {
            band.bottom = std::min(band.bottom, -c / b);
        }
    }
    return band;
}

// Every pixel whose centre lies within `radius` of the segment: the band and a disc at
// each end. The shape is convex, so each row meets it in one run, which reaches from the
// lowest to the highest end of the three parts' runs on that row.
void traceWide(std::vector<PixelRun>& runs, double ax, double ay, double bx, double by,
               double radius, const Clip& clip) {
    const double top = std::max(std::ceil(std::min(ay, by) - radius - kBias), clip.top);
    const double bottom = std::min(std::floor(std::max(ay, by) + radius - kBias), clip.bottom);
    const Band band = bandOf(ax, ay, bx, by, radius);
    const double rr = radius * radius;
    for (double row = top; row <= bottom; ++row) {
        const double y = row + kBias;
        double lo = kInfinity;
        double hi = -kInfinity;
        if (y >= band.top && y <= band.bottom) {
            const double left = std::max(band.lower[0].at(y), band.lower[1].at(y));
            const double right = std::min(band.upper[0].at(y), band.upper[1].at(y));
            if (left <= right) {
                lo = left;
                hi = right;
            }
        }
        for (const auto& [cx, cy] : {std::pair{ax, ay}, std::pair{bx, by}}) {
            const double t = y - cy;
            if (t * t <= rr) {
                const double half = std::sqrt(rr - t * t);
                lo = std::min(lo, cx - half);
                hi = std::max(hi, cx + half);
            }
        }
        if (lo <= hi) {
            addRun(runs, static_cast<int>(row), lo, hi, clip);
        }
    }
}

// Keeps of the runs of the line from a to b (in the runs' own coordinates) the pixels of its
// dashes. A one-pixel line is a chain of pixels along it: only how far along each lies counts.
void keepDashes(std::vector<PixelRun>& runs, QPointF a, QPointF b, int width, DashStyle style) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double length = std::hypot(dx, dy);
    const DashPattern pattern = dashPattern(style, width, length);
    if (pattern.period == 0) {
        return;
    }
    const double ux = dx / length;
    const double uy = dy / length;
    const bool thin = width <= 1;
    const double radius = thin ? 0.5 : width / 2.0;
    std::vector<PixelRun> kept;
    kept.reserve(runs.size());
    for (const PixelRun& run : runs) {
        const double py = run.row - a.y();
        int start = run.to + 1;  // the first pixel of the dash being followed, if any
        for (int x = run.from; x <= run.to; ++x) {
            const double px = x - a.x();
            const double across = thin ? 0 : px * uy - py * ux;
            if (onDash(pattern, length, px * ux + py * uy, across, radius)) {
                start = std::min(start, x);
            } else if (start < x) {
                kept.push_back({run.row, start, x - 1});
                start = run.to + 1;
            }
        }
        if (start <= run.to) {
            kept.push_back({run.row, start, run.to});
        }
    }
    runs.swap(kept);
}

void trace(std::vector<PixelRun>& runs, QPointF a, QPointF b, int width, DashStyle dashes,
           const Clip& clip) {
    runs.clear();
    if (width <= 1) {
        traceThin(runs, a.x(), a.y(), b.x(), b.y(), clip);
    } else {
        traceWide(runs, a.x(), a.y(), b.x(), b.y(), width / 2.0, clip);
    }
    keepDashes(runs, a, b, width, dashes);
}

std::uint64_t hashOf(const double (&key)[4], int width, DashStyle dashes) {
    std::uint64_t h = static_cast<std::uint64_t>(width) * 4 + static_cast<std::uint64_t>(dashes);
    for (const double d : key) {
        h = (h ^ std::bit_cast<std::uint64_t>(d)) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    return h;
}

bool sameKey(const double (&a)[4], const double (&b)[4]) {
    return std::equal(std::begin(a), std::end(a), std::begin(b), [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
    });
}

}  // namespace

const LineRaster::Shape& LineRaster::shapeOf(const double (&key)[4], int width, DashStyle dashes) {
    Shape& shape = shapes_[hashOf(key, width, dashes) % shapes_.size()];
    if (!shape.valid || shape.width != width || shape.dashes != dashes ||
        !sameKey(shape.key, key)) {
        std::copy(std::begin(key), std::end(key), std::begin(shape.key));
        shape.width = width;
        shape.dashes = dashes;
        shape.valid = true;
        trace(shape.runs, {key[0], key[1]}, {key[2], key[3]}, width, dashes,
              {-kShortLine - 64, -kShortLine - 64, kShortLine + 64, kShortLine + 64});
    }
    return shape;
}

const LineRaster::Blend& LineRaster::blendFor(QRgb colour, int opacity) {
    if (blend_.colour != colour || blend_.opacity != opacity) {
        blend_.colour = colour;
        blend_.opacity = opacity;
        for (int value = 0; value < 256; ++value) {
            const QRgb mixed = blendOver(colour, qRgb(value, value, value), opacity);
            blend_.channels[0][value] = static_cast<std::uint8_t>(qRed(mixed));
            blend_.channels[1][value] = static_cast<std::uint8_t>(qGreen(mixed));
            blend_.channels[2][value] = static_cast<std::uint8_t>(qBlue(mixed));
        }
    }
    return blend_;
}

void LineRaster::fill(QImage& image, const std::vector<PixelRun>& runs, int originX, int originY,
                      const RasterPen& pen) {
    auto* bits = reinterpret_cast<QRgb*>(image.bits());  // detaches a shared picture once
    const qsizetype stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    const int width = image.width();
    const int height = image.height();
    const QRgb colour = 0xff000000U | pen.colour;
    const bool opaque = pen.opacity >= kOpaque;
    const auto pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (!opaque && covered_.size() != (pixels + 63) / 64) {
        covered_.assign((pixels + 63) / 64, 0);
    }
    const auto& [red, green, blue] = blendFor(colour, pen.opacity).channels;
    for (const PixelRun& run : runs) {
        const int row = originY + run.row;
        if (row < 0 || row >= height) {
            continue;
        }
        const int from = std::max(originX + run.from, 0);
        const int to = std::min(originX + run.to, width - 1);
        QRgb* line = bits + stride * row;
        if (journal_ != nullptr && from <= to) {
            journal_->keep(line + from, stride * row + from, to - from + 1);
        }
        if (opaque) {
            for (int x = from; x <= to; ++x) {
                line[x] = colour;
            }
            continue;
        }
        // Each pixel is blended the first time a line covers it, and never again.
        const size_t first = static_cast<size_t>(row) * static_cast<size_t>(width);
        for (int x = from; x <= to; ++x) {
            const size_t at = first + static_cast<size_t>(x);
            std::uint64_t& word = covered_[at / 64];
            const std::uint64_t bit = std::uint64_t{1} << (at % 64);
            if ((word & bit) == 0) {
                word |= bit;
                const QRgb under = line[x];
                line[x] = qRgb(red[qRed(under)], green[qGreen(under)], blue[qBlue(under)]);
            }
        }
    }
}

void LineRaster::draw(QImage& image, QPointF from, QPointF to, const RasterPen& pen) {
    if (image.isNull() || image.format() != QImage::Format_RGB32) {
        return;
    }
    const double x1 = from.x();
    const double y1 = from.y();
    const double x2 = to.x();
    const double y2 = to.y();
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    const int width = std::max(pen.width, 1);
    const double margin = width / 2.0 + 2;
    if (std::max(x1, x2) < -margin || std::min(x1, x2) > image.width() + margin ||
        std::max(y1, y2) < -margin || std::min(y1, y2) > image.height() + margin) {
        return;  // wholly outside the picture
    }
    if (std::abs(x2 - x1) < kShortLine && std::abs(y2 - y1) < kShortLine) {
        // Both ends lie near the picture: the origin fits an int.
        const double ox = std::floor(x1);
        const double oy = std::floor(y1);
        const double key[4] = {x1 - ox, y1 - oy, x2 - ox, y2 - oy};
        fill(image, shapeOf(key, width, pen.dashes).runs, static_cast<int>(ox),
             static_cast<int>(oy), pen);
        return;
    }
    std::vector<PixelRun> runs;
    trace(runs, from, to, width, pen.dashes,
          {0, 0, static_cast<double>(image.width() - 1), static_cast<double>(image.height() - 1)});
    fill(image, runs, 0, 0, pen);
}

}  // namespace tessara
