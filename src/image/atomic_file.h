// Replacing a file without ever leaving a half-written one behind: the new content goes to
// a temporary file in the same folder, which is then renamed over the target. A symbolic
// link that has the target's name is itself replaced, not followed.
#pragma once

#include <QString>
#include <functional>

class QIODevice;

namespace tessara {

// Runs `write` on a temporary file beside `path`, then moves it over `path`. `write`
// returns false (or throws) to abandon the file. Returns an empty string on success,
// otherwise the reason for the failure; on failure `path` is untouched and the temporary
// file is gone.
QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write);

}  // namespace tessara
