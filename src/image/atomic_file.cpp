#include "image/atomic_file.h"

#include <sys/stat.h>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessara {
namespace {

// Permissions for the new file: those of the regular file it replaces, or the usual ones
// for a new file under the process's umask.
mode_t permissionsFor(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        return st.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write) {
    const QFileInfo target(path);
    if (target.isDir() && !target.isSymLink()) {
        return QStringLiteral("%1 is a folder.").arg(path);
    }
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        return temp.errorString();
    }
    bool written = false;
    try {
        written = write(temp);
    } catch (...) {
        return QStringLiteral("The file could not be written.");
    }
    if (!written || !temp.flush()) {
        const QString reason = temp.errorString();
        return reason.isEmpty() || reason == QStringLiteral("Unknown error")
                   ? QStringLiteral("The file could not be written.")
                   : reason;
    }
    const QByteArray from = QFile::encodeName(temp.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    ::chmod(from.constData(), permissionsFor(path));
    if (std::rename(from.constData(), to.constData()) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    temp.setAutoRemove(false);  // it now carries the target's name
    return {};
}

}  // namespace tessara
