#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "boards/bicubic_resample.h"

using namespace tessara;

// A grey ramp: pixel x is 20 + 8 x grey levels in every row, which Keys' cubic of a = -0.5
// keeps linear; OpenCV's of a = -0.75 weighs (-27, 225, 67, -9) / 256 a quarter of the way,
// 54.375 there, so the same 54.
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

// A smooth picture, a plane in each channel, which Keys' cubic of a = -0.5 keeps exactly: the
// board as the resampler before OpenCV's made it is the plane at the point each pixel comes
// from. OpenCV's a = -0.75 and its thirty-second of a pixel keep within one grey level of it
// where the 4 x 4 pixels round the point are all inside; beyond the half-pixel band the board
// is white, and opaque throughout.
TEST(BicubicResample, KeepsThePixelCentresOfTodaysResamplerMovedAndTurned) {
    const QSize size(40, 30);
    const auto plane = [](QPointF p) {
        return std::array<double, 3>{20 + 3 * p.x() + 2 * p.y(), 180 - 2 * p.x() + 2 * p.y(),
                                     120 + 2 * p.x() - 3 * p.y()};
    };
    QImage smooth(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const auto c = plane(QPointF(x, y));
            smooth.setPixel(x, y, qRgb(int(c[0]), int(c[1]), int(c[2])));
        }
    }
    const QPointF centre(19.5, 14.5);
    const auto turnedAbout = [&](double degrees) {
        return QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform().rotate(degrees) *
               QTransform::fromTranslate(centre.x(), centre.y());
    };
    const struct {
        const char* guards;
        QTransform toSource;
        bool whiteCorners;
    } rows[] = {
        {"moved half a pixel across and a quarter down", QTransform::fromTranslate(0.5, 0.25),
         false},
        {"turned 0.6 degrees, as a crooked scan: its corners in the band", turnedAbout(0.6), false},
        {"turned 30 degrees: white corners cut at a slant", turnedAbout(30), true},
        {"turned -45 degrees and shrunk", turnedAbout(-45) * QTransform::fromScale(1.3, 1.3), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const QImage board = resampleBicubic(smooth, row.toSource, size);
        int inside = 0, white = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb pixel = board.pixel(x, y);
                const QPointF p = row.toSource.map(QPointF(x, y));
                ASSERT_EQ(qAlpha(pixel), 255);
                if (!QRectF(-0.5, -0.5, 40, 30).contains(p)) {
                    ASSERT_EQ(pixel, 0xFFFFFFFF) << x << "," << y;
                    ++white;
                } else if (QRectF(1, 1, 36.9, 26.9).contains(p)) {
                    const auto c = plane(p);
                    ASSERT_LE(std::abs(qRed(pixel) - c[0]), 1) << x << "," << y;
                    ASSERT_LE(std::abs(qGreen(pixel) - c[1]), 1) << x << "," << y;
                    ASSERT_LE(std::abs(qBlue(pixel) - c[2]), 1) << x << "," << y;
                    ++inside;
                }
            }
        }
        EXPECT_GT(inside, 300);
        EXPECT_EQ(white > 0, row.whiteCorners);
    }
}

// A quarter turn sends pixel centres onto pixel centres: every board pixel is one source
// pixel exactly, the wide picture standing up.
TEST(BicubicResample, AQuarterTurnMovesWholePixels) {
    QImage source(7, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 7; ++x) {
            source.setPixel(x, y, qRgb(x * 30, y * 60, (x * 7 + y * 13) % 256));
        }
    }
    // board (x, y) from source (y, 3 - x)
    const QImage board = resampleBicubic(source, QTransform(0, -1, 1, 0, 0, 3), QSize(4, 7));
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(board.pixel(x, y), source.pixel(y, 3 - x)) << x << "," << y;
        }
    }
}

// A picture with an alpha channel gives its colours as they are and an opaque board, as the
// board's file has none: moved by a whole pixel, each pixel its neighbour's colour.
TEST(BicubicResample, GivesAPictureWithAlphaItsColoursOpaque) {
    QImage seeThrough(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            seeThrough.setPixel(x, y, qRgba(40 * x, 50 * y, 200, 60 * x));
        }
    }
    const QImage board = resampleBicubic(seeThrough, QTransform::fromTranslate(1, 0), {5, 3});
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(board.pixel(x, y), x < 4 ? qRgb(40 * (x + 1), 50 * y, 200) : 0xFFFFFFFF)
                << x << "," << y;
        }
    }
}
