#include "image/large_image.h"

#include <sys/mman.h>
#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>

#include "core/parallel_work.h"

namespace tessara {
namespace {

// Below this an ordinary allocation is as quick.
constexpr qsizetype kLarge = 8 << 20;
constexpr size_t kPageBytes = 4096;
constexpr size_t kHugePageBytes = size_t{2} << 20;
constexpr int kHugePageOrder = 9;  // a huge page is 2^9 pages

// Populated a piece to a processor: the kernel clears each page as it backs it, and one
// thread clears a 330 MB board in a third of a second.
constexpr size_t kPopulatedPiece = size_t{32} << 20;

struct Mapping {
    void* address;
    size_t bytes;
};

// While a LargeImageReuse lives, the last mapping freed, kept for the next of its length.
std::mutex reuseLock;
int reusing = 0;
Mapping* spare = nullptr;

void release(Mapping* mapping) {
    ::munmap(mapping->address, mapping->bytes);
    delete mapping;
}

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    {
        const std::lock_guard<std::mutex> held(reuseLock);
        if (reusing > 0) {
            std::swap(mapping, spare);
        }
    }
    if (mapping != nullptr) {
        release(mapping);
    }
}

// The spare mapping when it holds `length` bytes, and not an eighth more; else nullptr, the
// spare freed first, so that it is never held beside a new one. A map's sections, scanned
// crooked, are pictures of a few rows more or fewer.
Mapping* spareOf(size_t length) {
    Mapping* kept = nullptr;
    {
        const std::lock_guard<std::mutex> held(reuseLock);
        std::swap(kept, spare);
    }
    if (kept != nullptr && (kept->bytes < length || kept->bytes - length > length / 8)) {
        release(kept);
        kept = nullptr;
    }
    return kept;
}

size_t roundUp(size_t bytes, size_t to) {
    return (bytes + to - 1) / to * to;
}

// As MAP_POPULATE does, best effort: a kernel without MADV_POPULATE_WRITE backs each page
// when it is first written instead.
void populate(void* address, size_t bytes) {
    const auto pieces = static_cast<int>((bytes + kPopulatedPiece - 1) / kPopulatedPiece);
    runInParallel(
        pieces,
        [&](int k) {
            const size_t from = static_cast<size_t>(k) * kPopulatedPiece;
            ::madvise(static_cast<char*>(address) + from, std::min(kPopulatedPiece, bytes - from),
                      MADV_POPULATE_WRITE);
        },
        [](int) { return true; });
}

qint64 hugePagesFreeNow() {
    QFile buddies(QStringLiteral("/proc/buddyinfo"));
    return buddies.open(QIODevice::ReadOnly) ? freeHugePages(buddies.readAll()) : 0;
}

// Memory in huge pages, aligned to them; nullptr when it cannot be mapped. On a virtual
// machine the host backs a huge page in one step where it takes one step for each small
// page the first time it is written: a fresh 192 MB picture costs some 0.4 s in small pages
// on a busy host and 0.04 s in huge ones.
void* mapHuge(size_t bytes) {
    const size_t padded = bytes + kHugePageBytes;
    void* raw = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = roundUp(start, kHugePageBytes);
    if (aligned > start) {
        ::munmap(raw, aligned - start);
    }
    const std::uintptr_t end = aligned + bytes;
    if (start + padded > end) {
        ::munmap(reinterpret_cast<void*>(end), start + padded - end);
    }
    auto* address = reinterpret_cast<void*>(aligned);
    ::madvise(address, bytes, MADV_HUGEPAGE);
    populate(address, bytes);
    return address;
}

void* mapSmall(size_t bytes) {
    void* address =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) {
        return nullptr;
    }
    populate(address, bytes);
    return address;
}

}  // namespace

qint64 freeHugePages(const QByteArray& buddyinfo) {
    qint64 pages = 0;
    for (const QByteArray& line : buddyinfo.split('\n')) {
        // "Node 0, zone   Normal  <free blocks of order 0> <order 1> ... <order 10>"
        const QList<QByteArray> fields = line.simplified().split(' ');
        constexpr int kFirstCount = 4;
        for (int order = kHugePageOrder; kFirstCount + order < fields.size(); ++order) {
            pages += fields[kFirstCount + order].toLongLong() << (order - kHugePageOrder);
        }
    }
    return pages;
}

QImage largeImage(int width, int height, QImage::Format format) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    const qsizetype bytesPerLine = static_cast<qsizetype>(width) * 4;
    const qsizetype bytes = bytesPerLine * height;
    if (bytes < kLarge) {
        return QImage(width, height, format);
    }
    // Populated at once: the kernel backs the whole mapping in one pass, which costs far less
    // than a page fault for each page the first time it is written. Huge pages only when the
    // kernel has them free: finding them otherwise stalled a first grid by up to a second
    // while the kernel compacted memory full of file cache.
    const size_t length = roundUp(static_cast<size_t>(bytes), kPageBytes);
    if (Mapping* kept = spareOf(length)) {
        return QImage(static_cast<uchar*>(kept->address), width, height, bytesPerLine, format,
                      unmap, kept);
    }
    const auto hugePagesNeeded =
        static_cast<qint64>(roundUp(length, kHugePageBytes) / kHugePageBytes);
    void* address = hugePagesFreeNow() >= hugePagesNeeded ? mapHuge(length) : mapSmall(length);
    if (address == nullptr) {
        return {};
    }
    auto* mapping = new Mapping{address, length};
    return QImage(static_cast<uchar*>(address), width, height, bytesPerLine, format, unmap,
                  mapping);
}

LargeImageReuse::LargeImageReuse() {
    const std::lock_guard<std::mutex> held(reuseLock);
    ++reusing;
}

LargeImageReuse::~LargeImageReuse() {
    Mapping* kept = nullptr;
    {
        const std::lock_guard<std::mutex> held(reuseLock);
        if (--reusing == 0) {
            std::swap(kept, spare);
        }
    }
    if (kept != nullptr) {
        release(kept);
    }
}

QImage largeCopy(const QImage& source) {
    if (source.format() != QImage::Format_RGB32) {
        return source.convertToFormat(QImage::Format_RGB32);
    }
    QImage copy = largeImage(source.width(), source.height());
    if (!copy.isNull()) {
        copyPixels(source, copy);
    }
    return copy;
}

void copyPixels(const QImage& source, QImage& into) {
    if (into.bytesPerLine() == source.bytesPerLine()) {
        std::memcpy(into.bits(), source.constBits(), static_cast<size_t>(source.sizeInBytes()));
    } else {
        const auto rowBytes = static_cast<size_t>(source.width()) * 4;
        for (int y = 0; y < source.height(); ++y) {
            std::memcpy(into.scanLine(y), source.constScanLine(y), rowBytes);
        }
    }
    into.setDotsPerMeterX(source.dotsPerMeterX());
    into.setDotsPerMeterY(source.dotsPerMeterY());
}

}  // namespace tessara
