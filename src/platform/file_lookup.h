// Asking whether a file exists, as one small interface.
#pragma once

#include <QString>

namespace tessara {

class FileLookup {
  public:
    virtual ~FileLookup() = default;
    // The file's name when a file of that path exists, else an empty text.
    virtual QString Dir(const QString& path) = 0;
};

}  // namespace tessara
