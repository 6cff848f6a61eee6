#include "boards/bicubic_resample.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <stdexcept>
#include <utility>

namespace tessara {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// OpenCV's view of a picture's own pixels, B G R A in memory as Qt keeps 32-bit colour on
// a little-endian machine: no copy either way.
cv::Mat pixelsOf(const QImage& picture, uchar* bits) {
    return cv::Mat(picture.height(), picture.width(), CV_8UC4, bits,
                   static_cast<size_t>(picture.bytesPerLine()));
}

// warpAffine fills a picture already of the size and type it makes in place, from the map of
// the new pixels to the source's, both named by their centres as QTransform's are. It
// carries the edge pixels on outwards, as the half-pixel band round the source wants.
void warp(const QImage& source, const QTransform& toSource, QImage& target) {
    const cv::Matx23d toFrom(toSource.m11(), toSource.m21(), toSource.dx(), toSource.m12(),
                             toSource.m22(), toSource.dy());
    cv::Mat into = pixelsOf(target, target.bits());
    cv::warpAffine(pixelsOf(source, const_cast<uchar*>(source.constBits())), into, toFrom,
                   into.size(), cv::INTER_CUBIC | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
}

// OpenCV's threads start with its first parallel loop, and a system that refuses them
// (too many processes, no address space for their stacks) says so by an exception from
// that loop (std::runtime_error from the thread library, std::system_error from the C++
// one): the same work then runs on the calling thread alone.
void warpOnEveryCoreOrOne(const QImage& source, const QTransform& toSource, QImage& target) {
    try {
        warp(source, toSource, target);
        return;
    } catch (const std::runtime_error&) {
    }
    const int threads = cv::getNumThreads();
    cv::setNumThreads(1);
    try {
        warp(source, toSource, target);
    } catch (...) {
        cv::setNumThreads(threads);
        throw;
    }
    cv::setNumThreads(threads);
}

// Whether the point a board pixel comes from lies more than half a pixel outside the source.
class Outside {
  public:
    Outside(const QTransform& toSource, QSize source) : toSource_(toSource), size_(source) {}

    bool operator()(int x, int y) const {
        const QPointF p = toSource_.map(QPointF(x, y));
        return p.x() < -0.5 || p.y() < -0.5 || p.x() > size_.width() - 0.5 ||
               p.y() > size_.height() - 0.5;
    }

    // The first and one past the last pixel of row y inside, of a row `width` long. Along a
    // row the point moves on a straight line, so the inside is one run: found in closed form,
    // then its ends settled by the test itself, so that they agree with it to the last bit.
    std::pair<int, int> insideRun(int y, int width) const {
        double low = 0, high = width - 1;
        const QPointF start = toSource_.map(QPointF(0, y));
        const QPointF step = toSource_.map(QPointF(1, y)) - start;
        clip(start.x(), step.x(), size_.width(), low, high);
        clip(start.y(), step.y(), size_.height(), low, high);
        if (!(low <= high)) {
            return {0, 0};
        }
        int first = std::clamp(static_cast<int>(std::ceil(low)), 0, width);
        int end = std::clamp(static_cast<int>(std::floor(high)) + 1, first, width);
        while (first < end && (*this)(first, y)) {
            ++first;
        }
        while (first > 0 && !(*this)(first - 1, y)) {
            --first;
        }
        while (end > first && (*this)(end - 1, y)) {
            --end;
        }
        while (end < width && end > first && !(*this)(end, y)) {
            ++end;
        }
        return {first, end};
    }

  private:
    // Narrows [low, high] to the x where start + x step lies within [-0.5, extent - 0.5].
    static void clip(double start, double step, int extent, double& low, double& high) {
        if (step == 0) {
            if (start < -0.5 || start > extent - 0.5) {
                low = 1;
                high = 0;
            }
            return;
        }
        const double a = (-0.5 - start) / step;
        const double b = (extent - 0.5 - start) / step;
        low = std::max(low, std::min(a, b));
        high = std::min(high, std::max(a, b));
    }

    const QTransform& toSource_;
    QSize size_;
};

// White beyond the half-pixel band round the source, where warpAffine carried the edge on;
// inside, opaque whatever the source's own alpha was.
void whitenOutside(const QTransform& toSource, QSize source, bool opaque, QImage& target) {
    const Outside outside(toSource, source);
    const int width = target.width();
    for (int y = 0; y < target.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto [first, end] = outside.insideRun(y, width);
        std::fill(line, line + first, kWhite);
        std::fill(line + end, line + width, kWhite);
        if (!opaque) {
            std::for_each(line + first, line + end, [](QRgb& pixel) { pixel |= 0xFF000000u; });
        }
    }
}

}  // namespace

QImage resampleBicubic(const QImage& picture, const QTransform& toSource, QSize size) {
    const QImage source =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    QImage target(size, QImage::Format_RGB32);
    if (source.isNull() || target.isNull()) {
        return {};
    }
    try {
        warpOnEveryCoreOrOne(source, toSource, target);
    } catch (const cv::Exception& error) {
        if (error.code != cv::Error::StsNoMem) {
            throw;
        }
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
    whitenOutside(toSource, source.size(), source.format() == QImage::Format_RGB32, target);
    return target;
}

}  // namespace tessara
