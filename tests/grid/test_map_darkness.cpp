#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "grid/map_darkness.h"

using namespace tessara;

namespace {

// Two by two pixels: black, white / mid grey, pure red.
QImage fourPixels(QImage::Format format) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(255, 255, 255));
    image.setPixel(0, 1, qRgb(128, 128, 128));
    image.setPixel(1, 1, qRgb(255, 0, 0));
    return image.convertToFormat(format);
}

// The same in grey, pure red as its luminance 76.
QImage fourGreys() {
    QImage image(2, 2, QImage::Format_Grayscale8);
    image.scanLine(0)[0] = 0;
    image.scanLine(0)[1] = 255;
    image.scanLine(1)[0] = 128;
    image.scanLine(1)[1] = 76;
    return image;
}

}  // namespace

// Pure red is 255 less its luminance, 77 * 255 / 256 = 76: 179 dark, whatever the format.
TEST(MapDarkness, ReadsPixelCentresAndBetweenThemInEveryFormat) {
    const struct Row {
        const char* guards;
        QImage picture;
    } rows[] = {
        {"32-bit, read in place", fourPixels(QImage::Format_RGB32)},
        {"32-bit with alpha, read in place", fourPixels(QImage::Format_ARGB32)},
        {"24-bit, through a grey copy", fourPixels(QImage::Format_RGB888)},
        {"a palette, through a grey copy", fourPixels(QImage::Format_Indexed8)},
        {"grey, read in place", fourGreys()},
    };
    for (const Row& row : rows) {
        const MapDarkness map(row.picture);
        ASSERT_EQ(map.width(), 2) << row.guards;
        EXPECT_EQ(map.at(0, 0), 255) << row.guards;
        EXPECT_EQ(map.at(1, 0), 0) << row.guards;
        EXPECT_EQ(map.at(0, 1), 127) << row.guards;
        EXPECT_EQ(map.at(1, 1), 179) << row.guards;
        // Bilinear between the centres: half way along the top row, the middle of all four,
        // a quarter of the way along the bottom row.
        EXPECT_FLOAT_EQ(map.at(0.5, 0), 127.5) << row.guards;
        EXPECT_FLOAT_EQ(map.at(0.5, 0.5), (255 + 0 + 127 + 179) / 4.0f) << row.guards;
        EXPECT_FLOAT_EQ(map.at(0.25, 1), 127 + 0.25f * (179 - 127)) << row.guards;
    }
}

TEST(MapDarkness, HoldsPointsWithinTheMarginOfTheOutermostCentres) {
    QImage image(100, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    const MapDarkness map(image);
    const struct Row {
        const char* guards;
        QPointF point;
        bool held;
    } rows[] = {
        {"the first centre in", {3, 3}, true},  {"a hair short of it", {2.999, 3}, false},
        {"the last centre in", {96, 46}, true}, {"a hair past it", {96, 46.001}, false},
        {"the middle", {50, 25}, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(map.holds(row.point, 3), row.held) << row.guards;
    }
}

TEST(MapDarkness, ShrinksAnAreaToTheRoundedMeansOfItsBlocks) {
    QImage image(6, 5, QImage::Format_Grayscale8);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            image.scanLine(y)[x] = static_cast<uchar>(255 - (10 * x + y));  // darkness 10 x + y
        }
    }
    const MapDarkness map(image);
    // From (1, 1), whole 2 x 2 blocks only: columns 1-2, 3-4 of rows 1-2, 3-4.
    const std::vector<std::uint8_t> shrunk = map.shrunk(QRect(1, 1, 5, 4), 2);
    const std::vector<std::uint8_t> means = {17, 37, 19, 39};  // 16.5, 36.5 and 18.5, 38.5 up
    EXPECT_EQ(shrunk, means);
    EXPECT_EQ(map.shrunk(QRect(0, 0, 6, 5), 1).size(), 30u);
}
