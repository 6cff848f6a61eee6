#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include "image/bmp_writer.h"
#include "image/picture.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QByteArray bmpOf(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeBmp(image, buffer));
    return buffer.data();
}

quint32 u32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 u16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

QImage readBack(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    return reader.read();
}

}  // namespace

TEST(WriteBmp, ColourPicturesAreTwentyFourBitRowsBottomUpPaddedToFourBytes) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(4, 5, 6));
    image.setPixel(2, 0, qRgb(7, 8, 9));
    image.setPixel(0, 1, qRgb(10, 11, 12));
    image.setPixel(1, 1, qRgb(13, 14, 15));
    image.setPixel(2, 1, qRgb(16, 17, 18));
    const QByteArray b = bmpOf(image);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(b, 2), 54U + 2 * 12) << "file size: headers and two rows of 9 bytes padded to 12";
    EXPECT_EQ(u32(b, 10), 54U) << "pixel data offset";
    EXPECT_EQ(u32(b, 14), 40U) << "information header size";
    EXPECT_EQ(u32(b, 18), 3U);
    EXPECT_EQ(u32(b, 22), 2U) << "positive height: rows bottom-up";
    EXPECT_EQ(u16(b, 28), 24);
    EXPECT_EQ(u32(b, 30), 0U) << "uncompressed";
    EXPECT_EQ(b.size(), 78);
    // The bottom row comes first, blue-green-red, then three bytes of padding.
    const QByteArray first = b.mid(54, 12);
    EXPECT_EQ(first, QByteArray("\x0c\x0b\x0a\x0f\x0e\x0d\x12\x11\x10\0\0\0", 12));
    EXPECT_EQ(b.mid(66, 3), QByteArray("\x03\x02\x01", 3));
    EXPECT_EQ(bmpFileSize(image), b.size());
}

TEST(WriteBmp, KeepsThePicturesOwnColourDepth) {
    struct Row {
        const char* guards;
        QImage image;
        int bits;
        quint32 paletteEntries;
    };
    QImage indexed = makeMap(17, 5).convertToFormat(QImage::Format_Indexed8);
    QImage mono = makeMap(17, 5).convertToFormat(QImage::Format_Mono);
    const Row rows[] = {
        {"a 32-bit picture", makeMap(17, 5), 24, 0},
        {"an indexed picture", indexed, 8, static_cast<quint32>(indexed.colorCount())},
        {"a grey picture", makeMap(17, 5).convertToFormat(QImage::Format_Grayscale8), 8, 256},
        {"a black and white picture", mono, 1, 2},
    };
    for (const auto& row : rows) {
        const QByteArray b = bmpOf(row.image);
        EXPECT_EQ(u16(b, 28), row.bits) << row.guards;
        EXPECT_EQ(u32(b, 46), row.paletteEntries) << row.guards;
        EXPECT_EQ(b.size(), bmpFileSize(row.image)) << row.guards;
        const QImage back = readBack(b);
        ASSERT_FALSE(back.isNull()) << row.guards;
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32),
                  row.image.convertToFormat(QImage::Format_RGB32))
            << row.guards << ": every pixel survives";
    }
}

// Every padding, and every way a row splits into groups of four pixels and a remainder.
TEST(WriteBmp, WidthsOfEveryPaddingSurviveARoundTrip) {
    for (int width = 1; width <= 21; ++width) {
        const QImage image = makeMap(width, 3);
        const QByteArray bytes = bmpOf(image);
        EXPECT_EQ(readBack(bytes), image) << "width " << width;
        const qsizetype stride = (width * 3 + 3) / 4 * 4;
        for (qsizetype pad = width * 3; pad < stride; ++pad) {
            EXPECT_EQ(bytes.at(54 + pad), '\0') << "width " << width << ": row padding is zero";
        }
    }
}

TEST(WriteBmp, RefusesANullImage) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writeBmp(QImage(), buffer));
}

TEST(SavePicture, WritesABitmapWhateverTheName) {
    ScratchDir dir;
    const Picture picture(makeMap(64, 48));
    SavePicture(picture, dir.path("looks-like.png"));
    const QByteArray b = readBytes(dir.path("looks-like.png"));
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(readBack(b), picture.image());
}

TEST(SavePicture, FailsWithoutAPictureOrAWritablePlace) {
    ScratchDir dir;
    EXPECT_THROW(SavePicture(Picture(), dir.path("none.bmp")), PictureError);
    EXPECT_FALSE(QFile::exists(dir.path("none.bmp")));
    EXPECT_THROW(SavePicture(Picture(makeMap(4, 4)), dir.path("no/such/folder/map.bmp")),
                 PictureError);
}
