// A PNG file written from a picture that is made a band of rows at a time and never held
// whole: a board flattened from a 12-megapixel photo would cost another 41 MiB beside the
// photo, and it is made band by band anyway.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

#include "core/progress.h"
#include "core/write_result.h"

namespace tessara {

// Fills `band` (QImage::Format_RGB32, the picture's width, band.height() rows) with the
// picture's rows from `top` on. May throw (std::bad_alloc, cv::Exception...). It is called
// on the machine's processors, several bands at once and not in order, so it must be safe to
// call from many threads together.
using BandMaker = std::function<void(int top, QImage& band)>;

// Writes a PNG picture of `size` to `path`, made band by band by `make` (bands of a few
// dozen rows, the last one shorter), each band filtered and compressed on the thread that
// made it as a piece of the file's one zlib stream, and written in order as soon as the bands
// before it are: only the bands in the making and those made early are held. 8-bit RGB, no
// alpha, literals and runs (image/run_deflate.h), never half-written: through writeFileAtomically
// (image/atomic_file.h), so on any failure `path` is untouched and the result says why.
// Reports progress (0..1 by rows written) on the calling thread, and throws WorkCancelled
// (core/progress.h), `path` untouched, when the user stops it. An exception from `make`
// is passed on, `path` untouched.
WriteResult writePngInBands(const QString& path, QSize size, const BandMaker& make,
                            Progress& progress = noProgress());

}  // namespace tessara
