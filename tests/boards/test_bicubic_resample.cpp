#include <gtest/gtest.h>

#include "boards/bicubic_resample.h"

using namespace tessara;

// A grey ramp: pixel x is 20 + 8 x grey levels in every row, which Keys' cubic keeps
// linear; its weights (-9/128, 111/128, 29/128, -3/128) a quarter of the way give 54.
TEST(BicubicResample, SamplesWherePointsComeFromAndWhiteOutside) {
    QImage ramp(12, 6, QImage::Format_RGB32);
    for (int x = 0; x < 12; ++x) {
        for (int y = 0; y < 6; ++y) {
            ramp.setPixel(x, y, qRgb(20 + 8 * x, 20 + 8 * x, 20 + 8 * x));
        }
    }
    EXPECT_EQ(resampleBicubic(ramp, QTransform(), ramp.size()), ramp) << "untouched";
    struct Row {
        const char* guards;
        QTransform toSource;
        QPoint pixel;
        int grey;
    } const rows[] = {
        {"moved by three pixels", QTransform::fromTranslate(3, 0), {2, 2}, 60},
        {"half way between two", QTransform::fromTranslate(0.5, 0), {4, 2}, 56},
        {"a quarter of the way", QTransform::fromTranslate(0.25, 0), {4, 2}, 54},
        {"half a pixel above the first row", QTransform::fromTranslate(0, -0.5), {3, 0}, 44},
        {"a hair further: white", QTransform::fromTranslate(0, -0.51), {3, 0}, 255},
        {"half a pixel past the last row", QTransform::fromTranslate(0, 0.5), {3, 5}, 44},
        {"a hair past the last column: white", QTransform::fromTranslate(0.51, 0), {11, 2}, 255},
        {"scaled by two: pixel 6 from 3", QTransform::fromScale(0.5, 0.5), {6, 2}, 44},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(qGray(resampleBicubic(ramp, row.toSource, ramp.size()).pixel(row.pixel)),
                  row.grey)
            << row.guards;
    }
}
