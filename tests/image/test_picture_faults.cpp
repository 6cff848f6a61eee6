// Loading and saving faced with damaged files, odd files and sizes beyond the machine.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QPainter>
#include <QtEndian>
#include <cstdio>
#include <functional>

#include "image/picture.h"
#include "image/picture_export.h"
#include "image/picture_memory.h"
#include "image/quiet_stderr.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

void put32(QByteArray& b, qsizetype at, quint32 value) {
    qToLittleEndian(value, b.data() + at);
}

// A bitmap: its headers, with an information header of `header` bytes, its palette and its
// pixels.
QByteArray bitmap(qint32 width, qint32 height, quint16 bits, quint32 compression, quint32 header,
                  const QByteArray& palette, const QByteArray& pixels) {
    QByteArray b(14 + header, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<quint32>(b.size() + palette.size() + pixels.size()));
    put32(b, 10, static_cast<quint32>(b.size() + palette.size()));
    put32(b, 14, header);
    put32(b, 18, static_cast<quint32>(width));
    put32(b, 22, static_cast<quint32>(height));
    put32(b, 26, 1U | quint32{bits} << 16);  // one plane, then the bits a pixel
    put32(b, 30, compression);
    put32(b, 46, static_cast<quint32>(palette.size() / 4));
    return b + palette + pixels;
}

// An 8-bit run-length compressed bitmap of two colours, 1 being blue; by default 4 x 2
// pixels: a run of colour 1 on each row, each row ended, then the end of the bitmap.
QByteArray rle8Bitmap(int width = 4, int height = 2,
                      const QByteArray& runs = QByteArray::fromHex("04010000040100000001")) {
    return bitmap(width, height, 8, 1, 40, QByteArray::fromHex("00000000ff000000"), runs);
}

// A JPEG of `width` x `height` whose frame header is changed to claim another size.
QByteArray jpegClaiming(const ScratchDir& dir, quint16 width, quint16 height) {
    QByteArray bytes = readBytes(writeImage(dir.path("small.jpg"), makeMap(64, 64), "JPEG"));
    const qsizetype frame = bytes.indexOf("\xff\xc0");
    qToBigEndian<quint16>(height, bytes.data() + frame + 5);
    qToBigEndian<quint16>(width, bytes.data() + frame + 7);
    return bytes;
}

// A GIF of one pixel on a logical screen of `width` x `height` pixels: 35 bytes.
QByteArray gifOnScreen(quint16 width, quint16 height) {
    QByteArray b = QByteArray::fromHex(
        "474946383961000000008000000000"
        "00ffffff2c00000000010001000002024401003b");
    qToLittleEndian(width, b.data() + 6);
    qToLittleEndian(height, b.data() + 8);
    return b;
}

// 120 x 80 pixels of red with a blue square in the top left corner, as stored.
QImage cornerMarked() {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 30));
    QPainter(&image).fillRect(0, 0, 20, 20, Qt::blue);
    return image;
}

// A phone's JPEG: EXIF orientation 6, the picture to be turned a quarter clockwise.
QByteArray jpegTurned() {
    const QByteArray exif = QByteArray::fromHex(
        "ffe10022457869660000"                                    // the segment, "Exif"
        "49492a0008000000010012010300010000000600000000000000");  // one field: orientation
    const QByteArray jpeg = bytesOf(cornerMarked(), "jpeg");
    return jpeg.left(2) + exif + jpeg.mid(2);
}

// A 32-bit bitmap of 80 x 20 pixels of one colour under a version 5 header whose alpha mask
// makes every pixel invisible.
QByteArray bitmapOfNoVisiblePixel() {
    QByteArray b = bitmap(80, 20, 32, 3, 124, {}, QByteArray::fromHex("c85a1e00").repeated(1600));
    const quint32 masks[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (int i = 0; i < 4; ++i) {
        put32(b, 54 + 4 * i, masks[i]);  // red, green, blue, alpha
    }
    return b;
}

// A file of these bytes, made in the scratch folder.
std::function<QString(const ScratchDir&)> file(const char* name, const QByteArray& bytes) {
    return [=](const ScratchDir& d) { return writeBytes(d.path(name), bytes); };
}

// What a phone appends to a motion photo: a video, whose bytes may look like markers.
const QByteArray kVideo =
    QByteArray::fromHex("00000018667479706d703432ffd9ffda0010") + QByteArray(200, '\x55');

// Counts, from the kernel's own notices, the times a file is opened and closed. Its reads
// are watched too: the kernel merges a notice with the one before when they are the same,
// and a read between two opens keeps them apart.
class OpenCounter {
  public:
    explicit OpenCounter(const QString& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(::inotify_add_watch(fd_, QFile::encodeName(path).constData(),
                                      IN_OPEN | IN_ACCESS | IN_CLOSE),
                  0);
    }
    ~OpenCounter() { ::close(fd_); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    // The opens and closes noticed so far.
    std::pair<int, int> count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                opens_ += (event->mask & IN_OPEN) != 0 ? 1 : 0;
                closes_ += (event->mask & IN_CLOSE) != 0 ? 1 : 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return {opens_, closes_};
    }

  private:
    int fd_;
    int opens_ = 0;
    int closes_ = 0;
};

}  // namespace

