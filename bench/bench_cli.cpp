// `tessara grid` on a large map, each run a fresh process timed from start to exit, against
// a floor measured in the same run: a fresh process that loads the same JPEG with
// QImageReader and writes as many bytes as the bitmap holds with plain file I/O. The same
// grid turned by a degree is measured against the upright one: the goal is 1.2x.
//
//   bench_cli [PROGRAM]                 PROGRAM: tessara, by default the one built with this
//   bench_cli --floor MAP OUTPUT BYTES  the floor's process; the benchmark runs it itself
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "bench_support.h"
#include "image/bmp_writer.h"
#include "image/picture.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;
constexpr int kRuns = 3;
constexpr qint64 kChunk = 4 << 20;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_cli: %s\n", qPrintable(what));
    std::exit(1);
}

// Written once; returns the size of the bitmap that `tessara grid` will write for it.
qint64 writeMap(const QString& path) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            line[x] = qRgb(x % 256, y % 256, (x + y) % 256);
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image)) {
        fail("cannot write the map: " + writer.errorString());
    }
    return bmpFileSize(image);
}

// The floor: the same decode, then the bitmap's number of bytes written in large chunks
// straight from the decoded pixels, with no conversion and no drawing, and flushed to disk
// as every file the program hands the user is.
int floorProcess(const QString& map, const QString& output, qint64 bytes) {
    const QImage image = QImageReader(map).read();
    if (image.isNull() || image.sizeInBytes() < bytes) {
        fail("the floor cannot read the map");
    }
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail("the floor cannot write " + output);
    }
    const auto* pixels = reinterpret_cast<const char*>(image.constBits());
    for (qint64 at = 0; at < bytes; at += kChunk) {
        const qint64 n = std::min(kChunk, bytes - at);
        if (file.write(pixels + at, n) != n) {
            fail("the floor's write failed");
        }
    }
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        fail("the floor's flush failed");
    }
    return 0;
}

double timeProcess(const QString& program, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    QProcess process;
    process.setProcessEnvironment(env);
    const double ms = millisecondsOf([&] {
        process.start(program, arguments);
        process.waitForFinished(-1);
    });
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(program + " failed: " + QString::fromLocal8Bit(process.readAllStandardError()));
    }
    return ms;
}

qint64 fileSize(const QString& path) {
    return QFile(path).size();
}

}  // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication app(argc, argv);
    raiseImageAllocationLimit();  // as the program does: the map is over Qt's default limit
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == "--floor") {
        return floorProcess(args.value(2), args.value(3), args.value(4).toLongLong());
    }
    const QString program = args.size() > 1 ? args[1] : QStringLiteral(TESSARA_PROGRAM);
    const QTemporaryDir dir;
    const QString map = dir.filePath("map.jpg");
    const QString output = dir.filePath("out.bmp");
    const QString floorOutput = dir.filePath("floor.bin");
    const qint64 bytes = writeMap(map);
    const QStringList grid = {"grid", map,        output, "--map-width", "100", "--hex-size",
                              "1",    "--colour", "red",  "--thickness", "3"};
    const QStringList floor = {"--floor", map, floorOutput, QString::number(bytes)};
    QStringList turnedGrid = grid;
    turnedGrid << "--rotation"
               << "1";
    double tool = 1e300;
    double turned = 1e300;
    double bare = 1e300;
    // Alternated, each onto a fresh file and after the last run's bytes have reached the
    // disk, so that neither meets the other's write-back.
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(output);
        ::sync();
        tool = std::min(tool, timeProcess(program, grid));
        QFile::remove(output);
        ::sync();
        turned = std::min(turned, timeProcess(program, turnedGrid));
        QFile::remove(floorOutput);
        ::sync();
        bare = std::min(bare, timeProcess(QCoreApplication::applicationFilePath(), floor));
    }
    if (fileSize(output) != bytes || fileSize(floorOutput) != bytes) {
        fail("the files written have the wrong size");
    }
    std::printf(
        "tessara grid on a %d x %d JPEG (%.1f MiB), writing a %.1f MiB bitmap, best of "
        "%d fresh processes\n",
        kWidth, kHeight, static_cast<double>(fileSize(map)) / (1024.0 * 1024.0),
        static_cast<double>(bytes) / (1024.0 * 1024.0), kRuns);
    report("floor: a process decoding the map and writing as many bytes", bare, "ms");
    report("tessara grid map.jpg out.bmp ... --colour red --thickness 3", tool, "ms");
    report("the same grid turned by 1 degree (--rotation 1)", turned, "ms");
    verdict("tessara grid / floor", tool / bare, 1.3);
    verdict("turned / upright", turned / tool, 1.2);
    return 0;
}
