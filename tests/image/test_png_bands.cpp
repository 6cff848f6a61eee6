#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <utility>
#include <vector>

#include "image/png_bands.h"
#include "support/file_size_limit.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// Each channel follows its own formula, so that swapped channels, rows or columns show.
QRgb boardPixel(int x, int y) {
    return qRgb((x * 37 + y * 11) & 0xff, (x * y + 3 * y) & 0xff, (x ^ (y * 7)) & 0xff);
}

// Paints the formula, in the band it is given or in a picture of its own that replaces it,
// and throws at its call number `failAt`.
struct BoardMaker {
    bool replaces = false;
    int failAt = -1;
    std::atomic<int> calls = 0;  // bands are made on several threads at once

    void operator()(int top, QImage& band) {
        if (calls++ == failAt) {
            throw std::runtime_error("no band today");
        }
        QImage painted(band.size(), QImage::Format_ARGB32);
        QImage& into = replaces ? painted : band;
        for (int y = 0; y < band.height(); ++y) {
            for (int x = 0; x < band.width(); ++x) {
                into.setPixel(x, y, boardPixel(x, top + y));
            }
        }
        if (replaces) {
            band = painted;
        }
    }
};

struct Reports final : Progress {
    int stopAt = -1;
    std::vector<double> fractions;
    void step(const QString&) override {}
    bool advance(double fraction) override {
        fractions.push_back(fraction);
        return static_cast<int>(fractions.size()) - 1 != stopAt;
    }
};

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

TEST(WritePngInBands, ReadsBackPixelForPixel) {
    const std::pair<QSize, bool> rows[] = {{{1, 1}, false},     {{7, 3}, false},
                                           {{301, 130}, false}, {{301, 130}, true},
                                           {{40, 96}, false},   {{2, 1000}, false}};
    for (const auto& [size, replaces] : rows) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height()
                                        << (replaces ? ", bands replaced" : ""));
        ScratchDir dir;
        BoardMaker maker;
        maker.replaces = replaces;
        Reports reports;
        const BandMaker make = [&](int top, QImage& band) { maker(top, band); };
        ASSERT_EQ(writePngInBands(dir.path("board.png"), size, make, reports).error, QString());
        const QImage back(dir.path("board.png"), "PNG");
        EXPECT_FALSE(back.hasAlphaChannel());
        EXPECT_EQ(back.dotsPerMeterX(), QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX());
        QImage whole(size, QImage::Format_RGB32);
        BoardMaker()(0, whole);
        EXPECT_TRUE(back.convertToFormat(QImage::Format_RGB32) == whole);
        // One report a band, the last at the end.
        EXPECT_EQ(reports.fractions.size(), static_cast<std::size_t>(maker.calls));
        EXPECT_TRUE(std::is_sorted(reports.fractions.begin(), reports.fractions.end()));
        EXPECT_EQ(reports.fractions.back(), 1.0);
        EXPECT_EQ(entries(dir.root()), QStringList{"board.png"}) << "nothing left over";
    }
}

TEST(WritePngInBands, AFailureOrAStopLeavesTheOldFile) {
    struct Row {
        const char* guards;
        const char* name;
        const char* outcome;  // the end of what the writer came to
        int failAt = -1, stopAt = -1;
        rlim_t sizeLimit = RLIM_INFINITY;
        QSize size{301, 130};
    };
    const Row rows[] = {
        {"a maker that throws on its third band", "board.png", "threw: no band today", 2},
        {"the user stopping at the first report", "board.png", "stopped", -1, 0},
        {"a disk that fills up part way", "board.png", "File too large", -1, -1, 2000},
        {"a folder that does not exist", "gone/board.png", "No such file or directory"},
        {"a picture without pixels",
         "board.png",
         "cannot be a PNG.",
         -1,
         -1,
         RLIM_INFINITY,
         {0, 9}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        ScratchDir dir;
        writeBytes(dir.path("board.png"), "the old board");
        BoardMaker maker;
        maker.failAt = row.failAt;
        Reports reports;
        reports.stopAt = row.stopAt;
        const BandMaker make = [&](int top, QImage& band) { maker(top, band); };
        QString outcome;
        try {
            const FileSizeLimit limit(row.sizeLimit);
            outcome = writePngInBands(dir.path(row.name), row.size, make, reports).error;
        } catch (const std::runtime_error& error) {
            outcome = QStringLiteral("threw: ") + error.what();
        } catch (const WorkCancelled&) {
            outcome = "stopped";
        }
        EXPECT_TRUE(outcome.endsWith(row.outcome)) << outcome.toStdString();
        EXPECT_EQ(readBytes(dir.path("board.png")), "the old board");
        EXPECT_EQ(entries(dir.root()), QStringList{"board.png"}) << "nothing left over";
    }
}
