#include "image/large_image.h"

#include <sys/mman.h>
#include <cstring>

namespace tessara {
namespace {

// Below this an ordinary allocation is as quick.
constexpr qsizetype kLarge = 8 << 20;

struct Mapping {
    void* address;
    size_t bytes;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->address, mapping->bytes);
    delete mapping;
}

}  // namespace

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
    // than a page fault for each page the first time it is written. Huge pages would cost
    // less still, but asking for them stalled a first grid by up to a second while the
    // kernel compacted memory full of file cache.
    void* address = ::mmap(nullptr, static_cast<size_t>(bytes), PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (address == MAP_FAILED) {
        return {};
    }
    auto* mapping = new Mapping{address, static_cast<size_t>(bytes)};
    return QImage(static_cast<uchar*>(address), width, height, bytesPerLine, format, unmap,
                  mapping);
}

QImage largeCopy(const QImage& source) {
    if (source.format() != QImage::Format_RGB32) {
        return source.convertToFormat(QImage::Format_RGB32);
    }
    QImage copy = largeImage(source.width(), source.height());
    if (copy.isNull()) {
        return copy;
    }
    if (copy.bytesPerLine() == source.bytesPerLine()) {
        std::memcpy(copy.bits(), source.constBits(), static_cast<size_t>(source.sizeInBytes()));
    } else {
        const auto rowBytes = static_cast<size_t>(source.width()) * 4;
        for (int y = 0; y < source.height(); ++y) {
            std::memcpy(copy.scanLine(y), source.constScanLine(y), rowBytes);
        }
    }
    copy.setDotsPerMeterX(source.dotsPerMeterX());
    copy.setDotsPerMeterY(source.dotsPerMeterY());
    return copy;
}

}  // namespace tessara
