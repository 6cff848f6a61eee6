// Exporting a large map as the user waits for it, each against a floor measured in the same
// run: the PDF at true scale against Qt's PDF writer putting the whole picture on one page
// of the same paper, PNG and JPEG against Qt's image writer writing the same picture to a
// plain file; and a board straightened for Tiled from a 24-megapixel scan turned 0.6
// degrees against a plain decode of the same scan. Every measurement is a fresh process of
// this benchmark that loads the map from a file made once, then times the export alone.
//
//   bench_export [RUNS]                         RUNS: processes per measurement, 3 by default
//   bench_export --measure WHAT MAP OUTPUT      one measurement; the benchmark runs it itself
#include <unistd.h>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>

#include "bench_support.h"
#include "boards/bicubic_resample.h"
#include "boards/straightening.h"
#include "grid/grid_layout.h"
#include "image/atomic_file.h"
#include "image/picture.h"
#include "image/picture_export.h"
#include "print/scale_pdf.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;
constexpr int kDefaultRuns = 3;
constexpr double kGoal = 1.5;
// The pages overlap and each shows its share of the map once more: the PDF may be larger
// than the one-page floor's by that share, not many times it.
constexpr double kPdfSizeGoal = 2.0;
// The grid the other benchmarks draw (W1: the map 100 units wide, hexes of 1 unit).
constexpr Single kW1MapSize = 100;
constexpr Single kW1HexSize = 1;
// A board may take twice the decoding of its scan: the user has waited that long already.
constexpr double kBoardGoal = 2.0;
constexpr int kScanQuality = 90;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_export: %s\n", qPrintable(what));
    std::exit(1);
}

// ---- the measuring process ----

// Time spent in the flushes to disk every export ends with, reported apart.
std::atomic<qint64> flushNanoseconds{0};

int timedFlush(int fd) {
    QElapsedTimer timer;
    timer.start();
    const int result = ::fsync(fd);
    flushNanoseconds += timer.nsecsElapsed();
    return result;
}

// The processor time this process has used, in milliseconds: on a busy machine it shows
// the work itself where the wall clock also shows the waiting for a processor.
double processorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double hexPixels() {
    return layoutGrid(kWidth, kHeight, kW1HexSize, kW1MapSize, GridOptions{}).hexSize;
}

ScalePdfSettings pdfSettings() {
    ScalePdfSettings settings;  // A4 portrait, the default margins and overlap
    settings.pixelsPerMm = scaleForHexSize(hexPixels(), kDefaultHexMm, LengthUnit::Millimetre);
    return settings;
}

QString exportPdf(const Picture& picture, const QString& output) {
    return writeScalePdf(picture.image(), output, pdfSettings()).error;
}

// The floor: the whole picture, its own pixels losslessly as the pages carry them, drawn
// once on one page of the same paper at the same resolution.
QString floorPdf(const Picture& picture, const QString& output) {
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return file.errorString();
    }
    QPdfWriter writer(&file);
    writer.setResolution(kScalePdfDpi);
    writer.setPageLayout(scalePdfLayout(pdfSettings()));
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QSizeF fitted =
        QSizeF(picture.image().size()).scaled(writer.width(), writer.height(), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(0, 0), fitted), picture.image());
    return painter.end() ? QString() : QStringLiteral("the PDF was not finished");
}

QString exportAs(const QByteArray& format, const Picture& picture, const QString& output) {
    ExportOptions options;
    options.format = format;
    return exportPicture(picture, output, options).error;
}

QString floorImage(const QByteArray& format, const Picture& picture, const QString& output) {
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return file.errorString();
    }
    QImageWriter writer(&file, format);
    if (format == "jpeg") {
        writer.setQuality(kJpegQuality);
    }
    return writer.write(picture.image()) ? QString() : writer.errorString();
}

// The board Tiled would be given, straightened from the scan's grid; kept in memory.
QString straightenBoard(const Picture& scan) {
    const GridLayout layout = layoutGrid(scan.width(), scan.height(), 1, 1, largeScan().grid);
    const Straightening s = straighten(layout, *findBoardFormat("tiled"));
    if (s.problem != BoardProblem::None) {
        return QStringLiteral("the scan's grid makes no board");
    }
    const QImage board = resampleBicubic(scan.image(), s.toBoard.inverted(), s.board);
    return board.size() == s.board ? QString() : QStringLiteral("no board was made");
}

// The floor of the board: the scan decoded once more, as plainly as Qt decodes it.
QString decodeScan(const QString& map) {
    return QImageReader(map).read().isNull() ? QStringLiteral("the scan was not decoded")
                                             : QString();
}

