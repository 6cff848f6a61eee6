// A picture file opened once: what is not a regular file (a folder, a named pipe, a
// device) is refused before it is opened, so that nothing can hang on it, and every byte
// the picture is decoded from, and checked in, comes from the one descriptor.
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>

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
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    int descriptor() const { return fd_; }
    qint64 size() const { return size_; }
    FileIdentity identity() const { return identity_; }
    // Up to `bytes` bytes from the start of the file.
    QByteArray head(qint64 bytes) const;
    // The whole file. Throws std::bad_alloc when it does not fit in memory.
    QByteArray readAll() const;

  private:
    int fd_ = -1;
    qint64 size_ = 0;
    FileIdentity identity_;
};

}  // namespace tessara
