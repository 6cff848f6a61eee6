#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>

#include "print/scale_pdf.h"
#include "support/test_files.h"

using namespace tessara;

namespace {

constexpr double kPixelsPerMm = 300 / 25.4;  // of the rendered page
constexpr int kHexPixels = 40;

// Page 1 of a PDF as pdftoppm renders it at 300 dpi.
QImage renderFirstPage(const QString& pdf) {
    const QStringList options = QString("-r 300 -png -f 1 -l 1 -singlefile").split(' ');
    EXPECT_EQ(QProcess::execute("pdftoppm", options + QStringList{pdf, pdf + "-page"}), 0);
    return QImage(pdf + "-page.png").convertToFormat(QImage::Format_Grayscale8);
}

// The centres of the dark marks that cross a row of the page between two lengths in mm,
// weighted by their darkness so that anti-aliased edges count for what they are.
std::vector<double> darkMarksAlongRow(const QImage& page, double yMm, double fromMm, double toMm) {
    const int y = static_cast<int>(std::lround(yMm * kPixelsPerMm));
    const auto* pixels = page.constScanLine(y);
    std::vector<double> centres;
    double weight = 0;
    double moment = 0;
    const int last = static_cast<int>(toMm * kPixelsPerMm);
    for (int x = static_cast<int>(fromMm * kPixelsPerMm); x <= last; ++x) {
        const double dark = x < last ? 255 - pixels[x] : 0;
        if (dark > 64) {
            weight += dark;
            moment += dark * (x + 0.5);  // a pixel's middle
        } else if (weight > 0) {
            centres.push_back(moment / weight);
            weight = moment = 0;
        }
    }
    return centres;
}

// A white map with a black line, two pixels wide, every hex.
QImage linedMap(int width, int height) {
    QImage map(width, height, QImage::Format_RGB32);
    map.fill(Qt::white);
    QPainter painter(&map);
    for (int x = kHexPixels / 2; x + 1 < width; x += kHexPixels) {
        painter.fillRect(x, 0, 2, height, Qt::black);
    }
    return map;
}

bool havePoppler() {
    return !QStandardPaths::findExecutable("pdftoppm").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

ScalePdfSettings sixteenMillimetreHexes() {
    ScalePdfSettings settings;
    settings.pixelsPerMm = scaleForHexSize(kHexPixels, 16, LengthUnit::Millimetre);
    return settings;
}

}  // namespace

TEST(ScalePdf, PrintsHexesAndTheRulerAtTrueSize) {
    if (!havePoppler()) {
        GTEST_SKIP() << "pdftoppm and pdfinfo (poppler-utils) are not installed";
    }
    test::ScratchDir scratch;
    const QString pdf = scratch.path("map.pdf");
    // 400 x 240 mm at 16 mm a hex: three columns of A4 portrait, one row.
    ASSERT_EQ(writeScalePdf(linedMap(1000, 600), pdf, sixteenMillimetreHexes()).error, QString());
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished();
    EXPECT_TRUE(QString(info.readAllStandardOutput()).contains(QRegularExpression("Pages: +3\n")));
    const QImage page = renderFirstPage(pdf);
    ASSERT_FALSE(page.isNull());

    const double margin = kDefaultPdfMarginMm;
    const std::vector<double> lines = darkMarksAlongRow(page, margin + 100, 0, margin + 200);
    ASSERT_EQ(lines.size(), 12u) << "from 20 px, a line every 40 px of the 500 px the page shows";
    // The first line's middle is 21 px, 8.4 mm, into the map.
    // The renderer snaps an image's edges to whole pixels: within one of them.
    EXPECT_NEAR(lines.front(), (margin + 21 / 2.5) * kPixelsPerMm, 1.0);
    const double hex = 16 * kPixelsPerMm;  // 188.98 px
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_NEAR(lines[i] - lines[i - 1], hex, hex * 0.005) << "between lines " << i;
    }

    // The ruler's long ticks rise above its short ones: only 0, 50 and 100 mm cross here.
    const double footerTop = margin + 287 - kFooterMm;
    const std::vector<double> ticks =
        darkMarksAlongRow(page, footerTop + 4.5, 0, margin + kRulerMm + 1);
    ASSERT_EQ(ticks.size(), 3u);
    const double hundred = 100 * kPixelsPerMm;  // 1181.1 px
    EXPECT_NEAR(ticks[2] - ticks[0], hundred, hundred * 0.005);
    EXPECT_NEAR(ticks[1] - ticks[0], hundred / 2, hundred * 0.005);
    // From the page's corner by the exact margin: Qt's own rounding to points is 0.7 px.
    EXPECT_NEAR(ticks[0], margin * kPixelsPerMm, 0.5);

