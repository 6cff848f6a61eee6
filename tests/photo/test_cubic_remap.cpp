#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QImage>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "photo/cubic_remap.h"

using namespace tessara;

namespace {

// Grain and sharp edges, so that a wrong tap or weight shows.
QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool line = x % 9 == 0 || y % 7 == 0;
            image.setPixel(x, y, line ? qRgb(20, 20, 30) : qRgb(byte(random), 200, x * 3 & 0xff));
        }
    }
    return image;
}

int channelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

}  // namespace

// Against OpenCV's own cubic remap with a white border, at points all over the picture, at
// its edges and beyond them. The points are on thirty-seconds of a pixel, where OpenCV puts
// every point, so that only its weights' rounding to integers may differ.
TEST(RemapCubic, AgreesWithOpenCvsCubicRemap) {
    const QImage source = picture(40, 30);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> across(-5, 45), down(-5, 35);
    std::vector<float> xs, ys;
    for (int k = 0; k < 20000; ++k) {
        xs.push_back(std::round(across(random) * 32) / 32);
        ys.push_back(std::round(down(random) * 32) / 32);
    }
    const auto count = static_cast<int>(xs.size());
    std::vector<QRgb> ours(xs.size());
    remapCubic(source, xs.data(), ys.data(), nullptr, count, ours.data());

    const cv::Mat from(source.height(), source.width(), CV_8UC4,
                       const_cast<uchar*>(source.constBits()),
                       static_cast<size_t>(source.bytesPerLine()));
    const cv::Mat mapX(1, count, CV_32FC1, xs.data()), mapY(1, count, CV_32FC1, ys.data());
    cv::Mat theirs;
    cv::remap(from, theirs, mapX, mapY, cv::INTER_CUBIC, cv::BORDER_CONSTANT,
              cv::Scalar(255, 255, 255, 255));
    int worst = 0;
    double sum = 0;
    for (int k = 0; k < count; ++k) {
        const int d = channelDifference(ours[static_cast<size_t>(k)], theirs.at<QRgb>(0, k));
        worst = std::max(worst, d);
        sum += d;
    }
    EXPECT_LE(worst, 1);
    EXPECT_LT(sum / count, 0.02);
}

// At a pixel's centre the pixel itself; from three pixels beyond the picture on, or where
// there is no point, white; and only the points wanted are written.
TEST(RemapCubic, KeepsPixelsAndWhiteAndWhatIsNotWanted) {
    const QImage source = picture(12, 10);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float x, y;
        bool wanted;
        QRgb expected;
    } points[] = {
        {3, 4, true, source.pixel(3, 4)},
        {0, 0, true, source.pixel(0, 0)},    // its taps before the edge are white, weighed 0
        {11, 9, true, source.pixel(11, 9)},  // the last pixel
        {-3, 4, true, 0xffffffff},           // no tap left in the picture
        {14, 4, true, 0xffffffff},
        {5, 12, true, 0xffffffff},
        {nan, 4, true, 0xffffffff},
        {5, nan, true, 0xffffffff},
        {5.5F, 4.5F, false, 0x12345678},  // left as it was
    };
    std::vector<float> xs, ys;
    std::vector<uchar> wanted;
    for (const auto& p : points) {
        xs.push_back(p.x);
        ys.push_back(p.y);
        wanted.push_back(p.wanted ? 1 : 0);
    }
    std::vector<QRgb> out(xs.size(), 0x12345678);
    remapCubic(source, xs.data(), ys.data(), wanted.data(), static_cast<int>(xs.size()),
               out.data());
    for (size_t k = 0; k < std::size(points); ++k) {
        EXPECT_EQ(out[k], points[k].expected) << "point " << k;
    }
}
