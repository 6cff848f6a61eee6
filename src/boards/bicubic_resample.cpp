#include "boards/bicubic_resample.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace tessara {
namespace {

constexpr double kA = -0.5;

// Keys' kernel on |x| < 1 and 1 <= |x| < 2.
double nearKernel(double x) {
    return ((kA + 2) * x - (kA + 3)) * x * x + 1;
}

double farKernel(double x) {
    return ((kA * x - 5 * kA) * x + 8 * kA) * x - 4 * kA;
}

int clampChannel(double value) {
    return static_cast<int>(std::clamp(std::lround(value), 0L, 255L));
}

class Sampler {
  public:
    explicit Sampler(const QImage& source) : source_(source) {}

    QRgb at(double x, double y) const {
        const int w = source_.width();
        const int h = source_.height();
        if (x < -0.5 || y < -0.5 || x > w - 0.5 || y > h - 0.5) {
            return qRgb(255, 255, 255);
        }
        const double fx = std::floor(x);
        const double fy = std::floor(y);
        const CubicWeights wx = cubicWeights(x - fx);
        const CubicWeights wy = cubicWeights(y - fy);
        int columns[4];
        for (int k = 0; k < 4; ++k) {
            columns[k] = std::clamp(static_cast<int>(fx) - 1 + k, 0, w - 1);
        }
        double r = 0, g = 0, b = 0;
        for (int j = 0; j < 4; ++j) {
            const int row = std::clamp(static_cast<int>(fy) - 1 + j, 0, h - 1);
            const auto* line = reinterpret_cast<const QRgb*>(source_.constScanLine(row));
            double rr = 0, gg = 0, bb = 0;
            for (int k = 0; k < 4; ++k) {
                const QRgb pixel = line[columns[k]];
                rr += wx.w[k] * qRed(pixel);
                gg += wx.w[k] * qGreen(pixel);
                bb += wx.w[k] * qBlue(pixel);
            }
            r += wy.w[j] * rr;
            g += wy.w[j] * gg;
            b += wy.w[j] * bb;
        }
        return qRgb(clampChannel(r), clampChannel(g), clampChannel(b));
    }

  private:
    const QImage& source_;
};

void resampleRows(const Sampler& sampler, const QTransform& toSource, QImage& target, int first,
                  int last) {
    for (int y = first; y < last; ++y) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            const QPointF from = toSource.map(QPointF(x, y));
            line[x] = sampler.at(from.x(), from.y());
        }
    }
}

}  // namespace

CubicWeights cubicWeights(double t) {
    return {{farKernel(1 + t), nearKernel(t), nearKernel(1 - t), farKernel(2 - t)}};
}

QImage resampleBicubic(const QImage& picture, const QTransform& toSource, QSize size) {
    const QImage source =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    QImage target(size, QImage::Format_RGB32);
    if (source.isNull() || target.isNull()) {
        return {};
    }
    const Sampler sampler(source);
    // Bands of rows on every core: each pixel depends on the source alone.
    const int bands = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
    const int rows = size.height();
    std::vector<std::thread> workers;
    for (int band = 1; band < bands; ++band) {
        workers.emplace_back(resampleRows, std::cref(sampler), std::cref(toSource),
                             std::ref(target), rows * band / bands, rows * (band + 1) / bands);
    }
    resampleRows(sampler, toSource, target, 0, rows / bands);
    for (std::thread& worker : workers) {
        worker.join();
    }
    return target;
}

}  // namespace tessara
