// Replacing a file without ever leaving a half-written one behind: the new content goes to
// a temporary file in the same folder, which is then renamed over the target. A symbolic
// link that has the target's name is itself replaced, not followed. The new file is on the
// disk, and so is its name, before the function returns: a power loss cannot leave an
// empty map behind. A read-only file is not replaced, as an editor would not.
#pragma once

#include <QString>
#include <functional>

#include "core/write_result.h"

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

// For the handlers of the signals that end a program (SIGINT, SIGTERM, SIGHUP): removes the
// temporary file of every write under way, so that none is left beside its target, then
// ends the process by `signal` as its default action does. Safe in a signal handler.
void removeScratchFilesAndRaise(int signal);

// What flushes a written file, and then its folder, to the disk: fsync. A test puts its own
// in its place to see what is flushed and when, or to make the flush fail as a failing disk
// does. Returns the one it replaces.
using FlushToDisk = int (*)(int fd);
FlushToDisk setFlushToDisk(FlushToDisk flush);

}  // namespace tessara
