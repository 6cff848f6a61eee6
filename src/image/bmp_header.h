// The headers of a Windows bitmap as its first bytes hold them, read in one place for our
// reader of uncompressed bitmaps and for the checks that catch damaged bitmap files, and
// the sizes our writer writes them in. Each reader judges the fields for itself: ours takes
// only what it can read, the checks any bitmap whose size or runs they can follow.
#pragma once

#include <QtGlobal>
#include <optional>

namespace tessara {

inline constexpr qint64 kBmpFileHeaderBytes = 14;
inline constexpr quint32 kBmpCoreHeaderBytes = 12;  // the oldest: 16-bit sizes, no compression
inline constexpr quint32 kBmpInfoHeaderBytes = 40;  // every later header starts with these

// The fields as written, before anything is made of them.
struct BmpFields {
    qint64 pixelOffset = 0;  // where the file header says the pixels start
    quint32 headerSize = 0;
    qint64 width = 0;
    qint64 height = 0;  // negative when the rows run top-down
    int planes = 0;
    int bits = 0;
    quint32 compression = 0;
    // The rest stand only in the full 40 bytes of a later header, and are 0 without them.
    bool wholeInfoHeader = false;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
    quint32 coloursUsed = 0;
};

// Nothing unless the data starts with "BM" and holds the sizes, planes, bits and (in a
// header of 40 bytes or more) the compression, wherever the header size puts them: under
// the oldest header 26 bytes at least, under a later one 34.
std::optional<BmpFields> readBmpFields(const uchar* data, qint64 size);

// Bytes a row takes in the file: whole 32-bit words.
qint64 bmpStride(qint64 width, int bits);

// The bytes of a file whose pixels of `rows` rows of `stride` bytes start at `offset`; the
// largest size there is when that does not fit, as under a header that claims any size.
qint64 bmpFileBytes(qint64 offset, qint64 stride, qint64 rows);

}  // namespace tessara
