// Loading and saving faced with damaged files, odd files and sizes beyond the machine.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QtEndian>
#include <functional>

#include "image/picture.h"
#include "image/picture_memory.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// An 8-bit run-length compressed bitmap, 4 x 2 pixels: a run of colour 1 on each row,
// each row ended, then the end of the bitmap.
QByteArray rle8Bitmap() {
    const QByteArray runs("\x04\x01\x00\x00\x04\x01\x00\x00\x00\x01", 10);
    const int offset = 14 + 40 + 2 * 4;
    QByteArray b(offset, '\0');
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(offset + runs.size()), b.data() + 2);
    qToLittleEndian<quint32>(offset, b.data() + 10);
    qToLittleEndian<quint32>(40, b.data() + 14);
    qToLittleEndian<qint32>(4, b.data() + 18);
    qToLittleEndian<qint32>(2, b.data() + 22);
    qToLittleEndian<quint16>(1, b.data() + 26);
    qToLittleEndian<quint16>(8, b.data() + 28);
    qToLittleEndian<quint32>(1, b.data() + 30);  // RLE8
    qToLittleEndian<quint32>(2, b.data() + 46);  // two colours
    b[14 + 40 + 4] = '\xff';                     // colour 1 is blue
    return b + runs;
}

// A JPEG of `width` x `height` whose frame header is changed to claim another size.
QByteArray jpegClaiming(const ScratchDir& dir, quint16 width, quint16 height) {
    QByteArray bytes = readBytes(writeImage(dir.path("small.jpg"), makeMap(64, 64), "JPEG"));
    const qsizetype frame = bytes.indexOf("\xff\xc0");
    qToBigEndian<quint16>(height, bytes.data() + frame + 5);
    qToBigEndian<quint16>(width, bytes.data() + frame + 7);
    return bytes;
}

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

QString loadFailure(const QString& path) {
    try {
        LoadPicture(path);
    } catch (const PictureError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

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
