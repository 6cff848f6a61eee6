#include <gtest/gtest.h>

#include <QSet>
#include <cmath>
#include <limits>
#include <random>

#include "image/line_raster.h"

using namespace tessara;

namespace {

constexpr QRgb kPaper = 0xffffffffU;
constexpr QRgb kInk = 0xff800000U;  // 128, 0, 0

QImage paper(int width = 100, int height = 100) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

QImage drawn(QPointF from, QPointF to, int width, QImage image = paper()) {
    LineRaster raster;
    raster.draw(image, from, to, {kInk, width});
    return image;
}

int inkInRow(const QImage& image, int row) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x) {
        n += image.pixel(x, row) == kInk ? 1 : 0;
    }
    return n;
}

int inkInColumn(const QImage& image, int column) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        n += image.pixel(column, y) == kInk ? 1 : 0;
    }
    return n;
}

int inkPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        n += inkInRow(image, y);
    }
    return n;
}

}  // namespace

TEST(LineRaster, ALineOverWholeCoordinatesIsExactlyAsWideAsThePen) {
    for (const int width : {1, 2, 3, 5, 10, 15, 20}) {
        const QImage across = drawn({10, 50}, {90, 50}, width);
        EXPECT_EQ(inkInColumn(across, 50), width) << "horizontal, width " << width;
        EXPECT_EQ(across.pixel(50, 50), kInk) << "width " << width;
        const QImage down = drawn({50, 10}, {50, 90}, width);
        EXPECT_EQ(inkInRow(down, 50), width) << "vertical, width " << width;
    }
}

TEST(LineRaster, AOnePixelLineHasOnePixelPerStepAlongItsLongerAxis) {
    const QImage shallow = drawn({0, 0}, {20, 10}, 1);
    EXPECT_EQ(inkPixels(shallow), 21);
    const QImage steep = drawn({5, 2}, {9, 40}, 1);
    EXPECT_EQ(inkPixels(steep), 39);
    EXPECT_EQ(steep.pixel(5, 2), kInk);
    EXPECT_EQ(steep.pixel(9, 40), kInk) << "both ends are drawn";
}

TEST(LineRaster, WideLinesMeetingAtAnAngleCloseTheirCorner) {
    QImage image = paper();
    LineRaster raster;
    raster.draw(image, {20, 50}, {50, 50}, {kInk, 10});
    raster.draw(image, {50, 50}, {50, 20}, {kInk, 10});
    // (53, 53) lies outside both bands; only a round end at (50, 50) covers it.
    EXPECT_EQ(image.pixel(53, 53), kInk);
    EXPECT_EQ(image.pixel(55, 55), kPaper) << "the corner is round, not square";
}

TEST(LineRaster, EveryPixelHasExactlyThePensColour) {
    QImage image = paper(200, 200);
    LineRaster raster;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-20, 220);
    for (int i = 0; i < 300; ++i) {
        raster.draw(image, {coordinate(random), coordinate(random)},
                    {coordinate(random), coordinate(random)}, {kInk, 1 + i % 12});
    }
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_EQ(colours, (QSet<QRgb>{kPaper, kInk})) << "no antialiased shades";
}

TEST(LineRaster, WhatFallsOutsideThePictureIsClipped) {
    constexpr double kHuge = 1e30;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* guards;
        QPointF from, to;
        int width;
        int expectedInk;
    } const rows[] = {
        {"wholly left of the picture", {-50, 10}, {-10, 90}, 20, 0},
        {"wholly below it", {10, 130}, {90, 180}, 3, 0},
        {"through it from far away", {-kHuge, 50}, {kHuge, 50}, 3, 300},
        {"a thin line through it from far away", {50, -kHuge}, {50, kHuge}, 1, 100},
        {"a long thin line ending inside", {-100000, 40}, {40, 40}, 1, 41},
        {"a point that is not a number", {kNaN, 10}, {50, 50}, 3, 0},
        {"an infinite end", {10, 10}, {std::numeric_limits<double>::infinity(), 10}, 3, 0},
        {"crossing a corner", {-10, 20}, {30, -20}, 1, 11},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(inkPixels(drawn(row.from, row.to, row.width)), row.expectedInk) << row.guards;
    }
}

TEST(LineRaster, ARememberedShapeGivesTheSamePixelsAsOneWorkedOutAfresh) {
    // Many short lines at few distinct shapes and positions, so that remembered shapes are
    // reused, replaced and collide, against a raster that forgets after every line.
    QImage remembered = paper(300, 300);
    QImage fresh = paper(300, 300);
    LineRaster raster;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> whole(-10, 310);
    std::uniform_int_distribution<int> shape(0, 40);
    const double fractions[] = {0, 0.25, 0.5, 0.57735, 0.86603, 0.999};
    for (int i = 0; i < 20000; ++i) {
        const double fx = fractions[shape(random) % 6];
        const double fy = fractions[shape(random) % 6];
        const QPointF from(whole(random) + fx, whole(random) + fy);
        const QPointF to = from + QPointF(shape(random) - 20 + fy, shape(random) - 20 + fx);
        const RasterPen pen{i % 2 == 0 ? kInk : 0xff000080U, 1 + shape(random) % 6};
        raster.draw(remembered, from, to, pen);
        LineRaster once;
        once.draw(fresh, from, to, pen);
        if (i % 1000 == 999) {
            ASSERT_EQ(remembered, fresh) << "after " << i + 1 << " lines";
        }
    }
    EXPECT_EQ(remembered, fresh);
}

TEST(LineRaster, OnlyDrawsOnThirtyTwoBitPictures) {
    QImage grey(10, 10, QImage::Format_Grayscale8);
    grey.fill(255);
    LineRaster raster;
    raster.draw(grey, {0, 5}, {9, 5}, {kInk, 1});
    EXPECT_EQ(grey.pixel(5, 5), qRgb(255, 255, 255));
}
