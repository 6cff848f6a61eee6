#include "image/file_pair.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

#include "core/file_names.h"
#include "image/atomic_file.h"

namespace tessara {
namespace {

// An exclusive lock on the folder while this lives, so that two runs writing the same pair
// put theirs in place one after the other. None where the folder cannot be read or locked
// (a folder one may write to but not list, a file system without locks): the pair is then
// put in place unguarded.
class FolderLock {
  public:
    explicit FolderLock(const QByteArray& folder)
        : fd_(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    int fd_;
};

// How the companion went in place, which says how to put back what was there.
enum class Placement {
    Failed,
    Swapped,   // the old file now has the scratch name, to go back or away
    New,       // there was none: going back is removing the new one
    Replaced,  // a file system that cannot swap two names: the old file is gone
};

Placement placeCompanion(const QByteArray& scratch, const QByteArray& path) {
    if (::renameat2(AT_FDCWD, scratch.constData(), AT_FDCWD, path.constData(), RENAME_EXCHANGE) ==
        0) {
        return Placement::Swapped;
    }
    if (errno != ENOENT && errno != EINVAL && errno != ENOSYS) {
        return Placement::Failed;
    }
    struct stat st {};
    const bool existed = ::lstat(path.constData(), &st) == 0;
    if (std::rename(scratch.constData(), path.constData()) != 0) {
        return Placement::Failed;
    }
    return existed ? Placement::Replaced : Placement::New;
}

void putBack(Placement placement, const QByteArray& scratch, const QByteArray& path) {
    if (placement == Placement::Swapped) {
        std::rename(scratch.constData(), path.constData());
    } else if (placement == Placement::New) {
        ::unlink(path.constData());
    }
}

PairOutcome failedAt(const QString& path, int error) {
    return {WriteResult::failed(writeFailureReason(error)), path};
}

ScratchFile::Mode modeOf(const PairPart& part) {
    return part.keepsMode ? ScratchFile::Mode::OfReplaced : ScratchFile::Mode::OfNewFile;
}

}  // namespace

PairOutcome writeFilePair(const PairPart& file, const PairPart& companion) {
    for (const PairPart* part : {&file, &companion}) {
        if (const QString problem = replacementProblem(part->path); !problem.isEmpty()) {
            return {WriteResult::failed(problem), part->path};
        }
    }
    const ScratchFile fileScratch(file.path, modeOf(file));
    if (fileScratch.error() != 0) {
        return failedAt(file.path, fileScratch.error());
    }
    if (WriteResult written = file.write(fileScratch.name()); !written) {
        return {std::move(written), file.path};
    }
    const ScratchFile companionScratch(companion.path, modeOf(companion));
    if (companionScratch.error() != 0) {
        return failedAt(companion.path, companionScratch.error());
    }
    if (WriteResult written = companion.write(companionScratch.name()); !written) {
        return {std::move(written), companion.path};
    }
    const QByteArray folder = folderOf(file.path);
    {
        const FolderLock lock(folder);
        const EndingSignalsHeld held;
        const QByteArray companionPath = encodeFileName(companion.path);
        const Placement placed = placeCompanion(companionScratch.path(), companionPath);
        if (placed == Placement::Failed) {
            return failedAt(companion.path, errno);
        }
        if (std::rename(fileScratch.path().constData(), encodeFileName(file.path).constData()) !=
            0) {
            const int error = errno;
            putBack(placed, companionScratch.path(), companionPath);
            return failedAt(file.path, error);
        }
    }
    syncFolder(folder);
    return {};
}

}  // namespace tessara
