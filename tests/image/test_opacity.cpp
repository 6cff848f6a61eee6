#include <gtest/gtest.h>

#include "image/opacity.h"

using namespace tessara;

TEST(BlendOver, EachChannelIsTheShareOfTheColourAndTheRestOfThePixelRoundedHalfUp) {
    struct Row {
        const char* guards;
        QRgb colour, under;
        int percent;
        QRgb expected;
    } const rows[] = {
        {"red at half over white", qRgb(128, 0, 0), qRgb(255, 255, 255), 50, qRgb(192, 128, 128)},
        {"the faintest grid", qRgb(128, 0, 0), qRgb(255, 255, 255), 10, qRgb(242, 230, 230)},
        {"opaque is the colour", qRgb(90, 60, 30), qRgb(1, 2, 3), 100, qRgb(90, 60, 30)},
        {"nothing of it is the pixel", qRgb(90, 60, 30), qRgb(1, 2, 3), 0, qRgb(1, 2, 3)},
        {"halves round up", qRgb(1, 3, 0), qRgb(0, 0, 1), 50, qRgb(1, 2, 1)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(blendOver(row.colour, row.under, row.percent), row.expected) << row.guards;
    }
}

TEST(FadePremultiplied, EveryChannelAlphaIncludedTakesTheShare) {
    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(0));  // as stored, premultiplied
    pixels[0] = qRgba(128, 64, 1, 255);
    pixels[1] = qRgba(0, 0, 0, 0);
    fadePremultiplied(image, 50);
    EXPECT_EQ(pixels[0], qRgba(64, 32, 1, 128));
    EXPECT_EQ(pixels[1], qRgba(0, 0, 0, 0)) << "clear stays clear";
}
