// Writing the gridded map to OUTPUT in the format its extension chose, never half-written.
#pragma once

#include <QByteArray>
#include <QString>

#include "image/picture.h"

namespace tessara {

inline constexpr int kJpegQuality = 92;

// Writes `picture` to `path` as "bmp" (exactly as the window saves a map), "png", "jpeg" or
// "tiff". Returns an empty string on success, otherwise why it failed; on failure `path`
// is as it was before.
QString writeOutputFile(const Picture& picture, const QString& path, const QByteArray& format);

}  // namespace tessara
