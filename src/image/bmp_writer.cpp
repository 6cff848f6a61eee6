#include "image/bmp_writer.h"

#include <QIODevice>
#include <QtEndian>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "image/bmp_header.h"
#include "image/chunk_pipeline.h"

namespace tessara {
namespace {

// Rows are packed on a second thread into chunks of about this size while the chunks packed
// before are written; a few chunks in flight stay in the processor's cache, which makes
// the packing almost free beside the copy into the file (more or larger chunks measured
// slower, as they fall out of the cache before they are written).
constexpr qint64 kChunkBytes = 512 << 10;
constexpr int kChunksInFlight = 3;

QList<QRgb> paletteOf(const QImage& image) {
    if (image.format() == QImage::Format_Grayscale8) {
        QList<QRgb> grey(256);
        for (int i = 0; i < 256; ++i) {
            grey[i] = qRgb(i, i, i);
        }
        return grey;
    }
    if (bmpBitsPerPixel(image) == 24) {
        return {};
    }
    QList<QRgb> table = image.colorTable();
    const int entries = bmpBitsPerPixel(image) == 1 ? 2 : 256;
    if (table.size() < 2 && entries == 2) {
        table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    }
    if (table.size() > entries) {
        table.resize(entries);
    }
    return table;
}

void put16(char* at, quint16 v) {
    qToLittleEndian(v, at);
}
void put32(char* at, quint32 v) {
    qToLittleEndian(v, at);
}

QByteArray headers(const QImage& image, const QList<QRgb>& palette) {
    const int bits = bmpBitsPerPixel(image);
    const qint64 paletteBytes = static_cast<qint64>(palette.size()) * 4;
    const qint64 offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + paletteBytes;
    QByteArray h(static_cast<qsizetype>(offset), '\0');
    char* p = h.data();
    p[0] = 'B';
    p[1] = 'M';
    const qint64 total = bmpFileSize(image);
    // Files over 4 GiB cannot state their size; readers take it from the info header.
    put32(p + 2, total > 0xFFFFFFFFLL ? 0U : static_cast<quint32>(total));
    put32(p + 10, static_cast<quint32>(offset));
    char* info = p + kBmpFileHeaderBytes;
    put32(info, kBmpInfoHeaderBytes);
    put32(info + 4, static_cast<quint32>(image.width()));
    put32(info + 8, static_cast<quint32>(image.height()));  // positive: rows bottom-up
    put16(info + 12, 1);
    put16(info + 14, static_cast<quint16>(bits));
    put32(info + 16, 0);  // uncompressed
    const qint64 imageBytes = bmpStride(image.width(), bits) * image.height();
    put32(info + 20, imageBytes > 0xFFFFFFFFLL ? 0U : static_cast<quint32>(imageBytes));
    put32(info + 24, static_cast<quint32>(image.dotsPerMeterX()));
    put32(info + 28, static_cast<quint32>(image.dotsPerMeterY()));
    put32(info + 32, static_cast<quint32>(palette.size()));
    put32(info + 36, 0);
    char* entry = info + kBmpInfoHeaderBytes;
    for (const QRgb c : palette) {
        entry[0] = static_cast<char>(qBlue(c));
        entry[1] = static_cast<char>(qGreen(c));
        entry[2] = static_cast<char>(qRed(c));
        entry[3] = 0;
        entry += 4;
    }
    return h;
}

// One row of a 32-bit picture as 24-bit blue, green, red triples. Four pixels at a time
// make three whole 32-bit words, which packs a large map about twice as fast as byte by
// byte.
void packRow24Words(const uchar* line, int from, int width, char* out) {
    const auto* px = reinterpret_cast<const QRgb*>(line);
    int x = from;
    out += static_cast<std::ptrdiff_t>(from) * 3;
    for (; x + 4 <= width; x += 4, out += 12) {
        const quint32 p0 = px[x] & 0xFFFFFFU;
        const quint32 p1 = px[x + 1] & 0xFFFFFFU;
        const quint32 p2 = px[x + 2] & 0xFFFFFFU;
        const quint32 p3 = px[x + 3] & 0xFFFFFFU;
        qToLittleEndian<quint32>(p0 | (p1 << 24), out);
        qToLittleEndian<quint32>((p1 >> 8) | (p2 << 16), out + 4);
        qToLittleEndian<quint32>((p2 >> 16) | (p3 << 8), out + 8);
    }
    for (; x < width; ++x, out += 3) {
        const QRgb c = px[x];
        out[0] = static_cast<char>(qBlue(c));
        out[1] = static_cast<char>(qGreen(c));
        out[2] = static_cast<char>(qRed(c));
    }
}

#if defined(__x86_64__)
// The same with one byte shuffle per four pixels, on processors that have it (nearly every
// x86-64 made since 2006): packing is then no longer the slow half of saving a map. Each
// 16-byte store runs 4 bytes past its 12; the next store covers them, and the last group
// of the row is left to the word loop so that nothing is written past the row.
__attribute__((target("ssse3"))) void packRow24Shuffled(const uchar* line, int width, char* out) {
    const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 8 <= width; x += 4, out += 12) {
        const __m128i four =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + std::ptrdiff_t{4} * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(four, order));
    }
    packRow24Words(line, x, width, out - static_cast<std::ptrdiff_t>(x) * 3);
}

