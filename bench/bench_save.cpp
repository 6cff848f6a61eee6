// Saving a large map as a bitmap file, against writing the same number of bytes with plain
// file I/O in the same run, without and with flushing it to disk as a save does. Prints the
// times and their ratios.
#include <unistd.h>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "image/bmp_writer.h"
#include "image/picture.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;
constexpr int kRuns = 7;
constexpr qint64 kChunk = 4 << 20;

QImage makeMap() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            line[x] = qRgb(x % 256, y % 256, (x + y) % 256);
        }
    }
    return image;
}

// The floor: the same number of bytes, already in memory, written in large chunks.
void writePlain(const QString& path, const std::vector<char>& bytes, bool flush = false) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    for (qint64 at = 0; at < static_cast<qint64>(bytes.size()); at += kChunk) {
        const qint64 n = std::min<qint64>(kChunk, static_cast<qint64>(bytes.size()) - at);
        if (file.write(bytes.data() + at, n) != n) {
            std::fprintf(stderr, "write failed\n");
            std::exit(1);
        }
    }
    if (flush) {
        file.flush();
        ::fsync(file.handle());
    }
}

// What any conversion must at least add: one pass reading the picture's pixels, which the
// floor does not have (a 32-bit picture in memory is a third larger than its 24-bit file).
void readPicture(const QImage& image, std::vector<char>& ring) {
    const auto line = static_cast<size_t>(image.bytesPerLine());
    const size_t rows = ring.size() / line;
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(ring.data() + (static_cast<size_t>(y) % rows) * line, image.constScanLine(y),
                    line);
    }
}

}  // namespace

int main() {
    const QTemporaryDir dir;
    const QString plainPath = dir.filePath("plain.bin");
    const QString mapPath = dir.filePath("map.bmp");
    const Picture picture(makeMap());
    const qint64 size = bmpFileSize(picture.image());
    const std::vector<char> bytes(static_cast<size_t>(size), '\x5a');
    std::vector<char> ring(static_cast<size_t>(kChunk));
    double plain = 1e300;
    double flushed = 1e300;
    double read = 1e300;
    double saved = 1e300;
    // Alternated, each onto a fresh file, so that both meet the same state of the disk; the
    // best of the runs is the least disturbed by the rest of the machine.
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(plainPath);
        plain = std::min(plain, millisecondsOf([&] { writePlain(plainPath, bytes); }));
        QFile::remove(plainPath);
        flushed = std::min(flushed, millisecondsOf([&] { writePlain(plainPath, bytes, true); }));
        read = std::min(read, millisecondsOf([&] { readPicture(picture.image(), ring); }));
        QFile::remove(mapPath);
        saved = std::min(saved, millisecondsOf([&] { SavePicture(picture, mapPath); }));
    }
    if (QFile(mapPath).size() != size) {
        std::fprintf(stderr, "the saved file has the wrong size\n");
        return 1;
    }
    std::printf("Saving a %d x %d map: a %.1f MiB bitmap file, best of %d runs\n", kWidth, kHeight,
                static_cast<double>(size) / (1024.0 * 1024.0), kRuns);
    report("floor: the same bytes written with plain file I/O", plain, "ms");
    report("one pass reading the picture's pixels", read, "ms");
    report("the same plain write, flushed to disk", flushed, "ms");
    report("SavePicture (flushed to disk, as every save is)", saved, "ms");
    verdict("SavePicture / floor", saved / plain, 1.5);
    verdict("SavePicture / the flushed plain write", saved / flushed, 1.5);
    report("SavePicture / (floor + one pass over the picture)", saved / (plain + read), "");
    return 0;
}
