// `tessara flatten` on a 12-megapixel phone photo of a printed board, as the user waits for
// it: each run a fresh process of the built program timed from its start to its exit, against
// a fresh process that only decodes the same JPEG, the median of RUNS of each; the flattening
// process's peak resident memory against the photo's and the board's pixels; and, on the
// board written, how far the printed lines lie from the grid the command printed and how
// many of the printed hexes it holds, against the flat print the photo was taken of.
//
//   bench_flatten [RUNS]                  RUNS: processes per measurement, 3 by default
//   bench_flatten --decode PHOTO          the floor's process; the benchmark runs it itself
//   bench_flatten --draw PHOTO            draws the photo, once a run of the benchmark
//   bench_flatten --stages PHOTO OUTPUT   the command's steps timed one by one, for the report
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "bench_support.h"
#include "cli/command_line.h"
#include "image/picture.h"
#include "image/picture_export.h"
#include "photo/board_flattening.h"
#include "photo/printed_fit.h"
#include "process_run.h"
#include "synthetic_photo.h"

using namespace tessara;
using namespace tessara::bench;

[[noreturn]] void tessara::bench::fail(const QString& what) {
    std::fprintf(stderr, "bench_flatten: %s\n", qPrintable(what));
    std::exit(1);
}

namespace {

constexpr int kDefaultRuns = 3;
constexpr int kPhotoQuality = 90;        // a phone's JPEG
constexpr double kTimeGoal = 5;          // flattening over decoding the photo alone
constexpr double kMemoryGoal = 4.0 / 3;  // peak resident memory over the photo and the board
constexpr double kMeanGoal = 0.2;        // pixels from the printed lines, on average
constexpr double kNinetyFifthGoal = 0.5;
constexpr double kHexCountGoal = 0.01;  // the share of the printed hexes the board may miss
constexpr double kMiB = 1024.0 * 1024.0;

// A board of 50 px hexes printed 4500 x 3400, photographed whole by a phone held 15 degrees
// off square, its lens barrelling: hexes of about 36 px on the photo, larger on the near side.
synthetic::PhotoRecipe largePhoto() {
    synthetic::PhotoRecipe recipe = synthetic::tiltedBoardPhoto({4500, 3400});
    recipe.size = QSize(4000, 3000);
    recipe.board.seed = 12;
    recipe.seed = 12;
    return recipe;
}

// ---- the measured processes ----

int decodeProcess(const QString& photo) {
    return QImageReader(photo).read().isNull() ? 1 : 0;
}

// The command's own steps, as planByPrintedGrid reports them: the times of its steps and
// of the fractions the photo finder reaches, with the peak resident memory at each.
class StageClock : public Progress {
  public:
    struct Mark {
        double ms;
        double peakMiB;
        double fraction;  // -1 for a step
    };
    StageClock() { timer_.start(); }
    void step(const QString&) override { mark(-1); }
    bool advance(double fraction) override {
        mark(fraction);
        return true;
    }
    void mark(double fraction) {
        marks.push_back(
            {static_cast<double>(timer_.nsecsElapsed()) / 1e6, peakResidentMiB(), fraction});
    }
    std::vector<Mark> marks;

