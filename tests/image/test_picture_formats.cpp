// PNG, GIF, TIFF and WebP maps: a whole file loads as it was written, a damaged one is
// refused as a damaged JPEG is, whether Qt's decoder would have complained or not.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <functional>

#include "image/picture.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QByteArray encoded(const QImage& image, const char* format, int quality, int compression = -1) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (compression >= 0) {
        writer.setCompression(compression);
    }
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return buffer.data();
}

// Qt writes no GIF, so the test does: a 256-colour palette and one picture, in 9-bit codes
// with a clear code every 250 pixels, so that the code table never needs wider codes.
QByteArray gifOf(const QImage& paletted) {
    QByteArray out("GIF89a");
    const auto put16 = [&out](int v) {
        out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
    };
    put16(paletted.width());
    put16(paletted.height());
    out.append("\xF7\0\0", 3);  // a global palette of 256 colours
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < paletted.colorCount() ? paletted.color(i) : 0;
        out.append(static_cast<char>(qRed(c))).append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    out.append(',');
    put16(0);
    put16(0);
    put16(paletted.width());
    put16(paletted.height());
    out.append("\0\x08", 2);  // no palette of its own; 8-bit pixel values
    QByteArray codes;
    quint32 bits = 0;
    int held = 0;
    const auto putCode = [&](int code) {
        bits |= static_cast<quint32>(code) << held;
        for (held += 9; held >= 8; held -= 8, bits >>= 8) {
            codes.append(static_cast<char>(bits & 0xFF));
        }
    };
    const int pixels = paletted.width() * paletted.height();
    for (int i = 0; i < pixels; ++i) {
        if (i % 250 == 0) {
            putCode(256);
        }
        putCode(paletted.pixelIndex(i % paletted.width(), i / paletted.width()));
    }
    putCode(257);
    codes.append(static_cast<char>(bits));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        out.append(static_cast<char>(block.size())).append(block);
    }
    return out.append("\0;", 2);
}

struct Kind {
    const char* guards;
    const char* name;  // as the messages name it
    QByteArray bytes;
    QImage written;
    int tolerance;  // how far a lossy format may move a colour
};

std::vector<Kind> kinds() {
    const QImage map = makeMap(300, 200);
    const QImage paletted = map.convertToFormat(QImage::Format_Indexed8);
    const QImage deep = map.convertToFormat(QImage::Format_RGBX64);
    return {
        {"an 8-bit PNG", "PNG", encoded(map, "png", 50), map, 0},
        {"a 16-bit PNG", "PNG", encoded(deep, "png", 50), map, 0},
        {"a paletted GIF", "GIF", gifOf(paletted), paletted, 0},
        {"an LZW TIFF", "TIFF", encoded(map, "tiff", 0, 1), map, 0},
        {"an uncompressed TIFF", "TIFF", encoded(map, "tiff", 0, 0), map, 0},
        {"a lossy WebP", "WebP", encoded(map, "webp", 80), map, 40},
        {"a lossless WebP", "WebP", encoded(map, "webp", 100), map, 0},
        {"a JPEG, the measure of the others", "JPEG", encoded(map, "jpeg", 90), map, 40},
    };
}

int colourDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

enum class Refusal { CutShort, Corrupt, None };

QString reasonFor(Refusal refusal, const char* name) {
    switch (refusal) {
        case Refusal::CutShort:
            return QStringLiteral("The %1 file is cut short.").arg(name);
        case Refusal::Corrupt:
            return QStringLiteral("The %1 file is damaged: some of its data is corrupt or missing.")
                .arg(name);
        case Refusal::None:
            break;
    }
    return {};
}

}  // namespace

