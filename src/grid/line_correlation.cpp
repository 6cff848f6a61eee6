#include "grid/line_correlation.h"

#include <fftw3.h>

#include <QRect>
#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <numbers>

#include "grid/map_darkness.h"

namespace tessara {
namespace {

constexpr int kLargestSide = 1024;  // window pixels
constexpr double kGrain = 4;        // grey levels
constexpr double kLogScale = 60;    // takes log(1 + 255 / kGrain) to 250
// Of each side, tapered to 0 at the window's edge: the lags that wrap round the window then
// pair mostly tapered pixels and add little to the lags that do not.
constexpr double kTaper = 0.25;

// Picture pixels across one window pixel. Shrunk by 2, hexes 16 pixels across still span
// 8 window pixels, and the window covers 2048 pixels of a large map, room for a few hexes
// of several hundred pixels; shrunk by 3, the smallest hexes' shortest repeat merges with
// the lines' own likeness round lag 0.
int factorFor(const MapDarkness& map) {
    const double megapixels = static_cast<double>(map.width()) * map.height() / 1e6;
    return megapixels <= 3 ? 1 : 2;
}

// A side of at most kLargestSide whose factors FFTW handles quickly.
int windowSide(int available) {
    const int side = std::min(available, kLargestSide);
    return side >= 64 ? side / 32 * 32 : side;
}

using Bytes = std::vector<std::uint8_t>;

// Each pixel of `out` is the one `pick` picks of `in` within `radius` along its row, and
// then the same down its column: a square structuring element.
template <class Pick>
void squareFilterBy(const Bytes& in, Bytes& across, Bytes& out, int width, int height, int radius,
                    Pick pick) {
    const auto w = static_cast<size_t>(width);
    // Along each row, a whole row at a time for each distance, which the compiler runs on
    // many pixels at once.
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = in.data() + static_cast<size_t>(y) * w;
        std::uint8_t* to = across.data() + static_cast<size_t>(y) * w;
        std::copy_n(from, w, to);
        for (int k = 1; k <= radius && k < width; ++k) {
            const auto reach = static_cast<size_t>(k);
            for (size_t x = 0; x + reach < w; ++x) {
                to[x] = pick(to[x], from[x + reach]);
            }
            for (size_t x = reach; x < w; ++x) {
                to[x] = pick(to[x], from[x - reach]);
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* to = out.data() + static_cast<size_t>(y) * w;
        std::copy_n(across.data() + static_cast<size_t>(y) * w, w, to);
        for (int k = std::max(0, y - radius); k <= std::min(height - 1, y + radius); ++k) {
            const std::uint8_t* from = across.data() + static_cast<size_t>(k) * w;
            for (size_t x = 0; x < w; ++x) {
                to[x] = pick(to[x], from[x]);
            }
        }
    }
}

// The smallest (`largest` false) or the largest.
void squareFilter(const Bytes& in, Bytes& across, Bytes& out, int width, int height, int radius,
                  bool largest) {
    if (largest) {
        squareFilterBy(in, across, out, width, height, radius,
                       [](std::uint8_t a, std::uint8_t b) { return std::max(a, b); });
    } else {
        squareFilterBy(in, across, out, width, height, radius,
                       [](std::uint8_t a, std::uint8_t b) { return std::min(a, b); });
    }
}

// The darkness above its opening: lines thinner than 2 radius + 1 pixels, on nothing.
void blackTopHat(Bytes& darkness, int width, int height, int radius) {
    Bytes across(darkness.size());
    Bytes eroded(darkness.size());
    Bytes opened(darkness.size());
    squareFilter(darkness, across, eroded, width, height, radius, false);
    squareFilter(eroded, across, opened, width, height, radius, true);
    for (size_t i = 0; i < darkness.size(); ++i) {
        darkness[i] = static_cast<std::uint8_t>(darkness[i] - opened[i]);
    }
}

// Lines printed faintly count nearly as much as black labels: the darkness above the
// opening on a logarithmic scale, from a few grey levels (the scanner's grain) up.
void compress(Bytes& lines) {
    std::array<std::uint8_t, 256> scale{};
    for (int v = 0; v < 256; ++v) {
        scale[static_cast<size_t>(v)] =
            static_cast<std::uint8_t>(std::lround(kLogScale * std::log1p(v / kGrain)));
    }
    for (std::uint8_t& v : lines) {
        v = scale[v];
    }
}

// 1 in the middle, falling to 0 at both ends with a half cosine over kTaper of the side.
std::vector<double> taper(int n) {
    std::vector<double> w(static_cast<size_t>(n), 1.0);
    const double edge = std::max(1.0, kTaper * n);
    for (int i = 0; i < n; ++i) {
        const double from = std::min(i + 0.5, n - i - 0.5);
        if (from < edge) {
            w[static_cast<size_t>(i)] = 0.5 - 0.5 * std::cos(std::numbers::pi * from / edge);
        }
    }
    return w;
}

// The taper's autocorrelation over its value at lag 0, at the lags of the circular one:
// index d is the lag d, or d - n past the middle.
std::vector<double> taperLikeness(const std::vector<double>& w) {
    const size_t n = w.size();
    std::vector<double> out(n, 0.0);
    for (size_t d = 0; d <= n / 2; ++d) {
        for (size_t i = 0; i + d < n; ++i) {
            out[d] += w[i] * w[i + d];
        }
        out[(n - d) % n] = out[d];
    }
    const double zero = out[0];
    for (double& value : out) {
        value /= zero;
    }
    return out;
}

// FFTW's planner is not safe to call from two threads at once.
std::mutex& plannerLock() {
    static std::mutex lock;
    return lock;
}

void correlate(LineWindow& window) {
    const int w = window.width;
    const int h = window.height;
    const int stride = 2 * (w / 2 + 1);
    window.correlation = {
        static_cast<float*>(
            fftwf_malloc(sizeof(float) * static_cast<size_t>(stride) * static_cast<size_t>(h))),
        fftwf_free};
    window.correlationStride = stride;
    if (!window.correlation) {
        throw std::bad_alloc();
    }
    float* data = window.correlation.get();
    const std::vector<double> tx = taper(w);
    const std::vector<double> ty = taper(h);
    double sum = 0;
    double weight = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double t = tx[static_cast<size_t>(x)] * ty[static_cast<size_t>(y)];
            sum += t * window.lineAt(x, y);
            weight += t;
        }
    }
    const double mean = sum / weight;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            data[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] =
                static_cast<float>((window.lineAt(x, y) - mean) * tx[static_cast<size_t>(x)] *
                                   ty[static_cast<size_t>(y)]);
        }
    }
    // The spectrum's magnitude, not its power: a grid's few sharp peaks then stand out from the
    // broad spread of labels, woods and grain, whose short repeats would otherwise crowd the
    // short lags where small hexes repeat.
    auto* spectrum = reinterpret_cast<fftwf_complex*>(data);
    fftwf_plan forward;
    fftwf_plan backward;
    {
        const std::lock_guard<std::mutex> lock(plannerLock());
        forward = fftwf_plan_dft_r2c_2d(h, w, data, spectrum, FFTW_ESTIMATE);
        backward = fftwf_plan_dft_c2r_2d(h, w, spectrum, data, FFTW_ESTIMATE);
    }
    fftwf_execute(forward);
    const size_t bins = static_cast<size_t>(h) * static_cast<size_t>(w / 2 + 1);
    for (size_t i = 0; i < bins; ++i) {
        spectrum[i][0] = std::hypot(spectrum[i][0], spectrum[i][1]);
        spectrum[i][1] = 0;
    }
    fftwf_execute(backward);
    {
        const std::lock_guard<std::mutex> lock(plannerLock());
        fftwf_destroy_plan(forward);
        fftwf_destroy_plan(backward);
    }
    const std::vector<double> lx = taperLikeness(tx);
    const std::vector<double> ly = taperLikeness(ty);
    const double zero = data[0];
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float& c = data[static_cast<size_t>(y) * stride + static_cast<size_t>(x)];
            const double envelope = lx[static_cast<size_t>(x)] * ly[static_cast<size_t>(y)];
            c = zero > 0 && envelope > 0.05 ? static_cast<float>(c / (zero * envelope)) : 0.0f;
        }
    }
}

}  // namespace

float LineWindow::correlationAt(int dx, int dy) const {
    const int x = ((dx % width) + width) % width;
    const int y = ((dy % height) + height) % height;
    return correlation.get()[static_cast<size_t>(y) * static_cast<size_t>(correlationStride) +
                             static_cast<size_t>(x)];
}

LineWindow lineWindow(const MapDarkness& map) {
    return lineWindow(map, factorFor(map));
}

LineWindow lineWindow(const MapDarkness& map, int factor) {
    LineWindow window;
    window.factor = factor;
    const int f = window.factor;
    window.width = windowSide(map.width() / f);
    window.height = windowSide(map.height() / f);
    window.corner =
        QPoint((map.width() - window.width * f) / 2, (map.height() - window.height * f) / 2);
    window.lines = map.shrunk(QRect(window.corner, QSize(window.width * f, window.height * f)), f);
    // Lines up to 4 picture pixels wide, thinner than the hexes' insides.
    blackTopHat(window.lines, window.width, window.height, f == 1 ? 3 : 2);
    compress(window.lines);
    correlate(window);
    return window;
}

}  // namespace tessara