  private:
    QElapsedTimer timer_;
};

// Prints "NAME MILLISECONDS PEAK_MIB" a stage, in the order they run.
int stagesProcess(const QString& input, const QString& output) {
    StageClock clock;
    const Picture photo = LoadPicture(input);
    clock.mark(-2);
    const FlattenedBoard flat = planByPrintedGrid(photo.image(), std::nullopt, clock);
    if (flat.problem != FlatteningProblem::None) {
        fail("the stages' process found no grid");
    }
    clock.mark(-2);
    if (!writeFlatBoard(photo.image(), flat, output, formatForSuffix(output.section('.', -1)))) {
        fail("the stages' process wrote no board");
    }
    clock.mark(-2);
    // Marks: decoded, two steps with the finder's advances after the second, planned,
    // written.
    const auto& m = clock.marks;
    std::vector<size_t> steps;
    size_t tiles = 0, model = 0, lastAdvance = 0;
    for (size_t k = 0; k < m.size(); ++k) {
        if (m[k].fraction == -1) {
            steps.push_back(k);
        } else if (m[k].fraction >= 0) {
            tiles = tiles == 0 && m[k].fraction >= 0.3 ? k : tiles;
            model = model == 0 && m[k].fraction >= 0.4 ? k : model;
            lastAdvance = k;
        }
    }
    if (steps.size() != 2 || tiles == 0 || model == 0) {
        fail("the flattening reported other steps than the benchmark knows");
    }
    const size_t planned = m.size() - 2;
    const struct {
        const char* name;
        size_t from;
        size_t to;
    } stages[] = {{"decode", 0, 0},
                  {"tiles", steps[1], tiles},
                  {"model", tiles, model},
                  {"lines", model, lastAdvance},
                  {"plan", lastAdvance, planned},
                  {"board", planned, planned + 1}};
    for (const auto& stage : stages) {
        const double from = stage.from == stage.to ? 0 : m[stage.from].ms;
        std::printf("%s %.3f %.3f\n", stage.name, m[stage.to].ms - from, m[stage.to].peakMiB);
    }
    return 0;
}

// ---- the benchmark ----

// The stages' figures of every run, by name, in the order the process printed them.
struct Stages {
    QStringList names;
    std::map<QString, std::vector<double>> ms, peakMiB;

    // The rest of the process's time is its start and its exit.
    void add(const Run& run) {
        double timed = 0;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(' ');
            put(f[0], f.value(1).toDouble(), f.value(2).toDouble());
            timed += f.value(1).toDouble();
        }
        put("rest", run.ms - timed, run.peakMiB);
    }
    void put(const QString& name, double stageMs, double peak) {
        if (!names.contains(name)) {
            names << name;
        }
        ms[name].push_back(stageMs);
        peakMiB[name].push_back(peak);
    }
};

const char* stageText(const QString& name) {
    static const std::map<QString, const char*> texts = {
        {"decode", "decoding the photo (LoadPicture)"},
        {"tiles", "the finder reading its tiles"},
        {"model", "the homography and the lens fitted to the centres"},
        {"lines", "the model fitted to the printed lines"},
        {"plan", "the last cuts, the printed hexes, the board's plan"},
        {"board", "the board resampled and written, band by band"},
        {"rest", "the process's start and exit"}};
    const auto found = texts.find(name);
    return found == texts.end() ? "?" : found->second;
}

void accuracyReport(const QImage& board, const GridOptions& told, const QImage& flat,
                    const GridOptions& printed) {
    const PrintedFit on = printedFit(board, told);
    const PrintedFit print = printedFit(flat, printed);
    std::printf("\nThe board against the grid flatten printed (hexes %.2f px):\n", *told.hexPixels);
    goal("  printed lines from the grid's sides, mean, px", on.mean, kMeanGoal);
    goal("  printed lines from the grid's sides, 95th percentile, px", on.ninetyFifth,
         kNinetyFifthGoal);
    std::printf("%-62s %10d / %d\n", "  sides measured, on the board / on the flat print", on.cuts,
                print.cuts);
    std::printf("%-62s %10d / %d\n", "  printed hexes, on the board / on the flat print", on.hexes,
                print.hexes);
    goal("  printed hexes the board misses or adds, share",
         std::abs(on.hexes - print.hexes) / static_cast<double>(print.hexes), kHexCountGoal);
}

// Drawn in a process of its own: the drawing takes nearly a gigabyte, which this process
// would otherwise hold as its peak when it starts the measured ones.
int drawProcess(const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(kPhotoQuality);
    if (!writer.write(synthetic::drawPhoto(largePhoto()))) {
        fail("cannot write the photo: " + writer.errorString());
    }
    return 0;
}

