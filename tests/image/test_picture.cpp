#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <functional>
#include <optional>

#include "image/picture.h"
#include "support/as_nobody.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// A 24-bit bitmap header for the given size, followed by `pixelBytes` bytes of data.
QByteArray bmpHeader(qint32 width, qint32 height, int pixelBytes) {
    QByteArray b(54 + pixelBytes, '\0');
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(b.size()), b.data() + 2);
    qToLittleEndian<quint32>(54, b.data() + 10);
    qToLittleEndian<quint32>(40, b.data() + 14);
    qToLittleEndian<qint32>(width, b.data() + 18);
    qToLittleEndian<qint32>(height, b.data() + 22);
    qToLittleEndian<quint16>(1, b.data() + 26);
    qToLittleEndian<quint16>(24, b.data() + 28);
    return b;
}

QByteArray pngClaiming(quint32 width, quint32 height) {
    QByteArray good =
        readBytes(writeImage(QDir::temp().filePath("tessara-probe.png"), makeMap(4, 4), "PNG"));
    QFile::remove(QDir::temp().filePath("tessara-probe.png"));
    qToBigEndian<quint32>(width, good.data() + 16);  // IHDR width and height
    qToBigEndian<quint32>(height, good.data() + 20);
    return good;
}

}  // namespace

TEST(LoadPicture, ReadsBitmapsExactly) {
    ScratchDir dir;
    const QImage map = makeMap(301, 203);
    const Picture picture = LoadPicture(writeImage(dir.path("map.bmp"), map, "BMP"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), 301);
    EXPECT_EQ(picture.height(), 203);
    EXPECT_EQ(picture.image().convertToFormat(QImage::Format_RGB32), map);
}

TEST(LoadPicture, ReadsJpegAndOtherFormatsByTheirContent) {
    ScratchDir dir;
    const QImage map = makeMap(120, 80);
    for (const auto& [name, format] :
         {std::pair{"map.jpg", "JPEG"}, std::pair{"map.png", "PNG"}, std::pair{"map.tif", "TIFF"},
          std::pair{"map.webp", "WEBP"}, std::pair{"jpeg-named.bmp", "JPEG"}}) {
        const Picture picture = LoadPicture(writeImage(dir.path(name), map, format));
        EXPECT_EQ(picture.width(), 120) << name;
        EXPECT_EQ(picture.height(), 80) << name;
        const QRgb centre = picture.image().pixel(60, 40);
        EXPECT_NEAR(qRed(centre), qRed(map.pixel(60, 40)), 24) << name;
    }
}

TEST(LoadPicture, ReadsGif) {
    ScratchDir dir;
    // A one-pixel white GIF, byte by byte: Qt reads GIF but does not write it.
    const QByteArray gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
        "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
        35);
    const Picture picture = LoadPicture(writeBytes(dir.path("dot.gif"), gif));
    EXPECT_EQ(picture.width(), 1);
    EXPECT_EQ(picture.image().pixel(0, 0), qRgb(255, 255, 255));
}

