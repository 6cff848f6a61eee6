// Grid generation on a large map, timed on the same path the "Generate Hex Grid" button
// runs, with a floor measured in the same run: writing and reading back a bitmap of the
// same bytes with plain file I/O.
//
//   bench_grid [--qpainter]
//
// --qpainter also draws the finest grid's lines with QPainter (3-pixel pen, round caps and
// joins), for comparison.
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "grid/grid_generation.h"
#include "grid/hex_grid.h"
#include "image/bmp_writer.h"
#include "window/main_window.h"

using namespace tessara;

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;
constexpr int kRed = 4;
constexpr int kThickness3 = 2;

class Stopwatch {
  public:
    Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(cpuNow()) {}
    double wall() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count();
    }
    double cpu() const { return cpuNow() - cpu_; }

  private:
    static double cpuNow() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

// Resident memory in bytes: the peak since the last reset, or now.
double residentBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stod(line.substr(line.find(':') + 1)) * 1024;
        }
    }
    return 0;
}

void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A virtual machine backs the memory it gives a process the first time the memory is
// touched, which makes the first pass over fresh memory several times slower than any
// later one. Touching a few pictures' worth once, before anything is timed, spares every
// measurement that cost alike.
void touchMemory(double bytes) {
    std::vector<char> block(static_cast<size_t>(bytes), 1);
    std::printf("Memory touched before timing: %.0f MB (%d)\n", bytes / 1e6, block.back());
}

constexpr int kRuns = 3;  // each figure is the best of this many runs

QImage makeMap() {
    QImage map(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(map.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            line[x] = qRgb(60 + x * 150 / kWidth, 200 - y * 120 / kHeight, 90 + (x + y) % 40);
        }
    }
    return map;
}

class SilentDialogs : public DialogBackend {
  public:
    std::optional<QString> getFileName(const FileDialogRequest&) override { return {}; }
};

class CountedMessages : public MessageBoxes {
  public:
    void MsgBox(const Message& message) override {
        std::printf("  message: %s: %s\n", qPrintable(message.title), qPrintable(message.prompt));
        ++shown;
    }
    int shown = 0;
};

struct Workload {
    const char* name;
    const char* mapSize;
    const char* hexSize;
    bool drawingGoal;  // held to the goal of 3 million segments a second
};

long segmentsOf(const GridPlan& plan) {
    const long outlines = static_cast<long>(plan.columns) * ((plan.rows + 1) / 2);
    const long flats = static_cast<long>(plan.columns) * (plan.rows / 2);
    return outlines * 5 + flats;
}

// The whole of "Generate Hex Grid" on a main window holding the map.
double timeTheButton(const QImage& map, const Workload& w, double& peak) {
    SilentDialogs dialogs;
    CountedMessages messages;
    Form1 form(bench::benchServices(dialogs, messages));
    form.picMap().setPicture(Picture(map));
    form.findChild<QLineEdit*>("txtMapSize")->setText(w.mapSize);
    form.findChild<QLineEdit*>("txtHexF")->setText(w.hexSize);
    form.findChild<QComboBox*>("cmbColour")->setCurrentIndex(kRed);
    form.findChild<QComboBox*>("cmbThick")->setCurrentIndex(kThickness3);
    resetPeakResident();
    const Stopwatch watch;
    form.Command1_Click();
    const double seconds = watch.wall();
    peak = residentBytes("VmHWM");
    if (messages.shown != 0 || form.state().hexRows == 0) {
        std::printf("  generation failed\n");
    }
    return seconds;
}

struct Parts {
    double drawWall = 0;
    double drawCpu = 0;
    double mergeWall = 0;
    long segments = 0;
    long cells = 0;
};

// The same steps one by one: the drawing, then the merge through tmp.bmp.
Parts timeTheParts(const QImage& map, const Workload& w) {
    PictureBox box(0, 0);
    box.setPicture(Picture(map));
    box.setScaleMode(ScaleMode::Pixels);
    box.setDrawWidth(3);
    box.setForeColor(*QBColor(kRed));
    const GridPlan plan =
        planGrid(box.ScaleWidth(), box.ScaleHeight(), std::stof(w.hexSize), std::stof(w.mapSize));
    Parts parts;
    parts.cells = static_cast<long>(plan.columns) * plan.rows;
    parts.segments = segmentsOf(plan);
    box.Line(0, 0, 0, 0);  // the drawing layer is a copy of the map: made before the clock
    const Stopwatch draw;
    drawGrid(box, plan);
    parts.drawWall = draw.wall();
    parts.drawCpu = draw.cpu();
    const Stopwatch merge;
    const GridOutcome merged = mergeDrawing(box, QString::fromLatin1(kMergeFile));
    parts.mergeWall = merge.wall();
    if (merged.failure != GridFailure::None) {
        std::printf("  merge failed: %s\n", qPrintable(merged.reason));
    }
    return parts;
}

