#include "image/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image/descriptor_device.h"

namespace tessara {
namespace {

std::atomic<FlushToDisk> flushToDisk{&::fsync};

// A new file beside the target, named after it and hidden. Created with the usual
// permissions for a new file (the kernel applies the umask, which is left alone: other
// threads may be creating files), or those of the regular file it will replace.
int createTemporary(const QFileInfo& target, QByteArray& name) {
    struct stat st {};
    const bool replaces =
        ::lstat(QFile::encodeName(target.absoluteFilePath()).constData(), &st) == 0 &&
        S_ISREG(st.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = QFile::encodeName(
            QStringLiteral("%1/.%2.%3")
                .arg(target.absolutePath(), target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            if (fd >= 0 && replaces) {
                ::fchmod(fd, st.st_mode & 07777);
            }
            return fd;
        }
    }
    return -1;
}

bool isReadOnlyFile(const QFileInfo& target) {
    struct stat st {};
    return ::lstat(QFile::encodeName(target.absoluteFilePath()).constData(), &st) == 0 &&
           S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

// Flushes the folder's entry for the renamed file, so that a power loss after the save
// leaves the new file under the name rather than nothing.
void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        flushToDisk.load()(fd);
        ::close(fd);
    }
}

// Writes and flushes the content to disk; the reason for the failure, or an empty string.
QString writeContent(int fd, const std::function<bool(QIODevice&)>& write, Durability durability) {
    DescriptorDevice device(fd);
    bool written = false;
    try {
        written = write(device);
    } catch (...) {
        written = false;
    }
    if (!written) {
        return device.lastError() != 0 ? writeFailureReason(device.lastError())
                                       : QStringLiteral("The file could not be written.");
    }
    if (durability == Durability::OnDisk && flushToDisk.load()(fd) != 0) {
        return writeFailureReason(errno);
    }
    return {};
}

}  // namespace

FlushToDisk setFlushToDisk(FlushToDisk flush) {
    return flushToDisk.exchange(flush);
}

QString writeFailureReason(int error) {
    if (error == ENOSPC || error == EDQUOT) {
        return QStringLiteral("The disk is full.");
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                            Durability durability) {
    const QFileInfo target(path);
    if (target.isDir() && !target.isSymLink()) {
        return QStringLiteral("%1 is a folder.").arg(path);
    }
    if (isReadOnlyFile(target)) {
        return QStringLiteral("The file %1 is read-only.").arg(target.fileName());
    }
    QByteArray temp;
    const int fd = createTemporary(target, temp);
    if (fd < 0) {
        return writeFailureReason(errno);
    }
    QString failure = writeContent(fd, write, durability);
    if (::close(fd) != 0 && failure.isEmpty()) {
        failure = writeFailureReason(errno);
    }
    if (failure.isEmpty() &&
        std::rename(temp.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) !=
            0) {
        failure = writeFailureReason(errno);
    }
    if (!failure.isEmpty()) {
        ::unlink(temp.constData());
        return failure;
    }
    if (durability == Durability::OnDisk) {
        syncFolder(target.absolutePath());
    }
    return {};
}

}  // namespace tessara
