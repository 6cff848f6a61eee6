#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <array>

#include "image/bmp_header.h"
#include "image/bmp_reader.h"
#include "image/bmp_writer.h"
#include "image/picture.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// The kinds of uncompressed bitmap the reader takes.
struct Kind {
    const char* guards;
    int bits;
    quint32 headerSize;  // 12, 40, 56, 108 or 124
    bool topDown;
    std::array<quint32, 4> masks;  // all zero: no bit fields
};

void put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

// The pixel value at (x, y) of the test picture in the file's own terms: a palette index,
// or the raw 16- or 32-bit word, or three bytes of blue, green and red.
quint32 rawPixel(int x, int y, int bits) {
    const auto v = static_cast<quint32>(x * 37 + y * 101 + x * y);
    return bits >= 24 ? v * 2654435761U : bits == 16 ? v * 40503U : v % (1U << bits);
}

// A small bitmap of the given kind, written byte by byte.
QByteArray bitmapOf(const Kind& k, int width, int height) {
    const bool fields = k.masks != std::array<quint32, 4>{};
    const int paletteEntries = k.bits <= 8 ? 1 << k.bits : 0;
    const int entryBytes = k.headerSize == 12 ? 3 : 4;
    const qsizetype masksAfter = fields && k.headerSize == 40 ? 12 : 0;
    const qsizetype offset = 14 + k.headerSize + masksAfter + paletteEntries * entryBytes;
    const qsizetype stride = ((qsizetype{width} * k.bits + 31) / 32) * 4;
    QByteArray b(offset + stride * height, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<quint32>(b.size()));
    put32(b, 10, static_cast<quint32>(offset));
    put32(b, 14, k.headerSize);
    if (k.headerSize == 12) {
        put16(b, 18, static_cast<quint16>(width));
        put16(b, 20, static_cast<quint16>(height));
        put16(b, 22, 1);
        put16(b, 24, static_cast<quint16>(k.bits));
    } else {
        put32(b, 18, static_cast<quint32>(width));
        put32(b, 22, static_cast<quint32>(k.topDown ? -height : height));
        put16(b, 26, 1);
        put16(b, 28, static_cast<quint16>(k.bits));
        put32(b, 30, fields ? 3U : 0U);
        put32(b, 38, 2835);
        put32(b, 42, 3780);
        for (int i = 0; i < (k.headerSize >= 56 ? 4 : 3) && fields; ++i) {
            put32(b, 54 + 4 * i, k.masks[static_cast<size_t>(i)]);
        }
    }
    for (int i = 0; i < paletteEntries; ++i) {
        const qsizetype at = 14 + k.headerSize + i * entryBytes;
        b[at] = static_cast<char>(i * 13);
        b[at + 1] = static_cast<char>(255 - i * 7);
        b[at + 2] = static_cast<char>(i * 29);
    }
    for (int y = 0; y < height; ++y) {
        const int fileRow = k.topDown ? y : height - 1 - y;
        char* row = b.data() + offset + stride * fileRow;
        for (int x = 0; x < width; ++x) {
            const quint32 v = rawPixel(x, y, k.bits);
            const qsizetype bit = qsizetype{x} * k.bits;
            if (k.bits < 8) {
                row[bit / 8] = static_cast<char>(row[bit / 8] | (v << (8 - k.bits - bit % 8)));
            } else {
                for (int i = 0; i < k.bits / 8; ++i) {
                    row[bit / 8 + i] = static_cast<char>(v >> (8 * i));
                }
            }
        }
    }
    return b;
}