TEST(LoadPicture, FlattensTransparencyOntoWhite) {
    ScratchDir dir;
    QImage clear(10, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const Picture picture = LoadPicture(writeImage(dir.path("clear.png"), clear, "PNG"));
    EXPECT_FALSE(picture.image().hasAlphaChannel());
    EXPECT_EQ(picture.image().pixel(5, 5), qRgb(255, 255, 255));
}

TEST(LoadPicture, KeepsGreyAndIndexedScansCompact) {
    ScratchDir dir;
    const QImage grey = makeMap(40, 30).convertToFormat(QImage::Format_Grayscale8);
    const Picture picture = LoadPicture(writeImage(dir.path("grey.png"), grey, "PNG"));
    EXPECT_EQ(picture.image().depth(), 8);
}

TEST(LoadPicture, LoadsMapsBeyondQtsDefaultLimit) {
    // 8000 x 6000 at 32 bits is 192 MB, over the 128 MB Qt refuses by default.
    ScratchDir dir;
    QImage big(8000, 6000, QImage::Format_RGB32);
    big.fill(qRgb(10, 120, 30));
    const Picture picture = LoadPicture(writeImage(dir.path("big.jpg"), big, "JPEG", 50));
    EXPECT_EQ(picture.width(), 8000);
    EXPECT_EQ(picture.height(), 6000);
}

struct HostileFile {
    const char* guards;
    std::function<QString(const ScratchDir&)> make;
    bool needsNobody = false;
};

TEST(LoadPicture, RefusesEveryDamagedOrUnreadableFile) {
    const HostileFile rows[] = {
        {"a text file named .bmp",
         [](const ScratchDir& d) {
             return writeBytes(d.path("notes.bmp"), "These are not pixels.\n");
         }},
        {"a zero-byte file",
         [](const ScratchDir& d) { return writeBytes(d.path("empty.bmp"), {}); }},
        {"a truncated JPEG",
         [](const ScratchDir& d) {
             const QByteArray whole =
                 readBytes(writeImage(d.path("whole.jpg"), makeMap(400, 300), "JPEG"));
             return writeBytes(d.path("cut.jpg"), whole.left(whole.size() * 2 / 3));
         }},
        {"a truncated bitmap",
         [](const ScratchDir& d) {
             const QByteArray whole =
                 readBytes(writeImage(d.path("whole.bmp"), makeMap(400, 300), "BMP"));
             return writeBytes(d.path("cut.bmp"), whole.left(whole.size() / 2));
         }},
        {"a bitmap with a corrupt header",
         [](const ScratchDir& d) {
             QByteArray bytes = readBytes(writeImage(d.path("good.bmp"), makeMap(50, 50), "BMP"));
             qToLittleEndian<quint32>(7, bytes.data() + 14);   // no such information header
             qToLittleEndian<quint16>(13, bytes.data() + 28);  // nor such a depth
             return writeBytes(d.path("corrupt.bmp"), bytes);
         }},
        {"a folder",
         [](const ScratchDir& d) {
             QDir(d.root()).mkdir("folder.bmp");
             return d.path("folder.bmp");
         }},
        {"a file that does not exist", [](const ScratchDir& d) { return d.path("missing.bmp"); }},
        {"a bitmap claiming 200000 x 200000 pixels",
         [](const ScratchDir& d) {
             return writeBytes(d.path("absurd.bmp"), bmpHeader(200000, 200000, 64));
         }},
        {"a PNG claiming 200000 x 200000 pixels",
         [](const ScratchDir& d) {
             return writeBytes(d.path("absurd.png"), pngClaiming(200000, 200000));
         }},
        {"a file without read permission",
         [](const ScratchDir& d) {
             const QString path = writeImage(d.path("locked.bmp"), makeMap(20, 20), "BMP");
             QFile::setPermissions(path, QFileDevice::WriteOwner);
             return path;
         },
         true},
    };
    for (const auto& row : rows) {
        ScratchDir dir;
        const QString path = row.make(dir);
        std::optional<AsNobody> nobody;
        if (row.needsNobody) {
            nobody.emplace();
            ASSERT_TRUE(nobody->ok()) << "could not drop root rights for: " << row.guards;
        }
        EXPECT_THROW(LoadPicture(path), PictureError) << row.guards;
    }
}

TEST(Picture, CopiesShareThePixels) {
    const Picture a(makeMap(10, 10));
    const Picture b = a;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_TRUE(a.sharesPixelsWith(b));
    EXPECT_FALSE(a.sharesPixelsWith(Picture(makeMap(10, 10))));
    EXPECT_FALSE(Picture().sharesPixelsWith(Picture()));
    EXPECT_TRUE(Picture().isNull());
    EXPECT_EQ(Picture().width(), 0);
}

namespace {

// Records how far the work says it has got, and asks it to stop after `stopAfter` reports.
class RecordingProgress : public Progress {
  public:
    explicit RecordingProgress(int stopAfter = -1) : stopAfter_(stopAfter) {}
    void step(const QString&) override {}
    bool advance(double fraction) override {
        fractions.push_back(fraction);
        return static_cast<int>(fractions.size()) != stopAfter_;
    }
    std::vector<double> fractions;

  private:
    int stopAfter_;
};

}  // namespace

TEST(PictureProgress, LoadingReportsItsProgressAndStopsWhenAsked) {
    const ScratchDir dir;
    const QImage map = makeMap(1200, 1000);  // a few megabytes: several chunks, many reads
    for (const char* format : {"BMP", "JPEG"}) {
        const QString path = writeImage(dir.path(QString("map.") + format), map, format);
        RecordingProgress all;
        EXPECT_EQ(LoadPicture(path, all).image().size(), map.size()) << format;
        ASSERT_GT(all.fractions.size(), 2U) << format;
        EXPECT_TRUE(std::is_sorted(all.fractions.begin(), all.fractions.end())) << format;
        EXPECT_EQ(all.fractions.front(), 0) << format;
        EXPECT_GT(all.fractions.back(), 0.5) << format;
        EXPECT_LE(all.fractions.back(), 1.0) << format;
        RecordingProgress stopped(2);
        EXPECT_THROW(LoadPicture(path, stopped), WorkCancelled) << format;
        EXPECT_EQ(stopped.fractions.size(), 2U) << format << ": nothing read after the stop";
    }
}
