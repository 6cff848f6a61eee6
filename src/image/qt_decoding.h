// Pictures decoded by Qt's image plugins (JPEG, PNG, GIF, TIFF, WebP, compressed and
// paletted bitmaps), from bytes already read from the file, so that the bytes checked for
// damage are the bytes decoded.
#pragma once

#include <QByteArray>
#include <QImage>

#include "core/progress.h"

namespace tessara {

// The picture in `bytes`, the format decided by the content, turned as its EXIF or TIFF
// orientation says; what follows the end of a JPEG or a WebP is left alone. Throws
// PictureError when the bytes are damaged or cut short, or the decoder reports corrupt data;
// PictureTooLarge, before decoding, when the picture would not fit in memory; std::bad_alloc
// when the decoder could not get the memory for it.
// The decoder reads the bytes in order as it decodes, so how far it has read is how far it
// has got; when `progress` asks to stop, decoding ends and WorkCancelled is thrown.
QImage decodeWithQt(const QByteArray& bytes, Progress& progress = noProgress());

}  // namespace tessara