int benchmark(int runs) {
    const QString loadBefore = loadAverage();
    const synthetic::PhotoRecipe recipe = largePhoto();
    const QTemporaryDir dir;
    const QString photo = dir.filePath("photo.jpg");
    const QString board = dir.filePath("board.png");
    const QString stagesBoard = dir.filePath("stages.png");
    const QString self = QCoreApplication::applicationFilePath();
    const double drawn = runProcess(self, {"--draw", photo}, dir.filePath("draw.out")).ms;
    Medians decoding, flattening;
    Stages stages;
    QString printed;
    // Alternated, each onto a fresh file and after the last run's bytes reached the disk, so
    // that no run meets another's write-back.
    for (int run = 0; run < runs; ++run) {
        ::sync();
        decoding.add(runProcess(self, {"--decode", photo}, dir.filePath("decode.out")));
        QFile::remove(board);
        ::sync();
        const Run flattened = runProcess(QStringLiteral(TESSARA_PROGRAM), {"flatten", photo, board},
                                         dir.filePath("flatten.out"));
        if (!printed.isEmpty() && flattened.out != printed) {
            fail("tessara flatten printed other options on another run");
        }
        printed = flattened.out;
        flattening.add(flattened);
        QFile::remove(stagesBoard);
        ::sync();
        stages.add(runProcess(self, {"--stages", photo, stagesBoard}, dir.filePath("stages.out")));
    }
    const QImage flat = QImageReader(board).read();
    if (flat.isNull()) {
        fail("tessara flatten wrote no board that reads back");
    }
    const double photoMiB = recipe.size.width() * 4.0 * recipe.size.height() / kMiB;
    const double boardMiB = flat.width() * 4.0 * flat.height() / kMiB;

    std::printf(
        "tessara flatten of a %d x %d JPEG photo (quality %d, %.1f MiB; drawn in %.1f s, not "
        "timed),\na board tilted %.0f degrees, k1 %.2f: median of %d fresh processes each\n",
        recipe.size.width(), recipe.size.height(), kPhotoQuality,
        static_cast<double>(QFile(photo).size()) / kMiB, drawn / 1e3, recipe.tilt, recipe.k1, runs);
    std::printf("%d processors, load average %s before, %s after\n", QThread::idealThreadCount(),
                qPrintable(loadBefore), qPrintable(loadAverage()));
    std::printf("options printed: %s", qPrintable(printed));
    line("floor: a process decoding the photo (QImageReader)", median(decoding.ms), "ms");
    line("tessara flatten photo.jpg board.png", median(flattening.ms), "ms");
    line("  its processor time (user and system, every thread)", median(flattening.processorMs),
         "ms");
    goal("tessara flatten / decoding", median(flattening.ms) / median(decoding.ms), kTimeGoal);
    // On a busy machine the wall clock also counts the waiting for a processor.
    line("  the same in processor time",
         median(flattening.processorMs) / median(decoding.processorMs), "");
    std::printf("\nWhere the time goes, a process taking the command's steps one by one:\n");
    for (const QString& name : stages.names) {
        std::printf("  %-60s %10.3f ms  (peak %.1f MiB after it)\n", stageText(name),
                    median(stages.ms[name]), median(stages.peakMiB[name]));
    }
    std::printf("\n");
    line("peak resident memory, decoding", median(decoding.peakMiB), "MiB");
    line("peak resident memory, tessara flatten", median(flattening.peakMiB), "MiB");
    line("  the benchmark's own as it started them, below which none reads",
         std::max(decoding.parentMiB, flattening.parentMiB), "MiB");
    std::printf("%-62s %10.3f MiB (%d x %d)\n", "the photo's pixels, 4 bytes each", photoMiB,
                recipe.size.width(), recipe.size.height());
    std::printf("%-62s %10.3f MiB (%d x %d)\n", "the board's pixels, 4 bytes each", boardMiB,
                flat.width(), flat.height());
    goal("peak resident memory / (the photo and the board)",
         median(flattening.peakMiB) / (photoMiB + boardMiB), kMemoryGoal);
    accuracyReport(flat.convertToFormat(QImage::Format_RGB32), printedOptions(printed, "flatten"),
                   synthetic::drawScan(recipe.board), recipe.board.grid);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == "--decode" || mode == "--stages") {
        const QCoreApplication app(argc, argv);
        raiseImageAllocationLimit();
        const QString photo = QString::fromLocal8Bit(argv[2]);
        return mode == "--decode" ? decodeProcess(photo)
                                  : stagesProcess(photo, QString::fromLocal8Bit(argv[3]));
    }
    offscreenUnlessSet();
    const QGuiApplication app(argc, argv);  // the board's labels need fonts
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
