// Memory for full-size pictures. A 192 MB picture in ordinary pages costs some 47,000 page
// faults the first time its pixels are written, which on a virtual machine took half a
// second for one copy of a map; in huge pages it takes a few hundred.
#pragma once

#include <QImage>

namespace tessara {

// A 32-bit copy of `source` (any format), in huge pages where the system offers them.
// A null image when there is no memory for it.
QImage largeCopy(const QImage& source);

// A new 32-bit RGB image whose pixels are not yet set, in huge pages where possible.
QImage largeImage(int width, int height);

}  // namespace tessara
