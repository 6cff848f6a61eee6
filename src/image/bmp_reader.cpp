#include "image/bmp_reader.h"

#include <unistd.h>
#include <QtEndian>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "image/bmp_header.h"
#include "image/chunk_pipeline.h"
#include "image/large_image.h"
#include "image/picture.h"

namespace tessara {
namespace {

constexpr quint32 kUncompressed = 0;
constexpr quint32 kBitFields = 3;
// Rows are read on a second thread in chunks of about this size while the calling thread
// unpacks the chunk read before into the picture.
constexpr qint64 kChunkBytes = 1 << 20;
constexpr int kChunksInFlight = 3;

bool knownInfoHeader(quint32 size) {
    return size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// Where a colour channel lies in a pixel and what brings it to eight bits, as Qt's decoder
// does it, so that both read a bitmap alike.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 scale = 1;
};

std::optional<Channel> channelOf(quint32 mask) {
    Channel c{mask, 0, 1};
    while (mask != 0 && (mask & 1U) == 0) {
        ++c.shift;
        mask >>= 1;
    }
    if (mask == 0xFFFFFFFFU) {
        return std::nullopt;  // a channel of 32 bits has no scale
    }
    c.scale = 256U / (mask + 1U);
    return c;
}

quint32 valueOf(const Channel& c, quint32 pixel) {
    return ((pixel & c.mask) >> c.shift) * c.scale;
}

void parseMasks(const uchar* data, qint64 size, quint32 headerSize, BmpHeader& h) {
    // A 40-byte header keeps its three masks after it; later headers hold them inside.
    const qint64 at = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
    if (size >= at + 12) {
        for (int i = 0; i < 3; ++i) {
            h.masks[static_cast<size_t>(i)] = qFromLittleEndian<quint32>(data + at + 4 * i);
        }
    }
    if (headerSize >= 56 && size >= at + 16) {
        h.masks[3] = qFromLittleEndian<quint32>(data + at + 12);
    }
}

void setPlainMasks(BmpHeader& h) {
    if (h.bits == 16) {
        h.masks = {0x7C00U, 0x03E0U, 0x001FU, 0U};
    } else {
        h.masks = {0xFF0000U, 0xFF00U, 0xFFU, 0U};
    }
}

}  // namespace

QImage::Format BmpHeader::format() const {
    if (bits == 1) {
        return QImage::Format_Mono;
    }
    if (bits <= 8) {
        return QImage::Format_Indexed8;
    }
    return masks[3] != 0 ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

qint64 BmpHeader::fileBytesNeeded() const {
    return bmpFileBytes(pixelOffset, stride, height);
}

std::optional<BmpHeader> parseBmpHeader(const uchar* data, qint64 size) {
    const std::optional<BmpFields> given = readBmpFields(data, size);
    const bool core = given && given->headerSize == kBmpCoreHeaderBytes;
    if (!given || !(core || (knownInfoHeader(given->headerSize) && given->wholeInfoHeader))) {
        return std::nullopt;
    }
    const quint32 headerSize = given->headerSize;
    BmpHeader h;
    h.width = static_cast<int>(given->width);
    h.bits = given->bits;
    h.paletteEntryBytes = core ? 3 : 4;  // the oldest header's palette has no fourth byte
    h.dotsPerMeterX = given->dotsPerMeterX;
    h.dotsPerMeterY = given->dotsPerMeterY;
    const bool paletted = h.bits == 1 || h.bits == 4 || h.bits == 8;
    const bool direct = h.bits == 16 || h.bits == 24 || h.bits == 32;
    const bool fields = given->compression == kBitFields && (h.bits == 16 || h.bits == 32);
    if (given->planes != 1 || !(paletted || direct) ||
        !(given->compression == kUncompressed || fields) || h.width <= 0 || given->height == 0) {
        return std::nullopt;
    }
    h.topDown = given->height < 0;
    h.height = static_cast<int>(std::min<qint64>(std::abs(given->height), 0x7FFFFFFF));
    h.stride = bmpStride(h.width, h.bits);
    h.paletteOffset = kBmpFileHeaderBytes + headerSize;
    qint64 headersEnd = h.paletteOffset;
    if (fields) {
        parseMasks(data, size, headerSize, h);
        if (headerSize == 40) {
            headersEnd += 12;
        }
        for (int i = 0; i < 4; ++i) {
            if (!channelOf(h.masks[static_cast<size_t>(i)])) {
                return std::nullopt;
            }
        }
    } else if (direct) {
        setPlainMasks(h);
    }
    if (paletted) {
        const quint32 used = given->coloursUsed;
        h.paletteEntries = used != 0 ? static_cast<int>(std::min(used, 257U)) : (1 << h.bits);
        if (h.paletteEntries > 256) {
            return std::nullopt;
        }
        headersEnd += static_cast<qint64>(h.paletteEntries) * h.paletteEntryBytes;
    }
    // A pixel offset that points into the headers is taken to mean "right after them".
    h.pixelOffset = std::max(given->pixelOffset, headersEnd);
    return h;
}

namespace {

#if defined(__x86_64__)
// Four pixels with one byte shuffle; returns how many pixels it unpacked. Each load takes
// 16 bytes for 12, so the last groups are left to the caller: nothing is read past the row.
__attribute__((target("ssse3"))) int unpack24Shuffled(const uchar* in, int width, QRgb* out) {
    const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000U));
    int x = 0;
    for (; x + 6 <= width; x += 4) {
        const __m128i twelve =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + std::ptrdiff_t{3} * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_or_si128(_mm_shuffle_epi8(twelve, order), opaque));
    }
    return x;
}

