// Whether a picture fits in this machine's memory, asked before it is decoded: a file
// that claims an absurd size is refused at once instead of exhausting the memory.
#pragma once

#include <QtGlobal>

namespace tessara {

// The longest side a map may have, in pixels.
inline constexpr qint64 kLongestSide = 32767;

// Bytes of memory the machine can give a new picture now.
qint64 memoryAvailable();

// Throws PictureTooLarge, naming the size, when a picture of `width` x `height` pixels at
// `bitsPerPixel` is over the longest side; PictureOutOfMemory when it needs more than
// `available` bytes.
void checkPictureFits(qint64 width, qint64 height, int bitsPerPixel,
                      qint64 available = memoryAvailable());

}  // namespace tessara
