// Fresh processes of the built program, as the user starts them from a shell without a
// display: their time from start to exit, their processor time and peak resident memory as
// the kernel counts them, and the figures the benchmarks that time them print.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "cli/command_line.h"

extern char** environ;

namespace tessara::bench {

// Ends the benchmark with one line on standard error; each benchmark defines it.
[[noreturn]] void fail(const QString& what);

struct Run {
    double ms = 0;
    double processorMs = 0;
    double peakMiB = 0;
    double parentMiB = 0;  // the benchmark's own as it started the process: the least peak
    QString out;
};

inline double timevalMs(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// The environment less the display: the command line runs as from a shell without one.
inline std::vector<char*> environmentWithoutDisplay() {
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (qstrncmp(*e, "DISPLAY=", 8) != 0) {
            env.push_back(*e);
        }
    }
    env.push_back(nullptr);
    return env;
}

// A process started by posix_spawn shares this one's memory until it runs its program, and
// the kernel counts this one's peak into its own: the peak is brought down to what this
// process holds now (Linux 4.0 and later), which the benchmark keeps small.
inline void resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// A fresh process from its start to its exit, its standard output kept in `outFile`, its
// peak resident memory and processor time as the kernel counted them.
inline Run runProcess(const QString& program, const QStringList& arguments,
                      const QString& outFile) {
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString& a : arguments) {
        bytes.push_back(QFile::encodeName(a));
    }
    std::vector<char*> argv;
    for (QByteArray& b : bytes) {
        argv.push_back(b.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const QByteArray outName = QFile::encodeName(outFile);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outName.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> env = environmentWithoutDisplay();
    Run run;
    rusage usage{};
    int status = 0;
    resetPeakResident();
    run.parentMiB = residentMiB();
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), env.data());
    const bool waited = spawned == 0 && ::wait4(pid, &status, 0, &usage) == pid;
    run.ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    posix_spawn_file_actions_destroy(&files);
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fail(program + " " + arguments.join(' ') + " failed");
    }
    run.processorMs = timevalMs(usage.ru_utime) + timevalMs(usage.ru_stime);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    QFile out(outFile);
    run.out = out.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(out.readAll()) : QString();
    return run;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Medians {
    std::vector<double> ms, processorMs, peakMiB;
    double parentMiB = 0;

    void add(const Run& run) {
        ms.push_back(run.ms);
        processorMs.push_back(run.processorMs);
        peakMiB.push_back(run.peakMiB);
        parentMiB = std::max(parentMiB, run.parentMiB);
    }
};

inline QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(' ', 0, 2)
                                          : QStringLiteral("unknown");
}

inline void line(const char* what, double value, const char* unit) {
    std::printf("%-62s %10.3f %s\n", what, value, unit);
}

inline void goal(const char* what, double value, double most) {
    std::printf("%-62s %10.3f  (goal <= %.3f: %s)\n", what, value, most,
                value <= most ? "met" : "NOT MET");
}

// The options of the grid a command printed (`tessara flatten`, `tessara join`), as
// `tessara grid` reads them; a benchmark whose command printed others fails.
inline GridOptions printedOptions(const QString& out, const char* command) {
    const CommandLine parsed =
        parseCommandLine(("grid board.png x.png " + out.trimmed()).split(u' '));
    if (parsed.action != CommandAction::Grid || !parsed.grid.choices.options.hexPixels) {
        fail(QStringLiteral("tessara %1 printed options the grid command refuses: %2")
                 .arg(QLatin1String(command), out));
    }
    return parsed.grid.choices.options;
}

}  // namespace tessara::bench
