#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <string_view>
#include <tuple>

#include "image/picture_export.h"
#include "support/file_size_limit.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

constexpr const char* kFormats[] = {"png", "jpeg", "tiff", "bmp"};

// Stops the work at its first advance when asked to.
class Stopper final : public Progress {
  public:
    explicit Stopper(bool stop) : stop_(stop) {}
    void step(const QString&) override {}
    bool advance(double) override { return !stop_; }

  private:
    bool stop_;
};

}  // namespace

TEST(ExportPicture, EachFormatReadsBackWithItsPixelsAndResolution) {
    QImage scan = makeMap(40, 30);
    scan.setDotsPerMeterX(10000);  // 254 dpi, as the scanner recorded it
    scan.setDotsPerMeterY(10000);
    QList<QRgb> greys;
    for (int i = 0; i < 256; ++i) {
        greys.append(qRgb(i, i, i));
    }
    const std::tuple<const char*, QImage, double, int> rows[] = {
        {"a colour map, its own resolution kept", scan, 0, 10000},
        {"a colour map at 300 dpi", scan, 300, 11811},
        {"a grey scan at 300 dpi, its palette kept",
         scan.convertToFormat(QImage::Format_Indexed8, greys), 300, 11811},
    };
    const QPoint spots[] = {{30, 5}, {5, 16}, {36, 2}, {12, 14}};  // off the dark diagonal
    ScratchDir dir;
    for (const auto& [guards, image, dotsPerInch, perMetre] : rows) {
        for (const char* format : kFormats) {
            const std::string what = std::string(guards) + " as " + format;
            const QString path = dir.path(QStringLiteral("map.%1").arg(format));
            ASSERT_EQ(
                exportPicture(Picture(image), path, {.format = format, .dotsPerInch = dotsPerInch})
                    .error,
                QString())
                << what;
            QImageReader reader(path);
            EXPECT_EQ(reader.format(), QByteArray(format)) << what;
            const QImage back = reader.read();
            ASSERT_EQ(back.size(), image.size()) << what;
            const int tolerance = std::string_view(format) == "jpeg" ? 12 : 0;
            for (const QPoint spot : spots) {
                const QRgb a = back.pixel(spot), b = image.pixel(spot);
                EXPECT_LE(std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))}),
                          tolerance)
                    << what << " at " << spot.x() << "," << spot.y();
            }
            EXPECT_EQ(back.dotsPerMeterX(), perMetre) << what;
            EXPECT_EQ(back.dotsPerMeterY(), perMetre) << what;
        }
    }
}

TEST(ExportPicture, ALowerJpegQualityMakesASmallerFile) {
    ScratchDir dir;
    const Picture map(makeMap(200, 150));
    ASSERT_EQ(exportPicture(map, dir.path("q50.jpg"), {.format = "jpeg", .jpegQuality = 50}).error,
              QString());
    ASSERT_EQ(exportPicture(map, dir.path("q92.jpg"), {.format = "jpeg", .jpegQuality = 92}).error,
              QString());
    EXPECT_LT(QFileInfo(dir.path("q50.jpg")).size(), QFileInfo(dir.path("q92.jpg")).size());
}

TEST(ExportPicture, TheCommandLinesBitmapIsWhatTheWindowSaves) {
    ScratchDir dir;
    const Picture map(makeMap(64, 48));
    SavePicture(map, dir.path("saved.bmp"));
    ASSERT_EQ(writeOutputFile(map, dir.path("out.bmp"), "bmp").error, QString());
    EXPECT_EQ(readBytes(dir.path("out.bmp")), readBytes(dir.path("saved.bmp")));
}

TEST(ExportPicture, AFailureOrAStopLeavesTheOldFile) {
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    struct Row {
        const char* guards;
        const char* name;
        const char* reason;  // the end of the reason
        QFileDevice::Permissions permissions;
        rlim_t sizeLimit = RLIM_INFINITY;
        bool stop = false;
    };
    const Row rows[] = {
        {"a folder that does not exist", "gone/map.out", "No such file or directory", writable},
        {"a read-only file", "map.out", "is read-only.", QFileDevice::ReadOwner},
        {"a disk that fills up part way", "map.out", "File too large", writable, 3000},
        {"the user stopping", "map.out", "stopped", writable, RLIM_INFINITY, true},
    };
    const Picture map(makeMap(300, 200));
    for (const Row& row : rows) {
        for (const char* format : kFormats) {
            // Qt's PNG writer loses memory when libpng gives up on a refused write.
            if (std::string_view(format) == "png" && (row.sizeLimit != RLIM_INFINITY || row.stop)) {
                continue;
            }
            const std::string what = std::string(row.guards) + " as " + format;
            ScratchDir dir;
            const QString old = writeBytes(dir.path("map.out"), "the old map");
            QFile::setPermissions(old, row.permissions);
            QString failure;
            try {
                Stopper progress(row.stop);
                const FileSizeLimit limit(row.sizeLimit);
                failure =
                    exportPicture(map, dir.path(row.name), {.format = format}, progress).error;
            } catch (const WorkCancelled&) {
                failure = "stopped";
            }
            EXPECT_TRUE(failure.endsWith(row.reason)) << what << ": " << failure.toStdString();
            EXPECT_EQ(readBytes(old), QByteArray("the old map")) << what;
            EXPECT_EQ(
                QDir(dir.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                QStringList{"map.out"})
                << what << ": nothing left over";
        }
    }
}