QString runExport(const QString& what, const Picture& picture, const QString& map,
                  const QString& output) {
    if (what == "board") {
        return straightenBoard(picture);
    }
    if (what == "board-floor") {
        return decodeScan(map);
    }
    if (what == "pdf") {
        return exportPdf(picture, output);
    }
    if (what == "pdf-floor") {
        return floorPdf(picture, output);
    }
    const QByteArray format = what.section('-', 0, 0).toLatin1();
    if (format != "png" && format != "jpeg") {
        return "unknown measurement " + what;
    }
    return what.endsWith("-floor") ? floorImage(format, picture, output)
                                   : exportAs(format, picture, output);
}

// Prints "load export flush processor" in milliseconds, for the benchmark to read.
int measure(const QString& what, const QString& map, const QString& output) {
    Picture picture;
    const double load = millisecondsOf([&] { picture = LoadPicture(map); });
    setFlushToDisk(&timedFlush);
    QString failure;
    const double startProcessor = processorMilliseconds();
    const double exported =
        millisecondsOf([&] { failure = runExport(what, picture, map, output); });
    const double processor = processorMilliseconds() - startProcessor;
    if (!failure.isEmpty()) {
        fail(what + ": " + failure);
    }
    std::printf("%.3f %.3f %.3f %.3f\n", load, exported,
                static_cast<double>(flushNanoseconds) / 1e6, processor);
    return 0;
}

// ---- the benchmark ----

struct Timing {
    double load = 1e300;
    double exported = 1e300;
    double flush = 0;      // in the best export
    double processor = 0;  // in the best export
};

Timing timeProcess(const QString& what, const QString& map, const QString& output) {
    QFile::remove(output);
    ::sync();  // the last run's bytes on the disk, so that no run meets another's write-back
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {"--measure", what, map, output});
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(what + " failed: " + QString::fromLocal8Bit(process.readAllStandardError()));
    }
    const QStringList figures = QString::fromLatin1(process.readAllStandardOutput()).split(' ');
    return {figures.value(0).toDouble(), figures.value(1).toDouble(), figures.value(2).toDouble(),
            figures.value(3).toDouble()};
}

void keepBest(Timing& best, const Timing& run) {
    best.load = std::min(best.load, run.load);
    if (run.exported < best.exported) {
        best.exported = run.exported;
        best.flush = run.flush;
        best.processor = run.processor;
    }
}

double megabytes(const QString& path) {
    return static_cast<double>(QFile(path).size()) / 1e6;
}

// Pages in a PDF as Qt writes them: one "/Type /Page" dictionary each ("/Pages" is the tree).
int pdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray content = file.readAll();
    const QByteArray key = "/Type /Page";
    int pages = 0;
    for (qsizetype at = content.indexOf(key); at >= 0; at = content.indexOf(key, at + 1)) {
        pages += content.size() > at + key.size() && content[at + key.size()] != 's';
    }
    return pages;
}

void checkPicture(const QString& path, const char* what) {
    if (QImageReader(path).size() != QSize(kWidth, kHeight)) {
        fail(QStringLiteral("the %1 written is not a %2 x %3 picture")
                 .arg(what)
                 .arg(kWidth)
                 .arg(kHeight));
    }
}

void verdictLine(const char* what, double ratio, double goal) {
    std::printf("%-58s %8.2f  (goal %.1f: %s)\n", what, ratio, goal,
                ratio <= goal ? "PASS" : "MISS");
}

void seconds(const char* what, const Timing& t) {
    std::printf("%-58s %8.3f s  (flush to disk %.3f s, processor %.3f s)\n", what, t.exported / 1e3,
                t.flush / 1e3, t.processor / 1e3);
}

struct Pair {
    const char* name;
    const char* suffix;
    QString ours;
    QString floor;
    QString map;
};

void writeScan(const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(kScanQuality);
    if (!writer.write(synthetic::drawScan(largeScan()))) {
        fail("cannot write the scan: " + writer.errorString());
    }
}

void boardVerdict(const Timing& ours, const Timing& floor) {
    const synthetic::ScanRecipe recipe = largeScan();
    std::printf("\nBOARD for Tiled from a %d x %d JPEG scan turned %.2f degrees:\n",
                recipe.size.width(), recipe.size.height(), recipe.grid.rotation);
    seconds("floor BOARD: QImageReader decoding the scan", floor);
    seconds("ours  BOARD: straightened by resampleBicubic", ours);
    report("  megapixels a second",
           recipe.size.width() * recipe.size.height() / ours.exported / 1e3, "");
    report("  processors busy while straightening (processor / wall time)",
           ours.processor / ours.exported, "");
    verdictLine("  BOARD / floor", ours.exported / floor.exported, kBoardGoal);
    report("  BOARD / floor in processor time", ours.processor / floor.processor, "");
}

