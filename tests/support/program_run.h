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
Finished runIn(const QString& program, const QString& folder, const QString& arguments);

// The files in the folder, hidden ones included: what a run left there.
QStringList filesIn(const QString& folder);

}  // namespace tessara::test
