// Pictures decoded by Qt's image plugins (JPEG, PNG, GIF, TIFF, WebP, compressed and
// paletted bitmaps), from bytes already read from the file, so that the bytes checked for
// damage are the bytes decoded.
#pragma once

#include <QByteArray>
#include <QImage>

namespace tessara {

// The picture in `bytes`, the format decided by the content. Throws PictureError when the
// bytes are damaged or cut short, or the decoder reports corrupt data; PictureTooLarge,
// before decoding, when the picture would not fit in memory.
QImage decodeWithQt(const QByteArray& bytes);

}  // namespace tessara