// The other work on the machine, which the wall clock times too.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(' ', 0, 2)
                                          : QStringLiteral("unknown");
}

int benchmark(int runs) {
    const QString loadBefore = loadAverage();
    const QTemporaryDir dir;
    const QString map = dir.filePath("map.bmp");
    SavePicture(Picture(makeBigMap(kWidth, kHeight)), map, Durability::Cached);
    const QString scan = dir.filePath("scan.jpg");
    writeScan(scan);
    const Pair pairs[] = {{"pdf", "pdf", "pdf", "pdf-floor", map},
                          {"png", "png", "png", "png-floor", map},
                          {"jpeg", "jpg", "jpeg", "jpeg-floor", map},
                          {"board", "png", "board", "board-floor", scan}};
    std::map<QString, Timing> best;
    // Alternated, ours then its floor, so that both meet the same state of the machine.
    for (int run = 0; run < runs; ++run) {
        for (const Pair& pair : pairs) {
            for (const QString& what : {pair.ours, pair.floor}) {
                const QString output = dir.filePath(what + "." + pair.suffix);
                keepBest(best[what], timeProcess(what, pair.map, output));
            }
        }
    }
    const auto out = [&](const QString& what, const char* suffix) {
        return dir.filePath(what + "." + suffix);
    };
    checkPicture(out("png", "png"), "PNG");
    checkPicture(out("png-floor", "png"), "floor's PNG");
    checkPicture(out("jpeg", "jpg"), "JPEG");
    checkPicture(out("jpeg-floor", "jpg"), "floor's JPEG");
    const TilePlanning planning = planScalePdf(QSize(kWidth, kHeight), pdfSettings());
    const int planned = planning.plan ? planning.plan->pageCount() : -1;
    const int pages = pdfPageCount(out("pdf", "pdf"));
    if (pages != planned || pdfPageCount(out("pdf-floor", "pdf")) != 1) {
        fail(QStringLiteral("the PDF has %1 pages, the plan %2").arg(pages).arg(planned));
    }

    std::printf(
        "Exporting a %d x %d map (%.1f MB bitmap, loaded in %.3f s), best of %d fresh "
        "processes each\n",
        kWidth, kHeight, megabytes(map), best["png"].load / 1e3, runs);
    std::printf("%d processors, load average %s before, %s after\n", QThread::idealThreadCount(),
                qPrintable(loadBefore), qPrintable(loadAverage()));
    std::printf(
        "PDF: %.0f px hexes at %.0f mm (%.3f px/mm), A4 portrait, %.0f mm overlap: %d pages\n",
        hexPixels(), kDefaultHexMm, pdfSettings().pixelsPerMm, kDefaultOverlapMm, pages);
    for (const Pair& pair : pairs) {
        const Timing& ours = best[pair.ours];
        const Timing& floor = best[pair.floor];
        if (pair.ours == "board") {
            boardVerdict(ours, floor);
            continue;
        }
        const QByteArray name = QByteArray(pair.name).toUpper();
        std::printf("\n");
        seconds(("floor " + name + ": " +
                 (pair.ours == "pdf" ? "QPdfWriter, the picture on one page"
                                     : "QImageWriter to a plain QFile"))
                    .constData(),
                floor);
        seconds(("ours  " + name + (pair.ours == "pdf" ? ": writeScalePdf" : ": exportPicture"))
                    .constData(),
                ours);
        std::printf("%-58s %8.1f MB / %.1f MB\n", "  file sizes, ours / floor's",
                    megabytes(out(pair.ours, pair.suffix)),
                    megabytes(out(pair.floor, pair.suffix)));
        verdictLine(("  " + name + " / floor").constData(), ours.exported / floor.exported, kGoal);
        report(("  " + name + " / floor without our flush to disk").constData(),
               (ours.exported - ours.flush) / floor.exported, "");
        report(("  " + name + " / floor in processor time").constData(),
               ours.processor / floor.processor, "");
    }
    std::printf("\n");
    verdictLine("PDF size / the one-page floor PDF's size",
                megabytes(out("pdf", "pdf")) / megabytes(out("pdf-floor", "pdf")), kPdfSizeGoal);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    offscreenUnlessSet();
    const QGuiApplication app(argc, argv);  // the PDF's footer needs fonts
    raiseImageAllocationLimit();            // as the program does: the map is over Qt's limit
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == "--measure") {
        return measure(args.value(2), args.value(3), args.value(4));
    }
    const int runs = args.size() > 1 ? args[1].toInt() : kDefaultRuns;
    if (runs < 1) {
        fail("RUNS must be a whole number of at least 1");
    }
    return benchmark(runs);
}
