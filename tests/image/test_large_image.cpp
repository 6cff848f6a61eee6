#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

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

TEST(LargeImage, FreeHugePagesCountTheBlocksOfOrderNineAndAbove) {
    struct Row {
        const char* guards;
        const char* buddyinfo;
        qint64 hugePages;
    } const rows[] = {
        {"three zones, orders 9 and 10",
         "Node 0, zone      DMA      0      0      0      0      0      0      0      0      1  "
         "    1      3 \n"
         "Node 0, zone    DMA32      2      3      4      2      2      3      3      1      1  "
         "    2    753 \n"
         "Node 0, zone   Normal  18417  28084  12690   6742   1864    998    457    247     96  "
         "   22     59 \n",
         (1 + 3 * 2) + (2 + 753 * 2) + (22 + 59 * 2)},
        {"order 8 is half a huge page: none", "Node 0, zone Normal 9 9 9 9 9 9 9 9 1000 0 0\n", 0},
        {"a single order-9 block", "Node 0, zone Normal 0 0 0 0 0 0 0 0 0 1 0\n", 1},
        {"a kernel with orders up to 12", "Node 1, zone Normal 0 0 0 0 0 0 0 0 0 1 1 1 1\n",
         1 + 2 + 4 + 8},
        {"nothing to read", "", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(freeHugePages(row.buddyinfo), row.hugePages) << row.guards;
    }
}

// While a reuse lives, a large image freed lends its memory, pixels and all, to the next of
// about its size; memory that is not lent is fresh, every byte 0.
TEST(LargeImage, AReusedImageIsTheMemoryOfTheOneFreedBefore) {
    const struct {
        const char* what;
        bool reusing;
        int height;  // of the second, the first 2000 x 1500
        bool lent;
    } cases[] = {
        {"no reuse", false, 1500, false},
        {"the same size", true, 1500, true},
        {"rows fewer, within an eighth", true, 1340, true},
        {"more than an eighth fewer", true, 1300, false},
        {"a row more", true, 1501, false},
    };
    for (const auto& c : cases) {
        std::optional<LargeImageReuse> reuse;
        if (c.reusing) {
            reuse.emplace();
        }
        {
            QImage first = largeImage(2000, 1500);
            first.fill(qRgb(10, 20, 30));
        }
        const QImage second = largeImage(2000, c.height);
        ASSERT_FALSE(second.isNull()) << c.what;
        EXPECT_EQ(second.pixel(1999, c.height - 1) == qRgb(10, 20, 30), c.lent) << c.what;
        if (!c.lent) {
            const uchar* bytes = second.constBits();
            EXPECT_TRUE(std::all_of(bytes, bytes + 16, [](uchar b) { return b == 0; })) << c.what;
        }
    }
}
