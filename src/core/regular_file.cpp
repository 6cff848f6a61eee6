#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "core/file_names.h"

namespace tessara {
namespace {

RegularFile::Refusal refusalFor(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) {
        return RegularFile::Refusal::Folder;
    }
    return S_ISREG(st.st_mode) ? RegularFile::Refusal::None : RegularFile::Refusal::NotRegular;
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

RegularFile::RegularFile(const QString& path) {
    const QByteArray name = encodeFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && (refusal_ = refusalFor(st)) != Refusal::None) {
        return;
    }
    // Opening the file ourselves gives the true reason it cannot be read (missing, no
    // permission on it or on a folder above it). Without blocking: a pipe put in its place
    // since the check above must not hang the program either.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = errno;
        refusal_ = Refusal::CannotOpen;
        return;
    }
    if (::fstat(fd, &st) != 0 || (refusal_ = refusalFor(st)) != Refusal::None) {
        refusal_ = refusal_ == Refusal::None ? Refusal::NotRegular : refusal_;
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = st.st_size;
    device_ = st.st_dev;
    inode_ = st.st_ino;
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QByteArray RegularFile::head(qint64 bytes) const {
    QByteArray data(static_cast<qsizetype>(std::clamp<qint64>(bytes, 0, size_)), Qt::Uninitialized);
    data.truncate(static_cast<qsizetype>(readFromStart(fd_, data.data(), data.size())));
    return data;
}

}  // namespace tessara