TEST(LoadFaults, EachDamagedFileIsRefusedWithItsReason) {
    struct Row {
        const char* guards;
        std::function<QString(const ScratchDir&)> make;
        QString reason;  // empty: the file loads
    };
    const QByteArray rle = rle8Bitmap();
    const Row rows[] = {
        {"a whole RLE bitmap",
         [&](const ScratchDir& d) { return writeBytes(d.path("r.bmp"), rle); }, ""},
        {"an RLE bitmap whose every row ends, without the end code",
         [&](const ScratchDir& d) { return writeBytes(d.path("r.bmp"), rle.left(rle.size() - 2)); },
         ""},
        {"an RLE bitmap without the end of its last row",
         [&](const ScratchDir& d) { return writeBytes(d.path("r.bmp"), rle.left(rle.size() - 4)); },
         "The bitmap file is cut short."},
        {"an RLE bitmap cut in its first row",
         [&](const ScratchDir& d) { return writeBytes(d.path("r.bmp"), rle.left(rle.size() - 8)); },
         "The bitmap file is cut short."},
        {"an RLE bitmap whose pixels lie past its end",
         [&](const ScratchDir& d) {
             QByteArray b = rle;
             qToLittleEndian<quint32>(static_cast<quint32>(b.size() + 10), b.data() + 10);
             return writeBytes(d.path("r.bmp"), b);
         },
         "The bitmap file is cut short."},
        {"a JPEG whose header claims more pixels than its data holds",
         [](const ScratchDir& d) {
             return writeBytes(d.path("claims.jpg"), jpegClaiming(d, 2000, 2000));
         },
         "The JPEG file is damaged: some of its data is corrupt or missing."},
        {"a JPEG that is what it says",
         [](const ScratchDir& d) { return writeBytes(d.path("ok.jpg"), jpegClaiming(d, 64, 64)); },
         ""},
        {"an RLE bitmap whose end code comes after 2 of its 80 rows",
         file("r.bmp", rle8Bitmap(4, 80)),
         "The bitmap file is damaged: some of its data is corrupt or missing."},
        {"an RLE bitmap whose end code comes in its last row", file("r.bmp", rle8Bitmap(4, 3)), ""},
        {"an RLE bitmap whose run passes the width", file("r.bmp", rle8Bitmap(3, 2)),
         "The bitmap file is damaged: some of its data is corrupt or missing."},
        {"70 bytes claiming 2147483647 x 2147483647 pixels, for our reader",
         file("a.bmp", bitmap(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 40, {}, QByteArray(16, 0))),
         "The bitmap file is cut short."},
        {"the same claim at 65535 bits a pixel, for Qt's decoder",
         file("a.bmp", bitmap(0x7FFFFFFF, 0x7FFFFFFF, 65535, 0, 40, {}, QByteArray(16, 0))),
         "The bitmap file is cut short."},
        {"a JPEG followed by a motion photo's video",
         file("m.jpg", bytesOf(makeMap(40, 30), "jpeg") + kVideo), ""},
        {"a WebP followed by a video", file("m.webp", bytesOf(makeMap(40, 30), "webp") + kVideo),
         ""},
        {"a GIF of 35 bytes whose logical screen is 40000 x 10 pixels",
         file("s.gif", gifOnScreen(40000, 10)),
         "This picture is 40000 x 10 pixels; a map can be at most 32767 pixels wide and 32767 "
         "pixels high."},
        {"a GIF whose logical screen is at the longest side", file("s.gif", gifOnScreen(32767, 10)),
         ""},
        {"a named pipe, which would never end",
         [](const ScratchDir& d) {
             ::mkfifo(QFile::encodeName(d.path("pipe.bmp")).constData(), 0600);
             return d.path("pipe.bmp");
         },
         "It is not a picture file but a pipe, a device or a socket."},
        {"a device", [](const ScratchDir&) { return QStringLiteral("/dev/zero"); },
         "It is not a picture file but a pipe, a device or a socket."},
    };
    for (const Row& row : rows) {
        ScratchDir dir;
        EXPECT_EQ(loadFailure(row.make(dir)), row.reason) << row.guards;
    }
}