const bool kHasShuffle = __builtin_cpu_supports("ssse3");
#endif

void unpack24(const uchar* in, int width, QRgb* out) {
    int x = 0;
#if defined(__x86_64__)
    if (kHasShuffle) {
        x = unpack24Shuffled(in, width, out);
    }
#endif
    for (; x < width; ++x) {
        const uchar* p = in + std::ptrdiff_t{3} * x;
        out[x] = qRgb(p[2], p[1], p[0]);
    }
}

void unpackFields(const uchar* in, const BmpHeader& h, QRgb* out) {
    const Channel r = *channelOf(h.masks[0]);
    const Channel g = *channelOf(h.masks[1]);
    const Channel b = *channelOf(h.masks[2]);
    const Channel a = *channelOf(h.masks[3]);
    const bool alpha = h.masks[3] != 0;
    const int bytes = h.bits / 8;
    for (int x = 0; x < h.width; ++x, in += bytes) {
        const quint32 c =
            bytes == 2 ? qFromLittleEndian<quint16>(in) : qFromLittleEndian<quint32>(in);
        out[x] =
            qRgba(static_cast<int>(valueOf(r, c)), static_cast<int>(valueOf(g, c)),
                  static_cast<int>(valueOf(b, c)), alpha ? static_cast<int>(valueOf(a, c)) : 255);
    }
}

void unpackRow(const uchar* in, const BmpHeader& h, uchar* out) {
    switch (h.bits) {
        case 1:
            std::memcpy(out, in, static_cast<size_t>((h.width + 7) / 8));
            return;
        case 4:
            for (int x = 0; x < h.width; ++x) {
                out[x] = (x & 1) != 0 ? (in[x / 2] & 0x0F) : (in[x / 2] >> 4);
            }
            return;
        case 8:
            std::memcpy(out, in, static_cast<size_t>(h.width));
            return;
        case 24:
            unpack24(in, h.width, reinterpret_cast<QRgb*>(out));
            return;
        case 32:
            if (h.masks == std::array<quint32, 4>{0xFF0000U, 0xFF00U, 0xFFU, 0U}) {
                const auto* px = reinterpret_cast<const quint32*>(in);
                auto* to = reinterpret_cast<QRgb*>(out);
                for (int x = 0; x < h.width; ++x) {
                    to[x] = qFromLittleEndian(px[x]) | 0xFF000000U;
                }
                return;
            }
            break;
        default:
            break;
    }
    unpackFields(in, h, reinterpret_cast<QRgb*>(out));
}

// Reads exactly `size` bytes at `offset`; false when the file ends first.
bool readAt(int fd, qint64 offset, char* to, qint64 size) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, to, static_cast<size_t>(size), offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        to += got;
        offset += got;
        size -= got;
    }
    return true;
}

