// Replacing a file without ever leaving a half-written one behind: the new content goes to
// a temporary file in the same folder, which is then renamed over the target. A symbolic
// link that has the target's name is itself replaced, not followed. The new file is on the
// disk, and so is its name, before the function returns: a power loss cannot leave an
// empty map behind. A read-only file is not replaced, as an editor would not.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "core/write_result.h"
#include "image/scratch_files.h"

class QIODevice;

namespace tessara {

// The reason a write failed with `error` (an errno), in words for the user.
QString writeFailureReason(int error);

// How far a written file is flushed: to the disk, or left to the system's cache (for a
// scratch file, which a power loss costs nothing).
enum class Durability { OnDisk, Cached };

// Runs `write` on a temporary file beside `path`, then moves it over `path`. `write`
// returns false (or throws) to abandon the file. On failure the result says why, `path` is
// untouched and the temporary file is gone.
WriteResult writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                                Durability durability = Durability::OnDisk);

// Why writeFileAtomically would not replace the file at `path`: a folder there, or a
// read-only file; empty when it would.
QString replacementProblem(const QString& path);

// The folder that holds `path`, as the bytes of its name (file_names.h), and the flush of
// its entries that writeFileAtomically makes after its rename.
QByteArray folderOf(const QString& path);
void syncFolder(const QByteArray& folder);

// A file beside `beside` that is to take its place later, named as writeFileAtomically's
// own scratch files are: hidden, after it, shortened where the name leaves no room. It is
// made empty at once, so that no other write takes the name, with a new file's permissions
// or (OfReplaced) those of the file it will replace; a signal that ends the program removes
// it, and so does the end of this object unless it was renamed away before.
class ScratchFile {
  public:
    enum class Mode { OfNewFile, OfReplaced };
    ScratchFile(const QString& beside, Mode mode);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int error() const { return error_; }  // the errno it could not be made with; 0 once made
    const QByteArray& path() const { return path_; }
    QString name() const;  // the path, for the writers that take one (file_names.h)

  private:
    QByteArray path_;
    int error_ = 0;
    std::optional<RememberedScratch> remembered_;
};

// What flushes a written file, and then its folder, to the disk: fsync. A test puts its own
// in its place to see what is flushed and when, or to make the flush fail as a failing disk
// does. Returns the one it replaces.
using FlushToDisk = int (*)(int fd);
FlushToDisk setFlushToDisk(FlushToDisk flush);

}  // namespace tessara