TEST(PictureFormats, AWholeFileLoadsAtItsSizeWithItsPixels) {
    const QPoint probes[] = {{0, 0}, {299, 199}, {150, 100}, {37, 141}};
    for (const Kind& kind : kinds()) {
        ScratchDir dir;
        // Named .bmp: the content decides the format, not the name.
        const Picture picture = LoadPicture(writeBytes(dir.path("map.bmp"), kind.bytes));
        ASSERT_EQ(picture.width(), 300) << kind.guards;
        ASSERT_EQ(picture.height(), 200) << kind.guards;
        for (const QPoint& p : probes) {
            EXPECT_LE(colourDistance(picture.image().pixel(p), kind.written.pixel(p)),
                      kind.tolerance)
                << kind.guards << " at " << p.x() << "," << p.y();
        }
    }
}

TEST(PictureFormats, ADamagedFileIsRefusedAsADamagedJpegIs) {
    struct Damage {
        const char* guards;
        std::function<QByteArray(QByteArray)> apply;
    };
    const Damage damages[] = {
        {"cut in half", [](QByteArray b) { return b.left(b.size() / 2); }},
        {"without its last byte", [](QByteArray b) { return b.left(b.size() - 1); }},
        {"without its last 12 bytes", [](QByteArray b) { return b.left(b.size() - 12); }},
        {"with 16 bytes flipped in the middle",
         [](QByteArray b) {
             for (qsizetype i = b.size() / 2; i < b.size() / 2 + 16; ++i) {
                 b[i] = static_cast<char>(~b[i]);
             }
             return b;
         }},
    };
    using enum Refusal;
    // For each kind, as listed by kinds(), the refusal for each damage in turn. The pixels
    // of an uncompressed TIFF carry no check of any kind: flipped, they are still a picture.
    const Refusal expected[][4] = {
        {CutShort, CutShort, CutShort, Corrupt},  // 8-bit PNG
        {CutShort, CutShort, CutShort, Corrupt},  // 16-bit PNG
        {CutShort, None, CutShort, Corrupt},      // GIF: a whole picture needs no trailer
        {CutShort, CutShort, CutShort, Corrupt},  // LZW TIFF
        {CutShort, CutShort, CutShort, None},     // uncompressed TIFF
        {CutShort, CutShort, CutShort, Corrupt},  // lossy WebP
        {CutShort, CutShort, CutShort, Corrupt},  // lossless WebP
        {CutShort, CutShort, CutShort, Corrupt},  // JPEG
    };
    const std::vector<Kind> all = kinds();
    ASSERT_EQ(all.size(), std::size(expected));
    for (size_t k = 0; k < all.size(); ++k) {
        for (size_t d = 0; d < std::size(damages); ++d) {
            ScratchDir dir;
            const QString path = writeBytes(dir.path("map.bmp"), damages[d].apply(all[k].bytes));
            EXPECT_EQ(loadFailure(path).toStdString(),
                      reasonFor(expected[k][d], all[k].name).toStdString())
                << all[k].guards << ", " << damages[d].guards;
        }
    }
}

// A JPEG of eight megabytes of pixels and more is decoded into memory populated at once,
// one just under into Qt's own: either way the picture is, pixel for pixel and in its
// resolution, the one Qt's reader makes of the file.
TEST(PictureFormats, ALargeJpegIsQtsOwnDecodingPixelForPixel) {
    const QSize sizes[] = {{1448, 1448}, {1449, 1448}, {2600, 1000}};
    for (const QSize size : sizes) {
        ScratchDir dir;
        QImage map = makeMap(size.width(), size.height());
        map.setDotsPerMeterX(11811);  // 300 dots an inch, kept in the JPEG's header
        map.setDotsPerMeterY(11811);
        const QString path = writeBytes(dir.path("map.jpg"), encoded(map, "jpeg", 85));
        const QImage qt = QImageReader(path).read();
        const QImage loaded = LoadPicture(path).image();
        EXPECT_EQ(loaded.format(), qt.format()) << size.width();
        EXPECT_TRUE(loaded == qt) << size.width();
        EXPECT_EQ(loaded.dotsPerMeterX(), qt.dotsPerMeterX()) << size.width();
    }
}
