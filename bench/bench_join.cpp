// `tessara join` of a map scanned in four sections, as the user waits for it: each run a
// fresh process of the built program timed from its start to its exit, against a fresh
// process that only decodes the same four JPEGs one after the other, the median of RUNS of
// each; the joining process's peak resident memory against the board's pixels and one
// section's; and, on the board written, how far the printed lines lie from the grid the
// command printed and how many of the map's printed hexes it holds.
//
//   bench_join [RUNS]                  RUNS: processes per measurement, 3 by default
//   bench_join --decode SECTION...     the floor's process; the benchmark runs it itself
//   bench_join --draw FOLDER           draws the sections into FOLDER, once a run
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bench_support.h"
#include "cli/command_line.h"
#include "grid/hex_lattice.h"
#include "grid/lattice_fit.h"
#include "image/picture.h"
#include "photo/printed_fit.h"
#include "process_run.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::bench;

[[noreturn]] void tessara::bench::fail(const QString& what) {
    std::fprintf(stderr, "bench_join: %s\n", qPrintable(what));
    std::exit(1);
}

namespace {

constexpr int kDefaultRuns = 3;
constexpr int kScanQuality = 90;
constexpr double kTimeGoal = 3;          // joining over decoding the sections alone
constexpr double kMemoryGoal = 4.0 / 3;  // peak resident memory over the board and a section
constexpr double kMeanGoal = 0.2;        // pixels from the printed lines, on average
constexpr double kNinetyFifthGoal = 0.5;
constexpr double kHexCountGoal = 0.01;  // the share of the printed hexes the board may miss
// Near the seams the board is as like the map as elsewhere: the sections' own noise, within
// a tenth.
constexpr double kSeamGoal = 1.1;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr QSize kSection(6000, 4000);  // 24 megapixels, an A3 flatbed's scan at 300 dpi

// A map of 60 px hexes printed 11,100 x 7,400 px, scanned in four sections that overlap
// their neighbours by 900 and 600 px (15 %), each laid a little crooked on the scanner and
// scaled by it a little differently.
synthetic::ScanRecipe printedMap() {
    synthetic::ScanRecipe map;
    map.size = {11100, 7400};
    map.grid.hexPixels = 60;
    map.grid.rotation = 0.4;
    map.grid.offsetX = 11.3;
    map.grid.offsetY = 4.6;
    map.lineWidth = 2.5;
    map.lineGrey = 30;
    map.margin = 60;
    map.seed = 21;
    return map;
}

const synthetic::SectionCut kCuts[] = {
    {{0, 0, 6000, 4000}, 1.0, 1},
    {{5100, 0, 6000, 4000}, -0.8, 1.002},
    {{0, 3400, 6000, 4000}, 0.5, 0.998},
    {{5100, 3400, 6000, 4000}, -1.2, 1.001},
};

QStringList sectionFiles(const QString& folder) {
    QStringList files;
    for (size_t k = 0; k < std::size(kCuts); ++k) {
        files << QDir(folder).filePath(QStringLiteral("section-%1.jpg").arg(k + 1));
    }
    return files;
}

// ---- the measured processes ----

int decodeProcess(const QStringList& sections) {
    for (const QString& section : sections) {
        if (QImageReader(section).read().isNull()) {
            return 1;
        }
    }
    return 0;
}

// Drawn in a process of its own, which holds the whole map. Prints the printed hexes on the
// map, which the board is to hold.
int drawProcess(const QString& folder) {
    const synthetic::ScanRecipe recipe = printedMap();
    const QImage map = synthetic::drawScan(recipe);
    const QStringList files = sectionFiles(folder);
    for (size_t k = 0; k < std::size(kCuts); ++k) {
        QImageWriter writer(files[static_cast<int>(k)], "jpeg");
        writer.setQuality(kScanQuality);
        if (!writer.write(synthetic::scanSection(map, kCuts[k]))) {
            fail("cannot write a section: " + writer.errorString());
        }
    }
    std::printf("%d\n", printedFit(map, recipe.grid).hexes);
    return 0;
}

// ---- the benchmark ----

void accuracyReport(const QImage& board, const GridOptions& told, int printedHexes) {
    const PrintedFit on = printedFit(board, told);
    std::printf("\nThe board against the grid join printed (hexes %.2f px):\n", *told.hexPixels);
    goal("  printed lines from the grid's sides, mean, px", on.mean, kMeanGoal);
    goal("  printed lines from the grid's sides, 95th percentile, px", on.ninetyFifth,
         kNinetyFifthGoal);
    std::printf("%-62s %10d / %d\n", "  printed hexes, on the board / on the map", on.hexes,
                printedHexes);
    goal("  printed hexes the board misses or adds, share",
         std::abs(on.hexes - printedHexes) / static_cast<double>(printedHexes), kHexCountGoal);
}

// ---- the seams against the map ----

HexLattice latticeOn(const GridOptions& options, QSize picture) {
    const LatticeOnPicture l = latticeOf(options, *options.hexPixels, QSizeF(picture));
    return {l.centre, l.along, l.across + l.along / 2};
}

double greyAt(const QImage& picture, QPointF p) {
    const int x = static_cast<int>(std::floor(p.x()));
    const int y = static_cast<int>(std::floor(p.y()));
    if (x < 0 || y < 0 || x + 1 >= picture.width() || y + 1 >= picture.height()) {
        return -1;
    }
    const double u = p.x() - x, v = p.y() - y;
    const auto g = [&](int i, int j) {
        return qGray(reinterpret_cast<const QRgb*>(picture.constScanLine(j))[i]);
    };
    return (1 - v) * ((1 - u) * g(x, y) + u * g(x + 1, y)) +
           v * ((1 - u) * g(x, y + 1) + u * g(x + 1, y + 1));
}

// How far the board's grey is from the map's at the same place, on average, in a band of
// two hexes either side of where the sections meet (half way through their overlaps) and
// elsewhere on the printed area: a line doubled at a seam, or sections that disagree there,
// would make the band's larger than the rest's.
void seamReport(const QImage& board, const GridOptions& told) {
    const synthetic::ScanRecipe recipe = printedMap();
    const QImage map = synthetic::drawScan(recipe);
    const HexLattice onBoard = latticeOn(told, board.size());
    const HexLattice onMap = latticeOn(recipe.grid, map.size());
    const auto mapPoint = [&](QPointF p, QPoint shift) {
        return onMap.at(onBoard.coordinatesOf(p) + QPointF(shift));
    };
    // The whole hexes between the two lattices' first hexes: the shift that matches best.
    QPoint shift;
    double best = INFINITY;
    for (int j = -4; j <= 4; ++j) {
        for (int i = -4; i <= 4; ++i) {
            double sum = 0;
            int n = 0;
            for (int y = board.height() / 8; y < board.height() * 7 / 8; y += 97) {
                for (int x = board.width() / 8; x < board.width() * 7 / 8; x += 97) {
                    const double m = greyAt(map, mapPoint(QPointF(x, y), {i, j}));
                    if (m >= 0) {
                        sum += std::abs(greyAt(board, QPointF(x, y)) - m);
                        ++n;
                    }
                }
            }
            if (n > 0 && sum / n < best) {
                best = sum / n;
                shift = {i, j};
            }
        }
    }
    const QRectF printed = synthetic::printedArea(recipe).adjusted(60, 60, -60, -60);
    const double seamX = (kCuts[1].part.left() + kCuts[0].part.right()) / 2.0;
    const double seamY = (kCuts[2].part.top() + kCuts[0].part.bottom()) / 2.0;
    const double band = 2 * *recipe.grid.hexPixels;
    double inBand = 0, elsewhere = 0;
    int bandCount = 0, elsewhereCount = 0;
    for (int y = 0; y < board.height(); y += 2) {
        for (int x = 0; x < board.width(); x += 2) {
            const QPointF q = mapPoint(QPointF(x, y), shift);
            if (!printed.contains(q)) {
                continue;
            }
            const double d = std::abs(greyAt(board, QPointF(x, y)) - greyAt(map, q));
            if (std::abs(q.x() - seamX) < band || std::abs(q.y() - seamY) < band) {
                inBand += d;
                ++bandCount;
            } else {
                elsewhere += d;
                ++elsewhereCount;
            }
        }
    }
    std::printf("\nThe board against the map it was scanned from, grey levels:\n");
    line("  mean difference within two hexes of the seams", inBand / std::max(1, bandCount), "");
    line("  mean difference elsewhere on the printed area", elsewhere / std::max(1, elsewhereCount),
         "");
    goal("  the seams' over the rest's",
         (inBand / std::max(1, bandCount)) / (elsewhere / std::max(1, elsewhereCount)), kSeamGoal);
}

int benchmark(int runs) {
    const QString loadBefore = loadAverage();
    const QTemporaryDir dir;
    const QString board = dir.filePath("board.png");
    const QString self = QCoreApplication::applicationFilePath();
    const Run drawn = runProcess(self, {"--draw", dir.path()}, dir.filePath("draw.out"));
    const int printedHexes = drawn.out.trimmed().toInt();
    const QStringList sections = sectionFiles(dir.path());
    Medians decoding, joining;
    QString printed;
    // Alternated, each onto a fresh file and after the last run's bytes reached the disk, so
    // that no run meets another's write-back.
    for (int run = 0; run < runs; ++run) {
        ::sync();
        decoding.add(runProcess(self, QStringList{"--decode"} + sections, dir.filePath("d.out")));
        QFile::remove(board);
        ::sync();
        const Run joined = runProcess(QStringLiteral(TESSARA_PROGRAM),
                                      QStringList{"join"} + sections + QStringList{board},
                                      dir.filePath("join.out"));
        if (!printed.isEmpty() && joined.out != printed) {
            fail("tessara join printed other options on another run");
        }
        printed = joined.out;
        joining.add(joined);
    }
    const QImage flat = QImageReader(board).read();
    if (flat.isNull()) {
        fail("tessara join wrote no board that reads back");
    }
    double sectionsBytes = 0;
    for (const QString& s : sections) {
        sectionsBytes += static_cast<double>(QFile(s).size());
    }
    const double sectionMiB = kSection.width() * 4.0 * kSection.height() / kMiB;
    const double boardMiB = flat.width() * 4.0 * flat.height() / kMiB;

    std::printf(
        "tessara join of %zu sections, %d x %d JPEG scans (quality %d, %.1f MiB in all; drawn "
        "in %.1f s, not timed),\nof a %d x %d map: median of %d fresh processes each\n",
        std::size(kCuts), kSection.width(), kSection.height(), kScanQuality, sectionsBytes / kMiB,
        drawn.ms / 1e3, printedMap().size.width(), printedMap().size.height(), runs);
    std::printf("%d processors, load average %s before, %s after\n", QThread::idealThreadCount(),
                qPrintable(loadBefore), qPrintable(loadAverage()));
    std::printf("options printed: %s", qPrintable(printed));
    line("floor: a process decoding the four sections (QImageReader)", median(decoding.ms), "ms");
    line("tessara join section-1.jpg ... section-4.jpg board.png", median(joining.ms), "ms");
    line("  its processor time (user and system, every thread)", median(joining.processorMs), "ms");
    goal("tessara join / decoding", median(joining.ms) / median(decoding.ms), kTimeGoal);
    line("  the same in processor time", median(joining.processorMs) / median(decoding.processorMs),
         "");
    std::printf("\n");
    line("peak resident memory, decoding", median(decoding.peakMiB), "MiB");
    line("peak resident memory, tessara join", median(joining.peakMiB), "MiB");
    line("  the benchmark's own as it started them, below which none reads",
         std::max(decoding.parentMiB, joining.parentMiB), "MiB");
    std::printf("%-62s %10.3f MiB (%d x %d)\n", "one section's pixels, 4 bytes each", sectionMiB,
                kSection.width(), kSection.height());
    std::printf("%-62s %10.3f MiB (%d x %d)\n", "the board's pixels, 4 bytes each", boardMiB,
                flat.width(), flat.height());
    goal("peak resident memory / (the board and one section)",
         median(joining.peakMiB) / (boardMiB + sectionMiB), kMemoryGoal);
    accuracyReport(flat.convertToFormat(QImage::Format_RGB32), printedOptions(printed, "join"),
                   printedHexes);
    seamReport(flat.convertToFormat(QImage::Format_RGB32), printedOptions(printed, "join"));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == "--decode") {
        const QCoreApplication app(argc, argv);
        raiseImageAllocationLimit();
        QStringList sections;
        for (int k = 2; k < argc; ++k) {
            sections << QString::fromLocal8Bit(argv[k]);
        }
        return decodeProcess(sections);
    }
    offscreenUnlessSet();
    const QGuiApplication app(argc, argv);  // the map's labels need fonts
    raiseImageAllocationLimit();
    if (mode == "--draw") {
        return drawProcess(QString::fromLocal8Bit(argv[2]));
    }
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : kDefaultRuns;
    if (runs < 1) {
        fail("RUNS must be a whole number of at least 1");
    }
    return benchmark(runs);
}
