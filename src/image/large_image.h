// Memory for full-size pictures. A 192 MB picture in ordinary pages costs some 47,000 page
// faults the first time its pixels are written, which on a virtual machine took half a
// second for one copy of a map; mapped and populated in one call it takes a fifth of that.
#pragma once

#include <QImage>

namespace tessara {

// A 32-bit copy of `source` (any format), in memory populated at once.
// A null image when there is no memory for it.
QImage largeCopy(const QImage& source);

// Puts the pixels and the resolution of `source` into `into`, both 32-bit and of one size.
void copyPixels(const QImage& source, QImage& into);

// A new 32-bit image (RGB32 or ARGB32) whose pixels are not yet set, populated at once, in
// huge pages when the kernel has enough of them free.
QImage largeImage(int width, int height, QImage::Format format = QImage::Format_RGB32);

// While one lives, the memory of a large image freed is kept, one at a time, for the next
// large image of about its size (no larger, and not an eighth smaller), written already:
// work that decodes one section of a map after another spares the system clearing and
// backing each afresh. A large image of another size frees the kept memory before its own
// is mapped, and so does the last of these to end.
class LargeImageReuse {
  public:
    LargeImageReuse();
    ~LargeImageReuse();
    LargeImageReuse(const LargeImageReuse&) = delete;
    LargeImageReuse& operator=(const LargeImageReuse&) = delete;
};

// How many free 2 MiB huge pages the kernel's free lists hold, from the text of
// /proc/buddyinfo: each free block of order 9 and above makes 2^(order - 9) of them.
qint64 freeHugePages(const QByteArray& buddyinfo);

}  // namespace tessara
