#include "support/program_run.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QDir>
#include <csignal>

namespace tessara::test {

QProcessEnvironment environmentWithoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(name);
    }
    return env;
}

Finished finish(QProcess& process, const std::string& what) {
    EXPECT_TRUE(process.waitForFinished(120000)) << what;
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << what;
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Finished runIn(const QString& program, const QString& folder, const QString& arguments,
               long fileLimit) {
    QProcess process;
    process.setProcessEnvironment(environmentWithoutDisplay());
    if (fileLimit >= 0) {
        process.setChildProcessModifier([fileLimit] {
            const rlimit limit{static_cast<rlim_t>(fileLimit), RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_DFL);
        });
    }
    process.setWorkingDirectory(folder);
    process.start(program, QProcess::splitCommand(arguments));
    return finish(process, arguments.toStdString());
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

}  // namespace tessara::test