// Plain file I/O of a bitmap of the same bytes: the least a round trip through a file
// can cost.
double timeTheFloor(const QImage& map) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeBmp(map, buffer);
    const Stopwatch watch;
    if (FILE* out = std::fopen("floor.bmp", "wb")) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
        std::fclose(out);
    }
    std::vector<char> back(static_cast<size_t>(bytes.size()));
    if (FILE* in = std::fopen("floor.bmp", "rb")) {
        const size_t read = std::fread(back.data(), 1, back.size(), in);
        std::fclose(in);
        if (read != back.size()) {
            std::printf("  short read of the floor file\n");
        }
    }
    return watch.wall();
}

// The finest grid's lines with QPainter, a 3-pixel pen with round caps and joins.
double timeQPainter(const QImage& map, const Workload& w, long& segments) {
    QImage image = map.copy();
    const GridPlan plan = planGrid(kWidth, kHeight, std::stof(w.hexSize), std::stof(w.mapSize));
    segments = segmentsOf(plan);
    PictureBox recorder(0, 0);  // only to collect the lines draw_hex makes
    std::vector<QLineF> lines;
    recorder.watchLines([&](QPointF a, QPointF b) { lines.emplace_back(a, b); });
    drawGrid(recorder, plan);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(128, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const Stopwatch watch;
    for (const QLineF& line : lines) {
        painter.drawLine(line);
    }
    painter.end();
    return watch.wall();
}

}  // namespace

int main(int argc, char** argv) {
    bench::offscreenUnlessSet();
    QApplication app(argc, argv);
    raiseImageAllocationLimit();
    const bool withQPainter = argc > 1 && std::string(argv[1]) == "--qpainter";
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());

    const QImage map = makeMap();
    const double pictureBytes = static_cast<double>(map.sizeInBytes());
    touchMemory(4 * pictureBytes);
    std::printf("Map %d x %d, %.0f MB in memory, %.0f MB as a bitmap file\n", kWidth, kHeight,
                pictureBytes / 1e6, static_cast<double>(bmpFileSize(map)) / 1e6);
    double floor = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        floor = std::min(floor, timeTheFloor(map));
    }
    std::printf("Floor: plain write and read back of the bitmap's bytes  %.3f s\n", floor);
    std::printf("Each figure is the best of %d runs.\n\n", kRuns);

    const Workload workloads[] = {{"W1", "100", "1", false}, {"W2", "100", "0.1", true}};
    for (const Workload& w : workloads) {
        double peak = 0;
        double total = 1e9;
        Parts parts;
        parts.drawWall = parts.drawCpu = parts.mergeWall = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            double runPeak = 0;
            total = std::min(total, timeTheButton(map, w, runPeak));
            peak = std::max(peak, runPeak);
            const Parts p = timeTheParts(map, w);
            parts.cells = p.cells;
            parts.segments = p.segments;
            parts.drawWall = std::min(parts.drawWall, p.drawWall);
            parts.drawCpu = std::min(parts.drawCpu, p.drawCpu);
            parts.mergeWall = std::min(parts.mergeWall, p.mergeWall);
        }
        std::printf("%s  M = %s, S = %s, red, width 3: %ld cells, %ld line segments\n", w.name,
                    w.mapSize, w.hexSize, parts.cells, parts.segments);
        std::printf("  total (the button)          %.3f s   %.2f x the floor\n", total,
                    total / floor);
        std::printf("  drawing                     %.3f s   (%.3f s on the CPU)\n", parts.drawWall,
                    parts.drawCpu);
        std::printf("  segments per second         %.2f million (%.2f million per CPU second)",
                    parts.segments / parts.drawWall / 1e6, parts.segments / parts.drawCpu / 1e6);
        if (w.drawingGoal) {
            std::printf("   %.2f x the 3 million goal", parts.segments / parts.drawWall / 3e6);
        }
        std::printf("\n");
        std::printf("  tmp.bmp round trip          %.3f s   %.2f x the floor\n", parts.mergeWall,
                    parts.mergeWall / floor);
        std::printf("  peak resident memory        %.0f MB   %.2f x the picture's bytes\n\n",
                    peak / 1e6, peak / pictureBytes);
    }
    if (withQPainter) {
        long segments = 0;
        const double seconds = timeQPainter(map, workloads[1], segments);
        std::printf(
            "QPainter, W2 lines, 3-pixel pen, round caps: %.3f s, %.2f million segments "
            "per second\n",
            seconds, segments / seconds / 1e6);
    }
    return 0;
}
