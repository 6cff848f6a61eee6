// The built program run as a user runs it from a shell, on a machine with no display.
#pragma once

#include <QProcess>
#include <QString>
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

}  // namespace tessara::test