TEST(LoadFaults, ARunLengthBitmapReadsAsItsRunsSay) {
    ScratchDir dir;
    const Picture picture = LoadPicture(writeBytes(dir.path("r.bmp"), rle8Bitmap()));
    ASSERT_EQ(picture.width(), 4);
    EXPECT_EQ(picture.image().pixel(3, 1), qRgb(0, 0, 255));
}

// What loads is what a viewer shows, and can be exported again.
TEST(LoadFaults, APictureLoadsAsViewersShowIt) {
    struct Row {
        const char* guards;
        QByteArray bytes;
        QSize size;
        QRgb at70x10;
        int tolerance;  // JPEG is lossy
    };
    QByteArray negative = bytesOf(makeMap(80, 20), "bmp");
    put32(negative, 38, static_cast<quint32>(-3780));  // dots a metre across
    const QRgb blue = qRgb(0, 0, 255);
    // clang-format off
    const Row rows[] = {
        {"a JPEG with EXIF orientation 6, turned a quarter clockwise", jpegTurned(), {80, 120},
         blue, 40},
        {"a TIFF whose orientation tag turns it a quarter clockwise",
         bytesOf(cornerMarked(), "tiff", QImageIOHandler::TransformationRotate90), {80, 120}, blue, 0},
        {"a 32-bit bitmap whose alpha mask hides every pixel: its colours, opaque",
         bitmapOfNoVisiblePixel(), {80, 20}, qRgb(30, 90, 200), 0},
        {"a bitmap of a negative resolution", negative, {80, 20}, makeMap(80, 20).pixel(70, 10), 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        ScratchDir dir;
        const Picture picture = LoadPicture(writeBytes(dir.path("map"), row.bytes));
        EXPECT_EQ(picture.image().size(), row.size) << row.guards;
        const QRgb seen = picture.image().pixel(70, 10);
        for (const int shift : {0, 8, 16}) {
            EXPECT_NEAR(seen >> shift & 0xFF, row.at70x10 >> shift & 0xFF, row.tolerance)
                << row.guards;
        }
        EXPECT_EQ(writeOutputFile(picture, dir.path("again.tif"), "tiff").error, "") << row.guards;
    }
}

// The C libraries' complaints about damaged files, on the standard error stream, are
// silenced; what writes to the descriptor itself, as a sanitizer's report does, still shows.
TEST(QuietStandardError, SilencesTheStreamButNotTheDescriptor) {
    ScratchDir dir;
    const int original = ::dup(STDERR_FILENO);
    ::close(STDERR_FILENO);
    ASSERT_EQ(::creat(QFile::encodeName(dir.path("stderr.txt")).constData(), 0600), STDERR_FILENO);
    {
        const QuietStandardError quiet;
        std::fputs("libpng error: IDAT: incorrect data check\n", stderr);
        EXPECT_EQ(::write(STDERR_FILENO, "a sanitizer's report\n", 21), 21);
    }
    std::fputs("the program's own line\n", stderr);
    ::dup2(original, STDERR_FILENO);
    ::close(original);
    EXPECT_EQ(readBytes(dir.path("stderr.txt")), "a sanitizer's report\nthe program's own line\n");
}

TEST(PictureSize, IsRefusedPastTheLongestSideOrTheMemoryNamingTheSize) {
    struct Row {
        const char* guards;
        qint64 width;
        qint64 height;
        int bits;
        qint64 available;
        QString reason;  // empty: it fits
    };
    const qint64 gib = qint64{1} << 30;
    const Row rows[] = {
        {"the longest side", 32767, 10, 24, gib, ""},
        {"one pixel wider", 32768, 10, 24, gib,
         "This picture is 32768 x 10 pixels; a map can be at most 32767 pixels wide and 32767 "
         "pixels high."},
        {"one pixel higher", 10, 32768, 1, gib,
         "This picture is 10 x 32768 pixels; a map can be at most 32767 pixels wide and 32767 "
         "pixels high."},
        {"exactly the memory there is", 16384, 16384, 32, gib, ""},
        {"one row more than the memory", 16384, 16385, 32, gib,
         "There is not enough memory for this picture: it is 16384 x 16385 pixels, which take "
         "1.0 GB, and 1.0 GB is free."},
        {"a grey scan takes a byte a pixel", 32767, 32767, 8, gib, ""},
        {"a 50000 x 50000 JPEG's claim", 50000, 50000, 24, 8 * gib,
         "This picture is 50000 x 50000 pixels; a map can be at most 32767 pixels wide and "
         "32767 pixels high."},
        {"20000 x 15000 on a machine with 1 GB free", 20000, 15000, 24, gib,
         "There is not enough memory for this picture: it is 20000 x 15000 pixels, which take "
         "1.1 GB, and 1.0 GB is free."},
    };
    for (const Row& row : rows) {
        QString reason;
        try {
            checkPictureFits(row.width, row.height, row.bits, row.available);
        } catch (const PictureTooLarge& e) {
            reason = QString::fromUtf8(e.what());
        }
        EXPECT_EQ(reason, row.reason) << row.guards;
    }
}

TEST(LoadFaults, ABitmapWiderThanTheLongestSideIsTooLarge) {
    ScratchDir dir;
    // One row of 32768 pixels: small on disk, but over the longest side.
    QByteArray b(54 + 32768 * 3, '\0');
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(54, b.data() + 10);
    qToLittleEndian<quint32>(40, b.data() + 14);
    qToLittleEndian<qint32>(32768, b.data() + 18);
    qToLittleEndian<qint32>(1, b.data() + 22);
    qToLittleEndian<quint16>(1, b.data() + 26);
    qToLittleEndian<quint16>(24, b.data() + 28);
    EXPECT_THROW(LoadPicture(writeBytes(dir.path("wide.bmp"), b)), PictureTooLarge);
    qToLittleEndian<qint32>(32767, b.data() + 18);
    EXPECT_EQ(LoadPicture(writeBytes(dir.path("wide.bmp"), b)).width(), 32767);
}

TEST(SaveFaults, AReadOnlyMapIsNotReplaced) {
    ScratchDir dir;
    const QString path = writeImage(dir.path("map.bmp"), makeMap(20, 10), "BMP");
    const QByteArray before = readBytes(path);
    ::chmod(QFile::encodeName(path).constData(), 0444);
    try {
        SavePicture(Picture(makeMap(30, 30)), path);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const PictureError& e) {
        EXPECT_STREQ(e.what(), "The file map.bmp is read-only.");
    }
    EXPECT_EQ(readBytes(path), before);
}

// The bytes checked for damage are the bytes decoded: the file is opened once, so that
// whatever replaces it by name while it loads, even a file cut short, is never read.
TEST(LoadFaults, APictureIsOpenedOnceAndDecodedFromWhatWasRead) {
    struct Row {
        const char* guards;
        std::function<QString(const ScratchDir&)> make;
        QString reason;  // empty: the file loads
    };
    const Row rows[] = {
        {"a paletted bitmap, which Qt decodes",
         [](const ScratchDir& d) {
             return writeImage(d.path("m.bmp"),
                               makeMap(40, 30).convertToFormat(QImage::Format_Indexed8), "BMP");
         },
         ""},
        {"a 24-bit bitmap, which our reader reads",
         [](const ScratchDir& d) { return writeImage(d.path("m.bmp"), makeMap(40, 30), "BMP"); },
         ""},
        {"a JPEG",
         [](const ScratchDir& d) { return writeImage(d.path("m.jpg"), makeMap(40, 30), "JPEG"); },
         ""},
        {"a PNG",
         [](const ScratchDir& d) { return writeImage(d.path("m.png"), makeMap(40, 30), "PNG"); },
         ""},
        {"a JPEG cut short",
         [](const ScratchDir& d) {
             const QByteArray b = readBytes(writeImage(d.path("w.jpg"), makeMap(40, 30), "JPEG"));
             return writeBytes(d.path("m.jpg"), b.left(b.size() / 2));
         },
         "The JPEG file is cut short."},
    };
    for (const Row& row : rows) {
        ScratchDir dir;
        const QString path = row.make(dir);
        OpenCounter counter(path);
        EXPECT_EQ(loadFailure(path), row.reason) << row.guards;
        EXPECT_EQ(counter.count(), std::make_pair(1, 1)) << row.guards << ": opens and closes";
    }
}
