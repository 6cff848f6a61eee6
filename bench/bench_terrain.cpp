// `tessara terrain` on a 48-megapixel printed hex map of about 30,000 hexes, as the user
// waits for it: each run a fresh process of the built program timed from its start to its
// exit, against a fresh process that only decodes the same JPEG, the median of RUNS of
// each; the command's peak resident memory beyond a process's that decodes the map; and, in
// the table it wrote, how many hexes have the terrain the map was drawn with, by a legend of
// one sample hex a class and grouped without one.
//
//   bench_terrain [RUNS]             RUNS: processes per measurement, 3 by default
//   bench_terrain --decode MAP       the floor's process; the benchmark runs it itself
//   bench_terrain --draw MAP TRUTH   draws the map, and each hex's number and terrain
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "bench_support.h"
#include "process_run.h"
#include "terrain_maps.h"

using namespace tessara;
using namespace tessara::bench;

[[noreturn]] void tessara::bench::fail(const QString& what) {
    std::fprintf(stderr, "bench_terrain: %s\n", qPrintable(what));
    std::exit(1);
}

namespace {

constexpr int kDefaultRuns = 3;
constexpr int kClasses = 6;
constexpr double kTimeGoal = 2;          // classifying over decoding the map alone
constexpr double kMemoryGoal = 1.0 / 5;  // peak memory beyond the map's pixels, over them
constexpr double kLegendGoal = 0.99;     // hexes right with one sample hex a class
constexpr double kGroupedGoal = 0.97;    // hexes right when grouped into as many classes
constexpr double kMiB = 1024.0 * 1024.0;
const QString kGrid = QStringLiteral("--hex-pixels 43 --offset 3,2");

test::TerrainMapCase largeMap() {
    test::TerrainMapCase c;
    c.classes = kClasses;
    c.size = QSize(8000, 6000);
    c.hexPixels = 43;
    c.jpegQuality = 90;
    c.seed = 7;
    return c;
}

int decodeProcess(const QString& map) {
    return QImageReader(map).read().isNull() ? 1 : 0;
}

// The map as a JPEG, and beside it a line a hex: its number and the class drawn there. The
// legend names the first hex of each class.
int drawProcess(const QString& path, const QString& truthPath) {
    const test::TerrainTestMap map = test::drawTerrainMap(largeMap());
    QFile jpeg(path), truth(truthPath);
    if (!jpeg.open(QIODevice::WriteOnly) || !truth.open(QIODevice::WriteOnly)) {
        fail("cannot write the map");
    }
    if (jpeg.write(map.jpeg) != map.jpeg.size()) {
        fail("cannot write the map");
    }
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        truth.write(map.hexes[i].number.toLatin1() + ' ' + QByteArray::number(map.truth[i]) + '\n');
    }
    return 0;
}

std::map<QString, int> readTruth(const QString& path) {
    QFile file(path);
    std::map<QString, int> truth;
    if (!file.open(QIODevice::ReadOnly)) {
        fail("no truth beside the map");
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            truth[QString::fromLatin1(line.split(' ')[0])] = line.split(' ')[1].toInt();
        }
    }
    return truth;
}

QString legendOf(const std::map<QString, int>& truth) {
    std::map<int, QString> first;
    for (const auto& [number, terrain] : truth) {
        first.emplace(terrain, number);
    }
    QString legend;
    for (const auto& [terrain, number] : first) {
        legend += QStringLiteral("Class %1: %2\n").arg(terrain).arg(number);
    }
    return legend;
}

// The share of the table's hexes whose class is the one drawn: by name for a legend's
// classes ("Class 3"), and for found ones by the class drawn most in each.
double rightShare(const QString& table, const std::map<QString, int>& truth, bool named) {
    QFile file(table);
    if (!file.open(QIODevice::ReadOnly)) {
        fail("tessara terrain wrote no table");
    }
    std::vector<std::pair<int, QString>> rows;  // drawn, found
    for (const QByteArray& line : file.readAll().split('\n').mid(1)) {
        const QList<QByteArray> fields = line.split(',');
        const auto drawn = truth.find(QString::fromLatin1(fields[0]));
        if (fields.size() == 7 && drawn != truth.end()) {
            rows.emplace_back(drawn->second, QString::fromUtf8(fields[5]));
        }
    }
    if (rows.size() != truth.size()) {
        fail(QStringLiteral("the table holds %1 of the %2 hexes")
                 .arg(rows.size())
                 .arg(truth.size()));
    }
    std::map<QString, std::map<int, int>> votes;
    for (const auto& [drawn, found] : rows) {
        ++votes[found][drawn];
    }
    int right = 0;
    for (const auto& [found, drawn] : votes) {
        for (const auto& [terrain, count] : drawn) {
            const bool same =
                named ? found == QStringLiteral("Class %1").arg(terrain)
                      : terrain == std::max_element(drawn.begin(), drawn.end(), [](auto a, auto b) {
                                       return a.second < b.second;
                                   })->first;
            right += same ? count : 0;
        }
    }
    return static_cast<double>(right) / static_cast<double>(rows.size());
}

