// Grid generation on a large map, timed on the same path the "Generate Hex Grid" button
// runs, with a floor measured in the same run: writing and reading back a bitmap of the
// same bytes with plain file I/O.
//
//   bench_grid [--qpainter] [--size WIDTHxHEIGHT]
//
// The headline is the user's first press: in a fresh process, on a map just loaded with
// File, Load Map, no memory touched before. A full run does 8000 x 6000, then starts
// itself again, a fresh process, for 20000 x 15000 (load, W1, save, peak memory).
// --qpainter also draws the finest grid's lines with QPainter (3-pixel pen, round caps and
// joins), for comparison.
#include <sys/inotify.h>
#include <unistd.h>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QBuffer>
#include <QtEndian>
#include "bench_support.h"
#include "grid/grid_generation.h"
#include "grid/hex_grid.h"
#include "image/bmp_writer.h"
#include "image/large_image.h"
#include "window/main_window.h"

using namespace tessara;

namespace {

constexpr int kRed = 4;
constexpr int kThickness3 = 2;
constexpr int kRuns = 3;  // each breakdown figure is the best of this many runs

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double>(end - start).count();
}

double threadCpuNow() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Resident memory in bytes: the peak since the last reset.
double peakResidentBytes() {
    return bench::peakResidentMiB() * 1024 * 1024;
}