const bool kHasShuffle = __builtin_cpu_supports("ssse3");
#endif

void packRow24(const uchar* line, int width, char* out) {
#if defined(__x86_64__)
    if (kHasShuffle) {
        packRow24Shuffled(line, width, out);
        return;
    }
#endif
    packRow24Words(line, 0, width, out);
}

}  // namespace

int bmpBitsPerPixel(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            return 1;
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8:
            return 8;
        default:
            return 24;
    }
}

qint64 bmpFileSize(const QImage& image) {
    const qint64 paletteBytes = static_cast<qint64>(paletteOf(image).size()) * 4;
    return kBmpFileHeaderBytes + kBmpInfoHeaderBytes + paletteBytes +
           bmpStride(image.width(), bmpBitsPerPixel(image)) * image.height();
}

bool writeBmp(const QImage& source, QIODevice& out, Progress& progress) {
    if (source.isNull()) {
        return false;
    }
    QImage image = source;
    const int bits = bmpBitsPerPixel(image);
    if (image.format() == QImage::Format_MonoLSB) {
        image = image.convertToFormat(QImage::Format_Mono);
    } else if (bits == 24 && image.format() != QImage::Format_RGB32 &&
               image.format() != QImage::Format_ARGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    const QByteArray head = headers(image, paletteOf(image));
    if (out.write(head) != head.size()) {
        return false;
    }
    const qint64 stride = bmpStride(image.width(), bits);
    const int rowsPerChunk = static_cast<int>(std::max<qint64>(1, kChunkBytes / stride));
    const qint64 copyBytes = bits == 24 ? 0 : (static_cast<qint64>(image.width()) * bits + 7) / 8;
    const int height = image.height();
    // The file holds the rows bottom-up: chunk c holds the file's rows from c x rowsPerChunk.
    const auto pack = [&](int chunk, char* at) {
        const int first = chunk * rowsPerChunk;
        const int last = std::min(height, first + rowsPerChunk);
        for (int row = first; row < last; ++row, at += stride) {
            const uchar* line = image.constScanLine(height - 1 - row);
            if (bits == 24) {
                packRow24(line, image.width(), at);
            } else {
                std::memcpy(at, line, static_cast<size_t>(copyBytes));
            }
        }
        return stride * (last - first);
    };
    const int chunks = (height + rowsPerChunk - 1) / rowsPerChunk;
    int written = 0;
    const auto write = [&](const char* bytes, qint64 size) {
        advanceOrStop(progress, static_cast<double>(written++) / chunks);
        return out.write(bytes, size) == size;
    };
    return pipeChunks(chunks, static_cast<std::size_t>(stride * rowsPerChunk), kChunksInFlight,
                      pack, write);
}

}  // namespace tessara
