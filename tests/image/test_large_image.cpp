#include <gtest/gtest.h>

#include "image/large_image.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

TEST(LargeImage, ACopyHasTheSourcesPixelsInThirtyTwoBits) {
    struct Row {
        const char* guards;
        QImage source;
    } const rows[] = {
        {"a small colour picture", makeMap(40, 30)},
        {"a picture over the huge-page size", makeMap(2100, 1100)},
        {"a grey picture", makeMap(300, 200).convertToFormat(QImage::Format_Grayscale8)},
        {"a picture with odd padding", makeMap(2101, 1001).convertToFormat(QImage::Format_RGB888)},
    };
    for (const auto& row : rows) {
        const QImage copy = largeCopy(row.source);
        ASSERT_EQ(copy.format(), QImage::Format_RGB32) << row.guards;
        EXPECT_EQ(copy, row.source.convertToFormat(QImage::Format_RGB32)) << row.guards;
        EXPECT_NE(copy.constBits(), row.source.constBits()) << row.guards;
    }
}

TEST(LargeImage, ALargeImageIsAnOrdinaryImageThatCanBeSharedAndWritten) {
    QImage image = largeImage(2100, 1100);
    ASSERT_FALSE(image.isNull());
    image.fill(Qt::white);
    const QImage shared = image;  // a picture handed out from it
    image.setPixel(5, 5, qRgb(128, 0, 0));
    EXPECT_EQ(shared.pixel(5, 5), qRgb(255, 255, 255)) << "writing detaches";
    EXPECT_EQ(image.pixel(5, 5), qRgb(128, 0, 0));
    EXPECT_TRUE(largeImage(0, 10).isNull());
}
