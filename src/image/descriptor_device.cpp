#include "image/descriptor_device.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace tessara {

DescriptorDevice::DescriptorDevice(int fd) : fd_(fd) {
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

bool DescriptorDevice::seek(qint64 pos) {
    return ::lseek(fd_, pos, SEEK_SET) == pos && QIODevice::seek(pos);
}

qint64 DescriptorDevice::size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
}

qint64 DescriptorDevice::readData(char* data, qint64 size) {
    ssize_t got = 0;
    do {
        got = ::read(fd_, data, static_cast<size_t>(size));
    } while (got < 0 && errno == EINTR);
    return got;
}

qint64 DescriptorDevice::writeData(const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd_, data + done, static_cast<size_t>(size - done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            // A write that puts nothing without an error is a full disk too.
            error_ = put < 0 ? errno : ENOSPC;
            setErrorString(QString::fromLocal8Bit(std::strerror(error_)));
            return done > 0 ? done : -1;
        }
        done += put;
    }
    return done;
}

}  // namespace tessara
