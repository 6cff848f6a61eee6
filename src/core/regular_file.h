// A file opened to be read, and only when it is a regular file: a folder, a named pipe, a
// device or a socket is refused before it is opened, so that nothing can hang on a pipe
// nobody writes to or read a device for ever, and every byte read comes from the one
// descriptor. The name is opened as the bytes it stands for (file_names.h).
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>

namespace tessara {

class RegularFile {
  public:
    enum class Refusal {
        None,
        CannotOpen,  // missing, or no permission on it or on a folder above it: see error()
        Folder,
        NotRegular,  // a named pipe, a device or a socket
    };

    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Why the file was not opened; None when it was.
    Refusal refusal() const { return refusal_; }
    // For CannotOpen: the errno of the failed open.
    int error() const { return error_; }

    int descriptor() const { return fd_; }
    qint64 size() const { return size_; }
    dev_t device() const { return device_; }
    ino_t inode() const { return inode_; }
    // Up to `bytes` bytes from the start of the file.
    QByteArray head(qint64 bytes) const;
    // The whole file. Throws std::bad_alloc when it does not fit in memory.
    QByteArray readAll() const { return head(size_); }

  private:
    int fd_ = -1;
    Refusal refusal_ = Refusal::None;
    int error_ = 0;
    qint64 size_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace tessara
