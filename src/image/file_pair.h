// Two files that belong together, written so that a folder never holds one without the
// other: a file and its companion beside it, as a board and the grid definition that names
// it. Each is written whole under a scratch name first (ScratchFile). Then, with the folder
// locked against a pair that another run writes there at the same moment, and the signals
// that end the program held back (EndingSignalsHeld), the companion goes in place and then
// the file; should the file's rename fail, the companion's old file goes back. So the folder
// holds both new files or both old ones, whatever fails and whatever signal comes, and no
// scratch file is left behind.
#pragma once

#include <QString>
#include <functional>

#include "core/write_result.h"

namespace tessara {

struct PairPart {
    QString path;
    // Writes the whole file at `scratch`, a name beside `path` (file_names.h), as
    // exportPicture and writeFileAtomically write theirs.
    std::function<WriteResult(const QString& scratch)> write;
    // The new file takes the permissions of the one it replaces, as writeFileAtomically's
    // does; otherwise a new file's.
    bool keepsMode = true;
};

struct PairOutcome {
    WriteResult written;
    QString failedPath;  // the file that could not be written, when one could not
};

// Refuses, writing nothing, where writeFileAtomically would refuse either file.
PairOutcome writeFilePair(const PairPart& file, const PairPart& companion);

}  // namespace tessara
