#include <gtest/gtest.h>

#include <QImage>

#include "boards/bicubic_resample.h"

using namespace tessara;

namespace {

// A grey ramp along x: pixel x is 8 x + 20 grey levels, the same in every row.
QImage ramp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int grey = 20 + 8 * x;
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    return image;
}

}  // namespace

TEST(BicubicResample, WeightsAreKeysCubicAndAddUpToOne) {
    struct Row {
        const char* guards;
        double t;
        double w[4];
    } const rows[] = {
        {"on a pixel: that pixel alone", 0, {0, 1, 0, 0}},
        {"half way: 9/16 of each neighbour, -1/16 of the next ones",
         0.5,
         {-0.0625, 0.5625, 0.5625, -0.0625}},
        {"a quarter of the way", 0.25, {-0.0703125, 0.8671875, 0.2265625, -0.0234375}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const CubicWeights weights = cubicWeights(row.t);
        double sum = 0;
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(weights.w[k], row.w[k], 1e-12) << k;
            sum += weights.w[k];
        }
        EXPECT_NEAR(sum, 1, 1e-12);
    }
}

TEST(BicubicResample, SamplesWherePointsComeFromAndWhiteOutside) {
    const QImage source = ramp(12, 6);
    struct Row {
        const char* guards;
        QTransform toSource;
        QPoint pixel;
        int grey;
    } const rows[] = {
        {"the same place: the same pixel", QTransform(), {5, 2}, 60},
        {"moved by three pixels", QTransform::fromTranslate(3, 0), {2, 2}, 60},
        {"half way between two pixels: the ramp's own value",
         QTransform::fromTranslate(0.5, 0),
         {4, 2},
         56},
        {"a quarter of the way", QTransform::fromTranslate(0.25, 0), {4, 2}, 54},
        {"half a pixel above the first row is still the picture",
         QTransform::fromTranslate(0, -0.5),
         {3, 0},
         44},
        {"a hair further is outside: white", QTransform::fromTranslate(0, -0.51), {3, 0}, 255},
        {"half a pixel past the last row is still the picture",
         QTransform::fromTranslate(0, 0.5),
         {3, 5},
         44},
        {"a hair past it is white", QTransform::fromTranslate(0, 0.51), {3, 5}, 255},
        {"a hair past the last column is white", QTransform::fromTranslate(0.51, 0), {11, 2}, 255},
        {"scaled by two: pixel 6 comes from 3", QTransform::fromScale(0.5, 0.5), {6, 2}, 44},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const QImage board = resampleBicubic(source, row.toSource, QSize(12, 6));
        ASSERT_EQ(board.format(), QImage::Format_RGB32);
        EXPECT_EQ(qGray(board.pixel(row.pixel)), row.grey);
    }
}

TEST(BicubicResample, KeepsEveryPixelOfAnUntouchedPicture) {
    QImage source(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            source.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x * y) % 256));
        }
    }
    EXPECT_EQ(resampleBicubic(source, QTransform(), source.size()), source);
}
