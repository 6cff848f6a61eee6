// A picture file opened once, as a regular file (core/regular_file.h): what is not one (a
// folder, a named pipe, a device) is refused before it is opened, so that nothing can hang
// on it, and every byte the picture is decoded from, and checked in, comes from the one
// descriptor.
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>

#include "core/regular_file.h"

namespace tessara {

// Which file a path names on its disk, whatever the name it is reached by.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool isNull() const { return inode == 0; }
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The file `path` names now; a null identity when there is none.
FileIdentity identityOf(const QString& path);

class PictureFile {
  public:
    // Throws PictureError, with the reason in words for the user, when the path is not a
    // regular file or cannot be opened.
    explicit PictureFile(const QString& path);

    int descriptor() const { return file_.descriptor(); }
    qint64 size() const { return file_.size(); }
    FileIdentity identity() const { return {file_.device(), file_.inode()}; }
    // Up to `bytes` bytes from the start of the file.
    QByteArray head(qint64 bytes) const { return file_.head(bytes); }
    // The whole file. Throws std::bad_alloc when it does not fit in memory.
    QByteArray readAll() const { return file_.readAll(); }

  private:
    RegularFile file_;
};

}  // namespace tessara
