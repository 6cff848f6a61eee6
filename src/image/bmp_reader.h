// Our own reader of uncompressed Windows bitmaps: 1, 4, 8, 16, 24 and 32 bits per pixel,
// rows bottom-up or top-down, with or without bit fields, under any of the usual
// information headers. Unlike Qt's decoder it has no limit on the number of pixels, and it
// reads straight from the file into the picture's memory, which may be memory the caller
// already holds.
#pragma once

#include <QImage>
#include <QtGlobal>
#include <array>
#include <optional>

#include "core/progress.h"

namespace tessara {

// What a bitmap's headers say about its pixels.
struct BmpHeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    qint64 pixelOffset = 0;
    qint64 stride = 0;               // bytes per row in the file
    std::array<quint32, 4> masks{};  // red, green, blue, alpha (16 and 32 bits)
    qint64 paletteOffset = 0;
    int paletteEntries = 0;
    int paletteEntryBytes = 4;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;

    // The picture's format once read: Mono, Indexed8, RGB32 or ARGB32.
    QImage::Format format() const;
    // Bytes the file needs to hold every row; the largest size there is when a header claims
    // more than that.
    qint64 fileBytesNeeded() const;
};

// The headers of an uncompressed bitmap from the first bytes of its file; nothing when the
// bytes are not those of an uncompressed bitmap this reader can read.
std::optional<BmpHeader> parseBmpHeader(const uchar* data, qint64 size);

// Reads the pixels of the bitmap open as `fd` (a regular file of `fileSize` bytes) whose
// headers are `header`. When `into` has the picture's size and format and nothing else
// shares it, its memory receives the pixels. Throws PictureError when the file is damaged
// or cut short, std::bad_alloc when there is no memory for the picture.
QImage readBmpPixels(int fd, qint64 fileSize, const BmpHeader& header, QImage into = {},
                     Progress& progress = noProgress());

}  // namespace tessara