int benchmark(int runs) {
    const QString loadBefore = loadAverage();
    const QTemporaryDir dir;
    const QString map = dir.filePath("map.jpg"), truthFile = dir.filePath("truth.txt");
    const QString legend = dir.filePath("legend.txt");
    const QString self = QCoreApplication::applicationFilePath();
    const double drawn = runProcess(self, {"--draw", map, truthFile}, dir.filePath("draw.out")).ms;
    const std::map<QString, int> truth = readTruth(truthFile);
    QFile legendFile(legend);
    if (!legendFile.open(QIODevice::WriteOnly) || legendFile.write(legendOf(truth).toUtf8()) < 0) {
        fail("cannot write the legend");
    }
    legendFile.close();
    const QStringList grid = kGrid.split(' ');
    Medians decoding, byLegend, grouped;
    for (int run = 0; run < runs; ++run) {
        ::sync();
        decoding.add(runProcess(self, {"--decode", map}, dir.filePath("decode.out")));
        byLegend.add(runProcess(
            QStringLiteral(TESSARA_PROGRAM),
            QStringList{"terrain", map, dir.filePath("legend.csv"), "--legend", legend} + grid,
            dir.filePath("legend.out")));
        grouped.add(runProcess(QStringLiteral(TESSARA_PROGRAM),
                               QStringList{"terrain", map, dir.filePath("grouped.csv"), "--classes",
                                           QString::number(kClasses)} +
                                   grid,
                               dir.filePath("grouped.out")));
    }
    const QSize size = largeMap().size;
    const double mapMiB = size.width() * 4.0 * size.height() / kMiB;
    std::printf(
        "tessara terrain on a %d x %d JPEG map (%.1f MiB; drawn in %.1f s, not timed), %zu "
        "hexes of %d classes,\nmedian of %d fresh processes each\n",
        size.width(), size.height(), static_cast<double>(QFile(map).size()) / kMiB, drawn / 1e3,
        truth.size(), kClasses, runs);
    std::printf("%d processors, load average %s before, %s after\n", QThread::idealThreadCount(),
                qPrintable(loadBefore), qPrintable(loadAverage()));
    line("floor: a process decoding the map (QImageReader)", median(decoding.ms), "ms");
    const struct {
        const char* name;
        const Medians& runs;
    } commands[] = {{"tessara terrain --legend (a sample hex a class)", byLegend},
                    {"tessara terrain --classes 6", grouped}};
    for (const auto& command : commands) {
        line(command.name, median(command.runs.ms), "ms");
        line("  its processor time (user and system, every thread)",
             median(command.runs.processorMs), "ms");
        goal("  / decoding", median(command.runs.ms) / median(decoding.ms), kTimeGoal);
        line("  peak resident memory", median(command.runs.peakMiB), "MiB");
        // Beyond the map as a process holds it decoded: its pixels and the libraries.
        goal("  beyond the decoding process's peak, over the map's pixels",
             (median(command.runs.peakMiB) - median(decoding.peakMiB)) / mapMiB, kMemoryGoal);
        line("  beyond the map's pixels alone, over them",
             (median(command.runs.peakMiB) - mapMiB) / mapMiB, "");
    }
    line("peak resident memory, decoding", median(decoding.peakMiB), "MiB");
    line("the map's pixels, 4 bytes each", mapMiB, "MiB");
    line("  the benchmark's own as it started them, below which none reads",
         std::max({decoding.parentMiB, byLegend.parentMiB, grouped.parentMiB}), "MiB");
    std::printf("\nHexes whose class is the one drawn (labels, hex numbers, a road; JPEG):\n");
    goal("  by the legend, share wrong", 1 - rightShare(dir.filePath("legend.csv"), truth, true),
         1 - kLegendGoal);
    goal("  grouped into 6 classes, share wrong",
         1 - rightShare(dir.filePath("grouped.csv"), truth, false), 1 - kGroupedGoal);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == "--decode") {
        const QCoreApplication app(argc, argv);
        raiseImageAllocationLimit();
        return decodeProcess(QString::fromLocal8Bit(argv[2]));
    }
    offscreenUnlessSet();
    const QGuiApplication app(argc, argv);  // the hex numbers need fonts
    raiseImageAllocationLimit();
    if (mode == "--draw" && argc > 3) {
        return drawProcess(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : kDefaultRuns;
    if (runs < 1) {
        fail("RUNS must be a whole number of at least 1");
    }
    return benchmark(runs);
}
