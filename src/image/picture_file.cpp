#include "image/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "core/file_names.h"
#include "image/picture.h"

namespace tessara {
namespace {

void refuseUnlessRegular(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) {
        throw PictureError("It is a folder, not a picture file.");
    }
    if (!S_ISREG(st.st_mode)) {
        throw PictureError("It is not a picture file but a pipe, a device or a socket.");
    }
}

// Reads up to `size` bytes from the start; fewer when the file is shorter.
qint64 readFromStart(int fd, char* to, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, to + done, static_cast<size_t>(size - done), done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace

FileIdentity identityOf(const QString& path) {
    struct stat st {};
    if (::stat(encodeFileName(path).constData(), &st) != 0) {
        return {};
    }
    return {st.st_dev, st.st_ino};
}

PictureFile::PictureFile(const QString& path) {
    const QByteArray name = encodeFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0) {
        refuseUnlessRegular(st);
    }
    // Opening the file ourselves gives the true reason it cannot be read (missing, no
    // permission on it or on a folder above it). Without blocking: a pipe put in its place
    // since the check above must not hang the program either.
    fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        throw PictureError(std::string("The file cannot be opened: ") + std::strerror(errno));
    }
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        refuseUnlessRegular(st);
    }
    size_ = st.st_size;
    identity_ = {st.st_dev, st.st_ino};
}

PictureFile::~PictureFile() {
    ::close(fd_);
}

QByteArray PictureFile::head(qint64 bytes) const {
    QByteArray data(static_cast<qsizetype>(std::min(bytes, size_)), Qt::Uninitialized);
    data.truncate(static_cast<qsizetype>(readFromStart(fd_, data.data(), data.size())));
    return data;
}

QByteArray PictureFile::readAll() const {
    return head(size_);
}

}  // namespace tessara