void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The map is made a row at a time straight into its bitmap file, so that the process has
// touched no picture's worth of memory before the load.
void writeMapFile(const QString& path, int width, int height) {
    const qint64 stride = (static_cast<qint64>(width) * 3 + 3) / 4 * 4;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::printf("cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QImage tiny(1, 1, QImage::Format_RGB32);
    tiny.fill(0);
    QByteArray first;
    {
        QBuffer buffer(&first);
        buffer.open(QIODevice::WriteOnly);
        writeBmp(tiny, buffer);
    }
    first.truncate(54);
    qToLittleEndian<quint32>(
        static_cast<quint32>(std::min<qint64>(54 + stride * height, 0xFFFFFFFFLL)),
        first.data() + 2);
    qToLittleEndian<qint32>(width, first.data() + 18);
    qToLittleEndian<qint32>(height, first.data() + 22);
    file.write(first);
    std::vector<char> line(static_cast<size_t>(stride), 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = qRgb(60 + x * 150 / width, 200 - y * 120 / height, 90 + (x + y) % 40);
            line[static_cast<size_t>(x) * 3] = static_cast<char>(qBlue(c));
            line[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(qGreen(c));
            line[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(qRed(c));
        }
        file.write(line.data(), stride);
    }
}

class SilentDialogs : public DialogBackend {
  public:
    std::optional<QString> getFileName(const FileDialogRequest&) override { return answer; }
    std::optional<QStringList> getFileNames(const FileDialogRequest&) override {
        return answer ? std::optional<QStringList>(QStringList{*answer}) : std::nullopt;
    }
    std::optional<QString> answer;
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

// Writes every file written so far out to the disk before the next measurement. With a
// backlog of several gigabytes of unwritten file data, which a run that writes a 900 MB
// bitmap a few times soon has, the system holds up every new write until the disk catches
// up, and the figures would measure the disk, not the steps.
void settleTheDisk() {
    ::sync();
}

// Waits until memory freed by earlier steps has gone cold. On a virtual machine the host
// takes back what the guest frees after a second or two, and the next step to map fresh
// memory pays to have it backed again; one that follows at once gets it for next to
// nothing. A user takes longer than this between loading a map and pressing the button;
// without the wait the floor, measured first, would hand its warm memory to the program.
void letFreedMemoryGoCold() {
    std::this_thread::sleep_for(std::chrono::seconds(5));
}

// Notes when "tmp.bmp" is complete: the moment the atomic write renames it into place.
class MergeFileWatch {
  public:
    MergeFileWatch() : fd_(inotify_init1(IN_CLOEXEC)) {
        inotify_add_watch(fd_, ".", IN_MOVED_TO | IN_CLOSE_WRITE);
        thread_ = std::thread([this] {
            alignas(inotify_event) char buffer[4096];
            ssize_t got = 0;
            while ((got = read(fd_, buffer, sizeof buffer)) > 0) {
                // One read may bring several events: the temporary file's close and the rename.
                for (const char* at = buffer; at < buffer + got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(at);
                    if (event->len > 0 && std::string(event->name) == kMergeFile) {
                        completed_.store(Clock::now().time_since_epoch().count());
                    }
                    at += sizeof(inotify_event) + event->len;
                }
                if (stop_.load()) {
                    return;
                }
            }
        });
    }
    ~MergeFileWatch() {
        stop_.store(true);
        QFile stopper("watch-stop");  // its closing wakes the reader
        stopper.open(QIODevice::WriteOnly);
        stopper.close();
        thread_.join();
        close(fd_);
    }
    MergeFileWatch(const MergeFileWatch&) = delete;
    MergeFileWatch& operator=(const MergeFileWatch&) = delete;
    void reset() { completed_.store(0); }
    Clock::time_point completed() const {
        return Clock::time_point(Clock::duration(completed_.load()));
    }

  private:
    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<Clock::rep> completed_{0};
    std::thread thread_;
};

struct Press {
    double total = 0;
    double toMergeFile = 0;  // from the press to a complete tmp.bmp
};

// One press of "Generate Hex Grid" on the main window.
Press pressTheButton(Form1& form, CountedMessages& messages, const Workload& w,
                     MergeFileWatch& watch, bool cold) {
    form.findChild<QLineEdit*>("txtMapSize")->setText(w.mapSize);
    form.findChild<QLineEdit*>("txtHexF")->setText(w.hexSize);
    form.findChild<QComboBox*>("cmbColour")->setCurrentIndex(kRed);
    form.findChild<QComboBox*>("cmbThick")->setCurrentIndex(kThickness3);
    watch.reset();
    settleTheDisk();
    if (cold) {
        letFreedMemoryGoCold();
    }
    const int before = messages.shown;
    const Clock::time_point start = Clock::now();
    form.Command1_Click();
    Press press;
    press.total = secondsSince(start);
    press.toMergeFile = secondsSince(start, watch.completed());
    if (messages.shown != before || form.state().hexRows == 0) {
        std::printf("  generation failed\n");
    }
    return press;
}

struct Parts {
    double drawWall = 1e9;
    double drawCpu = 1e9;
    double mergeWall = 1e9;
    long segments = 0;
    long cells = 0;
};

// The same steps one by one on a picture box of its own: the drawing, then the merge.
Parts timeTheParts(const Picture& map, const Workload& w) {
    PictureBox box(0, 0);
    box.setPicture(map);
    box.setScaleMode(ScaleMode::Pixels);
    box.setDrawWidth(3);
    box.setForeColor(*QBColor(kRed));
    const GridPlan plan =
        planGrid(box.ScaleWidth(), box.ScaleHeight(), std::stof(w.hexSize), std::stof(w.mapSize));
    Parts parts;
    parts.cells = static_cast<long>(plan.columns) * plan.rows;
    parts.segments = segmentsOf(plan);
    box.Line(0, 0, 0, 0);  // the drawing layer is a copy of the map: made before the clock
    const Clock::time_point draw = Clock::now();
    const double cpu = threadCpuNow();
    drawGrid(box, plan);
    parts.drawWall = secondsSince(draw);
    parts.drawCpu = threadCpuNow() - cpu;
    settleTheDisk();
    const Clock::time_point merge = Clock::now();
    const GridOutcome merged = mergeDrawing(box, QString::fromLatin1(kMergeFile));
    parts.mergeWall = secondsSince(merge);
    if (merged.failure != GridFailure::None) {
        std::printf("  merge failed: %s\n", qPrintable(merged.reason));
    }
    return parts;
}

// Reads a whole file with plain file I/O into the memory given; a short read would make the
// floor too fast, so it is said.
void readInto(const char* path, char* memory, size_t bytes) {
    if (FILE* in = std::fopen(path, "rb")) {
        if (std::fread(memory, 1, bytes, in) != bytes) {
            std::printf("  short read of %s\n", path);
        }
        std::fclose(in);
    }
}

// Reads a whole file into fresh memory with plain file I/O, as a plain program does: memory
// from the allocator, its pages backed as the read first writes them.
std::unique_ptr<char[]> readPlain(const char* path, size_t bytes) {
    auto memory = std::make_unique_for_overwrite<char[]>(bytes);
    readInto(path, memory.get(), bytes);
    return memory;
}

struct Floors {
    double read = 0;       // a plain read of the map's file
    double roundTrip = 0;  // a plain write and read back of the same bytes
    double warmIo = 0;     // the same write and read, into memory already mapped
};

// The floors, the best of a few runs, as the disk's write-back makes single runs vary
// several times over; each run on memory gone cold, as the program's first press has it.
Floors measureFloors(const char* mapFile) {
    const auto bytes = static_cast<size_t>(QFileInfo(mapFile).size());
    Floors floors{1e9, 1e9, 1e9};
    for (int run = 0; run < kRuns; ++run) {
        settleTheDisk();
        letFreedMemoryGoCold();
        Clock::time_point start = Clock::now();
        std::unique_ptr<char[]> memory = readPlain(mapFile, bytes);
        floors.read = std::min(floors.read, secondsSince(start));
        settleTheDisk();
        letFreedMemoryGoCold();
        start = Clock::now();
        if (FILE* out = std::fopen("floor.bmp", "wb")) {
            std::fwrite(memory.get(), 1, bytes, out);
            std::fclose(out);
        }
        const std::unique_ptr<char[]> back = readPlain("floor.bmp", bytes);
        floors.roundTrip = std::min(floors.roundTrip, secondsSince(start));
        QFile::remove("floor.bmp");
        settleTheDisk();
        start = Clock::now();
        if (FILE* out = std::fopen("floor.bmp", "wb")) {
            std::fwrite(memory.get(), 1, bytes, out);
            std::fclose(out);
        }
        readInto("floor.bmp", back.get(), bytes);
        floors.warmIo = std::min(floors.warmIo, secondsSince(start));
        QFile::remove("floor.bmp");
    }
    return floors;
}

void line(const char* what, double seconds, const char* ratioOf, double ratio, double goal) {
    std::printf("  %-44s %7.3f s  %5.2f x %s", what, seconds, ratio, ratioOf);
    if (goal > 0) {
        std::printf("  (goal %.2f: %s)", goal, ratio <= goal ? "met" : "NOT MET");
    }
    std::printf("\n");
}

// The finest grid's lines with QPainter, a 3-pixel pen with round caps and joins.
double timeQPainter(const QImage& map, const Workload& w, long& segments) {
    QImage image = map.copy();
    const GridPlan plan =
        planGrid(map.width(), map.height(), std::stof(w.hexSize), std::stof(w.mapSize));
    segments = segmentsOf(plan);
    PictureBox recorder(0, 0);  // only to collect the lines draw_hex makes
    std::vector<QLineF> lines;
    recorder.watchLines([&](QPointF a, QPointF b) { lines.emplace_back(a, b); });
    drawGrid(recorder, plan);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(128, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const Clock::time_point start = Clock::now();
    for (const QLineF& segment : lines) {
        painter.drawLine(segment);
    }
    painter.end();
    return secondsSince(start);
}

constexpr Workload kW1{"W1", "100", "1", false};
constexpr Workload kW2{"W2", "100", "0.1", true};

// W2's drawing rate and both workloads' steps, after the headline, for the breakdown.
void reportTheParts(const Picture& map, bool large) {
    for (const Workload& w : large ? std::vector<Workload>{kW1} : std::vector<Workload>{kW1, kW2}) {
        Parts best;
        for (int run = 0; run < kRuns; ++run) {
            const Parts p = timeTheParts(map, w);
            best.cells = p.cells;
            best.segments = p.segments;
            best.drawWall = std::min(best.drawWall, p.drawWall);
            best.drawCpu = std::min(best.drawCpu, p.drawCpu);
            best.mergeWall = std::min(best.mergeWall, p.mergeWall);
        }
        std::printf("%s  M = %s, S = %s: %ld cells, %ld line segments (best of %d)\n", w.name,
                    w.mapSize, w.hexSize, best.cells, best.segments, kRuns);
        std::printf("  drawing                     %.3f s   (%.3f s on the CPU)\n", best.drawWall,
                    best.drawCpu);
        std::printf("  segments per second         %.2f million",
                    best.segments / best.drawWall / 1e6);
        if (w.drawingGoal) {
            std::printf("   %.2f x the 3 million goal", best.segments / best.drawWall / 3e6);
        }
        std::printf("\n  tmp.bmp round trip          %.3f s\n", best.mergeWall);
    }
}

int runOneSize(int width, int height, bool withQPainter) {
    const bool large = static_cast<qint64>(width) * height > (qint64{1} << 28);
    std::printf("Map %d x %d, %.0f MB in memory, %.0f MB as a bitmap file (a fresh process)\n",
                width, height, width * 4.0 * height / 1e6, width * 3.0 * height / 1e6);
    writeMapFile("map.bmp", width, height);
    const Floors floors = measureFloors("map.bmp");
    std::printf("  floor: plain read of the file (best of %d)    %7.3f s\n", kRuns, floors.read);
    std::printf("  floor: plain write and read back (best of %d) %7.3f s\n", kRuns,
                floors.roundTrip);
    std::printf("  %-44s %7.3f s\n", "the same, into memory already mapped", floors.warmIo);

    SilentDialogs dialogs;
    CountedMessages messages;
    Form1 form(bench::benchServices(dialogs, messages));
    MergeFileWatch watch;
    resetPeakResident();
    dialogs.answer = QStringLiteral("map.bmp");
    settleTheDisk();
    letFreedMemoryGoCold();
    Clock::time_point start = Clock::now();
    form.mnuLoad_Click();
    const double load = secondsSince(start);
    line("load (File, Load Map)", load, "the plain read", load / floors.read, 1.1);

    const double pictureBytes = width * 4.0 * height;
    const Press first = pressTheButton(form, messages, kW1, watch, true);
    line("W1, first press: the whole button", first.total, "the floor",
         first.total / floors.roundTrip, large ? 1.5 : 1.3);
    line("W1, first press: press to complete tmp.bmp", first.toMergeFile, "the floor",
         first.toMergeFile / floors.roundTrip, large ? 0 : 0.8);
    const Press second = pressTheButton(form, messages, kW1, watch, false);
    line("W1, second press at once: the whole button", second.total, "the floor",
         second.total / floors.roundTrip, 0);
    line("W1, second press: press to complete tmp.bmp", second.toMergeFile, "the floor",
         second.toMergeFile / floors.roundTrip, 0);

    dialogs.answer = QStringLiteral("saved.bmp");
    settleTheDisk();
    start = Clock::now();
    form.mnuSave_Click();
    const double save = secondsSince(start);
    std::printf("  %-44s %7.3f s  (flushed to disk)\n", "save (File, Save Map)", save);
    const double peak = peakResidentBytes();
    std::printf(
        "  peak resident memory, load to save         %7.0f MB  %5.2f x the picture's bytes"
        "  (goal 2.50: %s)\n\n",
        peak / 1e6, peak / pictureBytes, peak / pictureBytes < 2.5 ? "met" : "NOT MET");
    QFile::remove("saved.bmp");
    const Picture map = form.picMap().picture();
    reportTheParts(map, large);
    if (!large) {
        if (withQPainter) {
            long segments = 0;
            const double seconds = timeQPainter(map.image(), kW2, segments);
            std::printf(
                "QPainter, W2 lines, 3-pixel pen, round caps: %.3f s, %.2f million "
                "segments per second\n",
                seconds, segments / seconds / 1e6);
        }
    }
    return messages.shown == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    bench::offscreenUnlessSet();
    QApplication app(argc, argv);
    raiseImageAllocationLimit();
    const QStringList args = app.arguments();
    const bool withQPainter = args.contains("--qpainter");
    const int sizeAt = static_cast<int>(args.indexOf("--size"));
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    if (sizeAt > 0 && sizeAt + 1 < args.size()) {
        const QStringList size = args[sizeAt + 1].split('x');
        return runOneSize(size.value(0).toInt(), size.value(1).toInt(), withQPainter);
    }
    int status = runOneSize(8000, 6000, withQPainter);
    std::fflush(stdout);
    // The large map in a process of its own, so that its memory and its first press are
    // its own too.
    QProcess big;
    big.setProcessChannelMode(QProcess::ForwardedChannels);
    big.start(app.applicationFilePath(), {"--size", "20000x15000"});
    big.waitForFinished(-1);
    return status != 0 ? status : big.exitCode();
}
