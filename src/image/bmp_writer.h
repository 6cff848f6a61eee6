// Writes an image as a Windows bitmap: a "BM" file header, a 40-byte information header,
// a palette for 1- and 8-bit pictures, then the pixel rows bottom-up, each padded to four
// bytes. Colour pictures are written at 24 bits per pixel.
#pragma once

#include <QImage>

#include "core/progress.h"

class QIODevice;

namespace tessara {

// Bits per pixel the file will have for this image: 1, 8 or 24.
int bmpBitsPerPixel(const QImage& image);

// Bytes the whole file will take.
qint64 bmpFileSize(const QImage& image);

// Writes the file to `out`; false when a write fails (a full disk, say).
bool writeBmp(const QImage& image, QIODevice& out, Progress& progress = noProgress());

}  // namespace tessara
