// Grid > Find Printed Grid as the user waits for it: on a 24-megapixel scan, a fresh process
// that decodes the JPEG and finds the printed grid, against a fresh process that only
// decodes it, each the best of RUNS; the finding process's peak resident memory against
// the picture's bytes; and how far the found grid's lines lie from the printed ones.
//
//   bench_find_grid [RUNS]          RUNS: processes per measurement, 3 by default
//   bench_find_grid --decode MAP    one process that decodes; the benchmark runs it itself
//   bench_find_grid --find MAP      one process that decodes and finds
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_support.h"
#include "grid/find_grid.h"
#include "grid_error.h"
#include "image/picture.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

constexpr int kDefaultRuns = 3;
constexpr double kTimeGoal = 3;          // finding and decoding over decoding alone
constexpr double kMemoryGoal = 4.0 / 3;  // peak resident memory over the picture's bytes
constexpr int kMeasuredSides = 20000;
constexpr int kJpegQuality = 90;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_find_grid: %s\n", qPrintable(what));
    std::exit(1);
}

// ---- the measured processes ----

QImage decode(const QString& map) {
    const QImage image = QImageReader(map).read();
    if (image.isNull()) {
        fail("cannot decode " + map);
    }
    return image;
}

int decodeProcess(const QString& map) {
    const QImage image = decode(map);
    std::printf("peak %.3f\n", peakResidentMiB());
    return 0;
}

int findProcess(const QString& map) {
    const QImage image = decode(map);
    std::optional<GridOptions> found;
    const double ms = millisecondsOf([&] { found = findPrintedGrid(image); });
    if (!found) {
        fail("no grid found");
    }
    std::printf("found %d %.12g %.12g %.12g %.12g %.12g %.12g %d\n",
                found->orientation == GridOrientation::Columns ? 1 : 0, *found->hexPixels,
                found->stretch, found->rotation, found->skew, found->offsetX, found->offsetY,
                found->shifted == ShiftedLines::Second ? 1 : 0);
    std::printf("finding %.3f\n", ms);
    std::printf("peak %.3f\n", peakResidentMiB());
    return 0;
}

// ---- the benchmark ----

struct Child {
    double ms = 0;
    QStringList lines;

    double figure(const QString& name) const {
        for (const QString& line : lines) {
            if (line.startsWith(name + ' ')) {
                return line.section(' ', 1, 1).toDouble();
            }
        }
        fail("the measured process printed no " + name);
    }
};

Child run(const QStringList& arguments) {
    QProcess process;
    Child child;
    child.ms = millisecondsOf([&] {
        process.start(QCoreApplication::applicationFilePath(), arguments);
        process.waitForFinished(-1);
    });
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail("a measured process failed: " +
             QString::fromLocal8Bit(process.readAllStandardError()));
    }
    child.lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n');
    return child;
}

GridOptions foundOptions(const Child& child) {
    for (const QString& line : child.lines) {
        const QStringList f = line.split(' ');
        if (f.value(0) == "found" && f.size() == 9) {
            GridOptions o;
            o.orientation = f[1] == "1" ? GridOrientation::Columns : GridOrientation::Rows;
            o.hexPixels = f[2].toDouble();
            o.stretch = f[3].toDouble();
            o.rotation = f[4].toDouble();
            o.skew = f[5].toDouble();
            o.offsetX = f[6].toDouble();
            o.offsetY = f[7].toDouble();
            o.shifted = f[8] == "1" ? ShiftedLines::Second : ShiftedLines::First;
            return o;
        }
    }
    fail("the finding process printed no options");
}

int benchmark(int runs) {
    const synthetic::ScanRecipe recipe = largeScan();
    const QTemporaryDir dir;
    const QString map = dir.filePath("scan.jpg");
    {
        QImageWriter writer(map, "jpeg");
        writer.setQuality(kJpegQuality);
        if (!writer.write(synthetic::drawScan(recipe))) {
            fail("cannot write the scan: " + writer.errorString());
        }
    }
    double decodeMs = 1e300, findMs = 1e300, findingMs = 1e300;
    double decodePeak = 0, findPeak = 0;
    std::optional<Child> last;
    for (int i = 0; i < runs; ++i) {
        const Child decoding = run({"--decode", map});
        const Child finding = run({"--find", map});
        decodeMs = std::min(decodeMs, decoding.ms);
        findMs = std::min(findMs, finding.ms);
        findingMs = std::min(findingMs, finding.figure("finding"));
        decodePeak = std::max(decodePeak, decoding.figure("peak"));
        findPeak = std::max(findPeak, finding.figure("peak"));
        last = finding;
    }
    const double pictureMiB = recipe.size.width() * 4.0 * recipe.size.height() / (1024 * 1024);
    const GridOptions& known = recipe.grid;
    const synthetic::GridError error = synthetic::gridError(
        known, foundOptions(*last), recipe.size, synthetic::printedArea(recipe), kMeasuredSides);
    std::printf(
        "Find Printed Grid on a %d x %d JPEG scan (quality %d), best of %d fresh processes\n",
        recipe.size.width(), recipe.size.height(), kJpegQuality, runs);
    report("floor: a process decoding the scan", decodeMs, "ms");
    report("a process decoding the scan and finding its grid", findMs, "ms");
    report("  of which finding the grid, timed inside", findingMs, "ms");
    verdict("decoding and finding / decoding", findMs / decodeMs, kTimeGoal);
    report("peak resident memory, decoding", decodePeak, "MiB");
    report("peak resident memory, decoding and finding", findPeak, "MiB");
    report("the picture's bytes", pictureMiB, "MiB");
    verdict("peak resident memory finding / the picture's bytes", findPeak / pictureMiB,
            kMemoryGoal);
    std::printf("%-58s %12.3f px\n", "the found grid's lines from the printed ones: largest",
                error.max);
    std::printf("%-58s %12.3f px\n", "  mean", error.mean);
    std::printf("%-58s %12d\n", "  points measured, over the printed area", error.points);
    verdict("largest distance, px", error.max, 0.5);
    verdict("mean distance, px", error.mean, 0.2);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == "--decode" || mode == "--find") {
        const QCoreApplication app(argc, argv);
        raiseImageAllocationLimit();
        const QString map = QString::fromLocal8Bit(argv[2]);
        return mode == "--decode" ? decodeProcess(map) : findProcess(map);
    }
    offscreenUnlessSet();
    const QGuiApplication app(argc, argv);  // the scan's labels need fonts
    raiseImageAllocationLimit();
    const int runs = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : kDefaultRuns;
    return benchmark(runs);
}
