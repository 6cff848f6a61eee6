#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <optional>
#include <vector>

#include "image/picture_export.h"
#include "support/as_nobody.h"
#include "support/file_size_limit.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

constexpr const char* kFormats[] = {"png", "jpeg", "tiff", "bmp"};

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QImage greyScan(int width, int height) {
    QImage grey(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) {
        table.append(qRgb(i, i, i));
    }
    grey.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grey.setPixel(x, y, static_cast<uint>((x * 7 + y * 3) % 256));
        }
    }
    return grey;
}

}  // namespace

TEST(ExportPicture, EachFormatReadsBackWithItsPixelsAndResolution) {
    struct Row {
        const char* guards;
        QImage image;
        double dotsPerInch;
        int expectedPerMetre;  // 0: the picture's own
    };
    QImage scan = makeMap(40, 30);
    scan.setDotsPerMeterX(10000);  // 254 dpi, as the scanner recorded it
    scan.setDotsPerMeterY(10000);
    QImage grey = greyScan(33, 17);
    grey.setDotsPerMeterX(10000);
    grey.setDotsPerMeterY(10000);
    const Row rows[] = {
        {"a colour map, its own resolution kept", scan, 0, 10000},
        {"a colour map at 300 dpi", scan, 300, 11811},
        {"a grey scan at 300 dpi, its palette kept", grey, 300, 11811},
        {"a colour map at 150.5 dpi", scan, 150.5, 5925},
    };
    // Away from the map's dark diagonal, which JPEG blurs.
    const QPoint spots[] = {{30, 5}, {5, 16}, {36, 2}, {12, 14}};
    ScratchDir dir;
    for (const Row& row : rows) {
        for (const char* format : kFormats) {
            const std::string what = std::string(row.guards) + " as " + format;
            const bool wholeDotsOnly =
                std::string_view(format) == "jpeg" || std::string_view(format) == "tiff";
            if (row.dotsPerInch == 150.5 && wholeDotsOnly) {
                continue;  // JFIF and Qt's TIFF writer keep whole dots per inch only
            }
            const QString path = dir.path(QStringLiteral("map.%1").arg(format));
            ExportOptions options;
            options.format = format;
            options.dotsPerInch = row.dotsPerInch;
            ASSERT_EQ(exportPicture(Picture(row.image), path, options), QString()) << what;
            QImageReader reader(path);
            EXPECT_EQ(reader.format(), QByteArray(format)) << what;
            const QImage back = reader.read();
            ASSERT_EQ(back.size(), row.image.size()) << what;
            const int tolerance = std::string_view(format) == "jpeg" ? 12 : 0;
            for (const QPoint spot : spots) {
                EXPECT_LE(channelDistance(back.pixel(spot), row.image.pixel(spot)), tolerance)
                    << what << " at " << spot.x() << "," << spot.y();
            }
            EXPECT_EQ(back.dotsPerMeterX(), row.expectedPerMetre) << what;
            EXPECT_EQ(back.dotsPerMeterY(), row.expectedPerMetre) << what;
        }
        EXPECT_EQ(row.image.dotsPerMeterX(), 10000) << row.guards << ": the picture is unchanged";
    }
}

TEST(ExportPicture, TheCommandLinesFilesAreWhatTheyWere) {
    ScratchDir dir;
    const Picture map(makeMap(64, 48));
    SavePicture(map, dir.path("saved.bmp"));
    ASSERT_EQ(writeOutputFile(map, dir.path("out.bmp"), "bmp"), QString());
    EXPECT_EQ(readBytes(dir.path("out.bmp")), readBytes(dir.path("saved.bmp")))
        << "a bitmap is written exactly as the window saves a map";

    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QImageWriter writer(&jpeg, "jpeg");
    writer.setQuality(92);
    ASSERT_TRUE(writer.write(map.image()));
    ASSERT_EQ(writeOutputFile(map, dir.path("out.jpg"), "jpeg"), QString());
    EXPECT_EQ(readBytes(dir.path("out.jpg")), jpeg.data()) << "JPEG at quality 92";
}

TEST(ExportPicture, ALowerJpegQualityMakesASmallerFile) {
    ScratchDir dir;
    const Picture map(makeMap(200, 150));
    qint64 sizes[2] = {};
    const int qualities[2] = {50, 92};
    for (int k = 0; k < 2; ++k) {
        ExportOptions options;
        options.format = "jpeg";
        options.jpegQuality = qualities[k];
        const QString path = dir.path(QStringLiteral("q%1.jpg").arg(qualities[k]));
        ASSERT_EQ(exportPicture(map, path, options), QString());
        sizes[k] = QFileInfo(path).size();
    }
    EXPECT_LT(sizes[0], sizes[1]);
}