    // A cut mark above the map, in the page's margin, where page B's map begins.
    const std::vector<double> marks = darkMarksAlongRow(page, margin - 1.5, 0, 210);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_NEAR(marks[0], (margin + 190) * kPixelsPerMm, 0.5);
}

TEST(ScalePdf, EachPageEmbedsOnlyItsPartOfThePicture) {
    QImage noise(1200, 900, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y) {
        random.fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width() * 3 / 4);
    }
    ScalePdfSettings settings;
    settings.pixelsPerMm = 3;  // 400 x 300 mm: 3 x 2 pages of A4 portrait
    const TilePlanning planning = planScalePdf(noise.size(), settings);
    ASSERT_TRUE(planning.plan.has_value());
    ASSERT_EQ(planning.plan->pageCount(), 6);

    test::ScratchDir scratch;
    const QString pdf = scratch.path("noise.pdf");
    ASSERT_EQ(writeScalePdf(noise, pdf, settings).error, QString());
    const qint64 raw = qint64{noise.width()} * noise.height() * 3;
    const qint64 size = QFileInfo(pdf).size();
    EXPECT_GT(size, raw * 9 / 10) << "the noise is all there, not compressed away";
    EXPECT_LT(size, raw * 3 / 2) << "six pages, not six pictures";
    // Each page holds the pixels of its own part, unresampled, and no others.
    const QRegularExpression image("/Subtype /Image\\s*/Width (\\d+)\\s*/Height (\\d+)");
    std::vector<QSize> embedded, parts;
    for (const auto& m : image.globalMatch(QString::fromLatin1(test::readBytes(pdf)))) {
        embedded.emplace_back(m.captured(1).toInt(), m.captured(2).toInt());
    }
    for (const Tile& tile : planning.plan->tiles) {
        parts.push_back(tile.source.toAlignedRect().size());
    }
    EXPECT_EQ(embedded, parts);
}

TEST(ScalePdf, FailingOrCancellingLeavesNoFileAndTheOldOneAsItWas) {
    test::ScratchDir scratch;
    const QString old = scratch.path("old.pdf");
    test::writeBytes(old, "the old map");
    const QString fresh = scratch.path("fresh.pdf");
    const QImage map = linedMap(1000, 600);
    std::vector<std::pair<int, int>> calls;
    const PageProgress cancelSecond = [&](int done, int total) {
        calls.emplace_back(done, total);
        return done < 1;
    };
    const ScalePdfSettings sixteen = sixteenMillimetreHexes();
    ScalePdfSettings tooMuchOverlap = sixteen;
    tooMuchOverlap.overlapMm = 200;

    struct Row {
        const char* guards;
        QString path;
        ScalePdfSettings settings;
        PageProgress progress;
        const char* says;
    } const rows[] = {
        // clang-format off
        {"a folder that does not exist", scratch.path("none/map.pdf"), sixteen, {}, "No such file"},
        {"a file taken for a folder", old + "/map.pdf", sixteen, {}, "Not a directory"},
        {"cancelled on the second page", fresh, sixteen, cancelSecond, "Cancelled"},
        {"cancelled over an old file", old, sixteen, cancelSecond, "Cancelled"},
        {"a plan that cannot be made", old, tooMuchOverlap, {}, "overlap"},
        // clang-format on
    };
    for (const auto& row : rows) {
        calls.clear();
        const QString reason = writeScalePdf(map, row.path, row.settings, row.progress).error;
        EXPECT_TRUE(reason.contains(QLatin1String(row.says)))
            << row.guards << ": " << reason.toStdString();
        EXPECT_FALSE(QFile::exists(row.path) && row.path != old) << row.guards;
        EXPECT_EQ(test::readBytes(old), "the old map") << row.guards;
        if (row.progress) {
            EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}})) << row.guards;
        }
    }
    EXPECT_EQ(QDir(scratch.root()).entryList(QDir::Files), QStringList{"old.pdf"})
        << "no temporary file is left behind";

    calls.clear();
    const PageProgress count = [&](int done, int total) {
        calls.emplace_back(done, total);
        return true;
    };
    EXPECT_EQ(writeScalePdf(map, old, sixteen, count).error, QString());
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}}));
    EXPECT_TRUE(test::readBytes(old).startsWith("%PDF"));
}