QImage readWithOurReader(const QString& path) {
    const QByteArray bytes = readBytes(path);
    const std::optional<BmpHeader> header =
        parseBmpHeader(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
    if (!header) {
        return {};
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    QImage image = readBmpPixels(fd, bytes.size(), *header);
    ::close(fd);
    return image;
}

QImage readWithQt(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "bmp").read();
}

constexpr std::array<quint32, 4> kPlain{};
constexpr std::array<quint32, 4> k565{0xF800, 0x07E0, 0x001F, 0};
constexpr std::array<quint32, 4> k555{0x7C00, 0x03E0, 0x001F, 0};
constexpr std::array<quint32, 4> kBgra{0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
constexpr std::array<quint32, 4> kRgb{0x00FF0000, 0x0000FF00, 0x000000FF, 0};

const Kind kKinds[] = {
    {"1 bit, core header", 1, 12, false, kPlain},
    {"1 bit", 1, 40, false, kPlain},
    {"1 bit, top-down", 1, 40, true, kPlain},
    {"4 bits", 4, 40, false, kPlain},
    {"4 bits, top-down", 4, 40, true, kPlain},
    {"4 bits, core header", 4, 12, false, kPlain},
    {"8 bits", 8, 40, false, kPlain},
    {"8 bits, top-down", 8, 40, true, kPlain},
    {"8 bits, core header", 8, 12, false, kPlain},
    {"16 bits, 5-5-5 without fields", 16, 40, false, kPlain},
    {"16 bits, 5-6-5 fields", 16, 40, false, k565},
    {"16 bits, 5-5-5 fields, top-down", 16, 40, true, k555},
    {"24 bits", 24, 40, false, kPlain},
    {"24 bits, top-down", 24, 40, true, kPlain},
    {"24 bits, core header", 24, 12, false, kPlain},
    {"24 bits, version 4 header", 24, 108, false, kPlain},
    {"24 bits, version 5 header", 24, 124, true, kPlain},
    {"32 bits", 32, 40, false, kPlain},
    {"32 bits, top-down", 32, 40, true, kPlain},
    {"32 bits, plain fields", 32, 40, false, kRgb},
    {"32 bits, fields with alpha, 56-byte header", 32, 56, false, kBgra},
    {"32 bits, fields with alpha, version 5 header", 32, 124, true, kBgra},
};

}  // namespace

TEST(BmpReader, ReadsEveryKindAsQtsDecoderDoes) {
    ScratchDir dir;
    for (const Kind& kind : kKinds) {
        for (const int width : {1, 7, 33}) {  // rows padded by 0 to 3 bytes, odd nibbles
            const QByteArray bytes = bitmapOf(kind, width, 5);
            const QImage ours = readWithOurReader(writeBytes(dir.path("kind.bmp"), bytes));
            // Qt refuses some headers (56 bytes); it reads the same pixels under a later one.
            Kind twin = kind;
            twin.headerSize = 124;
            const QImage qt = readWithQt(bytes).isNull() ? readWithQt(bitmapOf(twin, width, 5))
                                                         : readWithQt(bytes);
            ASSERT_FALSE(qt.isNull()) << kind.guards;
            ASSERT_FALSE(ours.isNull()) << kind.guards;
            EXPECT_EQ(ours.convertToFormat(QImage::Format_ARGB32),
                      qt.convertToFormat(QImage::Format_ARGB32))
                << kind.guards << ", " << width << " pixels wide";
            EXPECT_EQ(ours.dotsPerMeterX(), qt.dotsPerMeterX()) << kind.guards;
            EXPECT_EQ(ours.dotsPerMeterY(), qt.dotsPerMeterY()) << kind.guards;
        }
    }
}

TEST(BmpReader, ReadsBackEverythingOurWriterWrites) {
    ScratchDir dir;
    const QImage colour = makeMap(131, 77);
    const QImage formats[] = {colour, colour.convertToFormat(QImage::Format_Indexed8),
                              colour.convertToFormat(QImage::Format_Grayscale8),
                              colour.convertToFormat(QImage::Format_Mono)};
    for (const QImage& image : formats) {
        QFile file(dir.path("ours.bmp"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(writeBmp(image, file));
        file.close();
        EXPECT_EQ(readWithOurReader(file.fileName()).convertToFormat(QImage::Format_RGB32),
                  image.convertToFormat(QImage::Format_RGB32))
            << image.format();
    }
}

TEST(BmpReader, ReadsIntoTheMemoryItIsGivenWhenItFits) {
    ScratchDir dir;
    const QImage map = makeMap(64, 48);
    const Picture loaded = LoadPicture(writeImage(dir.path("map.bmp"), map, "BMP"));
    QImage target(64, 48, QImage::Format_RGB32);
    target.fill(Qt::black);
    const uchar* memory = target.constBits();
    const Picture read = LoadBitmapInto(dir.path("map.bmp"), std::move(target));
    EXPECT_EQ(read.image().constBits(), memory);
    EXPECT_EQ(read.image(), loaded.image());

    QImage other(10, 10, QImage::Format_RGB32);  // the wrong size: new memory is taken
    const uchar* otherMemory = other.constBits();
    const Picture fresh = LoadBitmapInto(dir.path("map.bmp"), other);
    EXPECT_NE(fresh.image().constBits(), otherMemory);
    EXPECT_EQ(fresh.image(), loaded.image());
}

struct DamagedBitmap {
    const char* guards;
    qsizetype keep;  // bytes of the file kept; -1 keeps them all
    qint32 claimedWidth;
    bool readable;
};

TEST(BmpReader, RefusesBitmapsCutShortAtTheLastByte) {
    ScratchDir dir;
    const Kind kind{"24 bits", 24, 40, false, kPlain};
    const QByteArray whole = bitmapOf(kind, 2000, 1500);  // 9 MB: read in several chunks
    const DamagedBitmap rows[] = {
        {"whole", -1, 2000, true},
        {"one byte short", whole.size() - 1, 2000, false},
        {"half", whole.size() / 2, 2000, false},
        {"headers only", 54, 2000, false},
        {"claims one more pixel a row", -1, 2001, false},
    };
    for (const DamagedBitmap& row : rows) {
        QByteArray bytes = row.keep < 0 ? whole : whole.left(row.keep);
        put32(bytes, 18, static_cast<quint32>(row.claimedWidth));
        const QString path = writeBytes(dir.path("cut.bmp"), bytes);
        if (row.readable) {
            EXPECT_EQ(LoadPicture(path).width(), row.claimedWidth) << row.guards;
        } else {
            try {
                LoadPicture(path);
                ADD_FAILURE() << row.guards << " was read";
            } catch (const PictureError& e) {
                EXPECT_STREQ(e.what(), "The bitmap file is cut short.") << row.guards;
            }
        }
    }
}

TEST(BmpHeader, ReadsTheFieldsOnlyAsFarAsTheBytesHoldThem) {
    const QByteArray core = bitmapOf({"core", 8, 12, false, kPlain}, 5, 3);
    const QByteArray info = bitmapOf({"info", 8, 40, true, kPlain}, 5, 3);
    QByteArray between = info;
    put32(between, 14, 39);  // a header size no bitmap has
    const struct {
        const char* guards;
        QByteArray bytes;
        bool read;
        bool whole;
        int dotsPerMeterX;
    } rows[] = {
        {"the oldest header's sizes and bits", core.left(26), true, false, 0},
        {"the oldest header one byte short", core.left(25), false, false, 0},
        {"a later header up to its compression", info.left(34), true, false, 0},
        {"a later header one byte short of its compression", info.left(33), false, false, 0},
        {"a later header one byte short of its 40", info.left(53), true, false, 0},
        {"a later header's 40 bytes", info.left(54), true, true, 2835},
        {"a header size between the oldest and the later ones", between, false, false, 0},
        {"no BM", QByteArray("BN") + info.mid(2), false, false, 0},
    };
    for (const auto& row : rows) {
        const std::optional<BmpFields> f =
            readBmpFields(reinterpret_cast<const uchar*>(row.bytes.constData()), row.bytes.size());
        ASSERT_EQ(f.has_value(), row.read) << row.guards;
        if (f) {
            EXPECT_EQ(f->width, 5) << row.guards;
            EXPECT_EQ(f->height, f->headerSize == 12 ? 3 : -3) << row.guards;
            EXPECT_EQ(f->bits, 8) << row.guards;
            EXPECT_EQ(f->wholeInfoHeader, row.whole) << row.guards;
            EXPECT_EQ(f->dotsPerMeterX, row.dotsPerMeterX) << row.guards;
        }
    }
}