TEST(ExportPicture, AFailureSaysWhyAndLeavesTheOldFile) {
    struct Row {
        const char* guards;
        std::function<QString(const ScratchDir&, const QString& name)> make;
        const char* reason;  // the end of the reason
        bool needsNobody = false;
        rlim_t sizeLimit = 0;
    };
    const Row rows[] = {
        {"a folder that does not exist",
         [](const ScratchDir& d, const QString& name) { return d.path("gone/" + name); },
         "No such file or directory"},
        {"a folder without write permission",
         [](const ScratchDir& d, const QString& name) {
             QDir(d.root()).mkdir("locked");
             const QString path = writeBytes(d.path("locked/" + name), "the old map");
             QFile::setPermissions(d.path("locked"),
                                   QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                       QFileDevice::ReadOther | QFileDevice::ExeOther);
             return path;
         },
         "Permission denied", true},
        {"a read-only file",
         [](const ScratchDir& d, const QString& name) {
             const QString path = writeBytes(d.path(name), "the old map");
             QFile::setPermissions(path, QFileDevice::ReadOwner);
             return path;
         },
         "is read-only."},
        {"a folder with the file's name",
         [](const ScratchDir& d, const QString& name) {
             QDir(d.root()).mkdir(name);
             return d.path(name);
         },
         "is a folder."},
        {"a disk that fills up part way",
         [](const ScratchDir& d, const QString& name) {
             return writeBytes(d.path(name), "the old map");
         },
         "File too large", false, 3000},
    };
    const Picture map(makeMap(300, 200));
    for (const Row& row : rows) {
        for (const char* format : kFormats) {
            // Qt's PNG writer loses memory when libpng gives up on a full disk.
            if (row.sizeLimit > 0 && std::string_view(format) == "png") {
                continue;
            }
            const std::string what = std::string(row.guards) + " as " + format;
            ScratchDir dir;
            const QString path = row.make(dir, QStringLiteral("map.%1").arg(format));
            const QString folder = QFileInfo(path).absolutePath();
            const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
            const QByteArray old = QFileInfo(path).isFile() ? readBytes(path) : QByteArray();
            ExportOptions options;
            options.format = format;
            QString failure;
            {
                std::optional<AsNobody> nobody;
                std::optional<FileSizeLimit> limit;
                if (row.needsNobody) {
                    nobody.emplace();
                    ASSERT_TRUE(nobody->ok()) << what;
                }
                if (row.sizeLimit > 0) {
                    limit.emplace(row.sizeLimit);
                }
                failure = exportPicture(map, path, options);
            }
            EXPECT_TRUE(failure.endsWith(row.reason)) << what << ": " << failure.toStdString();
            if (QFileInfo(path).isFile()) {
                EXPECT_EQ(readBytes(path), old) << what << ": the old file is kept";
            } else {
                EXPECT_FALSE(QFileInfo::exists(path) && !QFileInfo(path).isDir()) << what;
            }
            EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), before)
                << what << ": nothing left over";
        }
    }
}

TEST(ExportPicture, AnUnknownFormatIsRefusedBeforeAnythingIsWritten) {
    ScratchDir dir;
    ExportOptions options;
    options.format = "gif";
    EXPECT_EQ(exportPicture(Picture(makeMap(8, 8)), dir.path("map.gif"), options),
              QString("Pictures cannot be written as \"gif\"."));
    EXPECT_FALSE(QFileInfo::exists(dir.path("map.gif")));
}

TEST(PictureFormats, SuffixesAndFormatsNameEachOther) {
    const std::pair<const char*, const char*> suffixes[] = {
        {"png", "png"},  {"PNG", "png"},   {"jpg", "jpeg"}, {"JPeG", "jpeg"},
        {"tif", "tiff"}, {"TIFF", "tiff"}, {"bmp", "bmp"},  {"gif", ""},
        {"", ""},        {"pngx", ""},     {".png", ""},    {"jp", ""},
    };
    for (const auto& [suffix, format] : suffixes) {
        EXPECT_EQ(formatForSuffix(suffix), QByteArray(format)) << suffix;
    }
    const std::pair<const char*, const char*> formats[] = {
        {"png", "png"}, {"jpeg", "jpg"}, {"tiff", "tif"}, {"bmp", "bmp"}, {"gif", ""}, {"", ""}};
    for (const auto& [format, suffix] : formats) {
        EXPECT_EQ(suffixForFormat(format), QString(suffix)) << format;
        if (*suffix != '\0') {
            EXPECT_EQ(formatForSuffix(suffixForFormat(format)), QByteArray(format)) << format;
        }
    }
}

namespace {

// Records what the window's progress would show, and stops the work at the advance asked.
class Recorder final : public Progress {
  public:
    explicit Recorder(int stopAt = -1) : stopAt_(stopAt) {}
    void step(const QString&) override {}
    bool advance(double fraction) override {
        fractions.push_back(fraction);
        return static_cast<int>(fractions.size()) != stopAt_ + 1;
    }
    std::vector<double> fractions;

  private:
    int stopAt_;
};

}  // namespace

TEST(ExportPicture, ShowsItsProgressAndStopsWhenTheUserAsks) {
    const Picture map(makeMap(600, 400));
    for (const char* format : kFormats) {
        ScratchDir dir;
        const QString path = writeBytes(dir.path("map.out"), "the old map");
        ExportOptions options;
        options.format = format;
        Recorder shown;
        ASSERT_EQ(exportPicture(map, path, options, shown), QString()) << format;
        ASSERT_FALSE(shown.fractions.empty()) << format;
        EXPECT_TRUE(std::is_sorted(shown.fractions.begin(), shown.fractions.end())) << format;
        EXPECT_GE(shown.fractions.front(), 0.0) << format;
        EXPECT_LT(shown.fractions.back(), 1.0) << format;

        // Qt's PNG writer loses memory when its device refuses bytes, as on a full disk.
        if (std::string_view(format) == "png") {
            continue;
        }
        writeBytes(path, "the old map");
        Recorder stopping(0);
        EXPECT_THROW(exportPicture(map, path, options, stopping), WorkCancelled) << format;
        EXPECT_EQ(readBytes(path), QByteArray("the old map")) << format;
        EXPECT_EQ(QDir(dir.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"map.out"})
            << format;
    }
}
