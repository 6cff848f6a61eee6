// Writing a picture to a file in the format the user chose (PNG, JPEG, TIFF or a bitmap),
// never half-written, with the resolution the user gave recorded in it.
#pragma once

#include <QByteArray>
#include <QString>

#include "core/progress.h"
#include "core/write_result.h"
#include "image/picture.h"

namespace tessara {

inline constexpr int kJpegQuality = 92;

struct ExportOptions {
    QByteArray format = "png";  // "png", "jpeg", "tiff" or "bmp"
    int jpegQuality = kJpegQuality;
    // Recorded in the file; 0 keeps the resolution the picture already carries.
    double dotsPerInch = 0;
};

// Writes `picture` to `path`: a bitmap exactly as the window saves a map, the others
// through Qt's writers. On failure `path` is as it was before. Reports how far the writing
// has got (for PNG and JPEG an estimate, their size being known only once written) and
// throws WorkCancelled, `path` untouched, when the user stops it.
WriteResult exportPicture(const Picture& picture, const QString& path, const ExportOptions& options,
                          Progress& progress = noProgress());

// exportPicture with every option but the format at its default: the command line's output.
WriteResult writeOutputFile(const Picture& picture, const QString& path, const QByteArray& format);

// The format a file name's extension chooses ("jpg", "TIF" ...), or empty for one we do
// not write.
QByteArray formatForSuffix(const QString& suffix);

// The usual extension, without its dot, for a name given without one: "png", "jpg", "tif"
// or "bmp"; empty for an unknown format.
QString suffixForFormat(const QByteArray& format);

}  // namespace tessara