void readPalette(int fd, const BmpHeader& h, QImage& image) {
    if (h.paletteEntries == 0) {
        return;
    }
    std::vector<char> bytes(static_cast<size_t>(h.paletteEntries * h.paletteEntryBytes));
    if (!readAt(fd, h.paletteOffset, bytes.data(), static_cast<qint64>(bytes.size()))) {
        throw PictureError("The bitmap file is cut short.");
    }
    QList<QRgb> table(h.paletteEntries);
    for (int i = 0; i < h.paletteEntries; ++i) {
        const auto* e = reinterpret_cast<const uchar*>(bytes.data()) + i * h.paletteEntryBytes;
        table[i] = qRgb(e[2], e[1], e[0]);
    }
    image.setColorTable(table);
}

QImage imageFor(const BmpHeader& h, QImage into) {
    const QImage::Format format = h.format();
    if (into.width() == h.width && into.height() == h.height && into.format() == format &&
        into.isDetached()) {
        return into;
    }
    into = QImage();  // let it go before the new one is made
    QImage image =
        h.bits > 8 ? largeImage(h.width, h.height, format) : QImage(h.width, h.height, format);
    if (image.isNull()) {
        throw std::bad_alloc();
    }
    return image;
}

// Whether every pixel's alpha is 0.
bool everyPixelTransparent(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(pixels[x]) != 0) {
                return false;
            }
        }
    }
    return true;
}

// A bitmap's fourth byte is alpha only because its header says so, and many writers leave
// it at 0 under a header with an alpha mask. A map of which no pixel could be seen was
// surely meant to be opaque: an alpha channel that is 0 throughout is taken for none, as
// web browsers read such bitmaps. (A PNG's alpha means what it says, and stays.)
void dropInvisibleAlpha(QImage& image) {
    if (image.format() != QImage::Format_ARGB32 || !everyPixelTransparent(image)) {
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            pixels[x] |= 0xFF000000U;
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
}

}  // namespace

QImage readBmpPixels(int fd, qint64 fileSize, const BmpHeader& h, QImage into, Progress& progress) {
    if (fileSize < h.fileBytesNeeded()) {
        throw PictureError("The bitmap file is cut short.");
    }
    QImage image = imageFor(h, std::move(into));
    readPalette(fd, h, image);
    image.setDotsPerMeterX(h.dotsPerMeterX);
    image.setDotsPerMeterY(h.dotsPerMeterY);
    const int rowsPerChunk = static_cast<int>(std::max<qint64>(1, kChunkBytes / h.stride));
    const int chunks = (h.height + rowsPerChunk - 1) / rowsPerChunk;
    const auto rowsIn = [&](int chunk) {
        return std::min(rowsPerChunk, h.height - chunk * rowsPerChunk);
    };
    const auto read = [&](int chunk, char* buffer) -> qint64 {
        const qint64 bytes = h.stride * rowsIn(chunk);
        const qint64 at = h.pixelOffset + h.stride * chunk * rowsPerChunk;
        return readAt(fd, at, buffer, bytes) ? bytes : -1;
    };
    uchar* const pixels = image.bits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    int chunk = 0;
    const auto unpack = [&](const char* bytes, qint64 size) {
        if (size < 0) {
            return false;  // the file shrank while it was read
        }
        advanceOrStop(progress, static_cast<double>(chunk) / chunks);
        const int first = chunk * rowsPerChunk;
        for (int r = 0; r < rowsIn(chunk); ++r) {
            const int fileRow = first + r;
            const int y = h.topDown ? fileRow : h.height - 1 - fileRow;
            unpackRow(reinterpret_cast<const uchar*>(bytes) + h.stride * r, h,
                      pixels + bytesPerLine * y);
        }
        ++chunk;
        return true;
    };
    if (!pipeChunks(chunks, static_cast<std::size_t>(h.stride * rowsPerChunk), kChunksInFlight,
                    read, unpack)) {
        throw PictureError("The bitmap file is cut short.");
    }
    dropInvisibleAlpha(image);
    return image;
}

}  // namespace tessara
