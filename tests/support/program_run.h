// The built program run as a user runs it from a shell, on a machine with no display.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

namespace tessara::test {

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

// This process's environment without a display: the program must not need one.
QProcessEnvironment environmentWithoutDisplay();

// Waits for the started `process` to end of itself, then reads what it wrote; `what` names
// the run in a failure.
Finished finish(QProcess& process, const std::string& what);

// Runs `program` with the arguments, split as a shell splits them, in `folder`, with no
// display; waits for it to end.
// `fileLimit` bytes, when given, is the most any file it writes may grow to, as `ulimit -f`
// sets it, the signal that limit sends left to its default: ending the program.
Finished runIn(const QString& program, const QString& folder, const QString& arguments,
               long fileLimit = -1);

// The files in the folder, hidden ones included: what a run left there.
QStringList filesIn(const QString& folder);

}  // namespace tessara::test
