#include "cli/run_command.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/command_line.h"
#include "cli/export_command.h"
#include "cli/find_grid_command.h"
#include "cli/flatten_command.h"
#include "cli/grid_command.h"
#include "cli/join_command.h"
#include "cli/option_table.h"
#include "cli/terrain_command.h"
#include "core/file_names.h"
#include "image/atomic_file.h"
#include "image/picture.h"

namespace tessara {
namespace {

// Qt and its image libraries warn about damaged files on standard error; the command
// reports every failure itself, on one line, so that a script can read it.
void dropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// Ctrl-C, a kill or a closed terminal during a write leaves no scratch file beside OUTPUT;
// the process still ends by the signal, as a script expects. A signal the caller ignores
// (nohup) stays ignored.
void removeScratchFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeScratchFilesAndRaise;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

// The message on one line, whatever it quotes back of what the user gave: a control
// character (a line break, ...) is shown as U+FFFD, as a byte that is not text is.
int report(int status, const QString& error) {
    QString line = shownText(error);
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control) {
            c = QChar::ReplacementCharacter;
        }
    }
    std::fprintf(stderr, "tessara: %s\n", qPrintable(line));
    return status;
}

// The arguments as the bytes given, so that INPUT and OUTPUT name the files typed, whatever
// their names' bytes (file_names.h). Read once the application object has taken its own
// options out of argv, as QCoreApplication::arguments() would read them.
QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << decodeFileName(QByteArray(argv[i]));
    }
    return arguments;
}

}  // namespace

bool isCommandLine(int argc, char* argv[]) {
    // The window takes at most one picture; anything else is for the command line, which
    // refuses what it does not know.
    return argc > 2 || (argc == 2 && (argv[1][0] == '-' ||
                                      findSubcommand(QString::fromLocal8Bit(argv[1])) != nullptr));
}

bool hasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) {
        return true;  // offscreen, a VNC server ...: Qt draws without a display of its own
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int noDisplay() {
    return report(kExitFailed, QStringLiteral("there is no display to show the window on; "
                                              "tessara grid works without one"));
}

// Hex numbers, and the labels of a PDF's pages, are drawn with the system's fonts, which Qt
// offers to a GUI application only; its offscreen platform needs no display. A settings file
// may ask for numbers too. An option may be written with one dash or two.
bool drawsText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        const QByteArray option = argument.startsWith('-')
                                      ? argument.mid(argument.startsWith("--") ? 2 : 1)
                                      : QByteArray();
        if (option.startsWith("numbers") || option.startsWith("settings") ||
            argument.toLower().endsWith(".pdf")) {
            return true;
        }
    }
    return false;
}

int runCommandLine(int argc, char* argv[]) {
    qInstallMessageHandler(dropQtMessages);
    removeScratchFilesOnSignals();
    // A picture that keeps no resolution of its own gets the one Qt gives a new picture: the
    // screen's in a GUI application (96 dpi offscreen, as the window has it there), 100 dpi
    // without one. The command line gives 96, whichever application its options need.
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi);
    std::unique_ptr<QCoreApplication> app;
    if (drawsText(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    raiseImageAllocationLimit();
    const CommandLine command = parseCommandLine(argumentsOf(argc, argv));
    switch (command.action) {
        case CommandAction::Help:
            std::fputs(qPrintable(usageText(command.command)), stdout);
            return kExitSuccess;
        case CommandAction::Version:
            std::printf("%s\n", qPrintable(versionText()));
            return kExitSuccess;
        case CommandAction::Refused:
            return report(kExitBadInput, command.error);
        case CommandAction::Grid:
        case CommandAction::FindGrid:
        case CommandAction::Export:
        case CommandAction::Flatten:
        case CommandAction::Join:
        case CommandAction::Terrain:
            break;
    }
    const CommandOutcome outcome =
        command.action == CommandAction::FindGrid  ? runFindGridCommand(command.grid.input)
        : command.action == CommandAction::Export  ? runExportCommand(command.grid)
        : command.action == CommandAction::Flatten ? runFlattenCommand(command.grid)
        : command.action == CommandAction::Join    ? runJoinCommand(command.grid)
        : command.action == CommandAction::Terrain ? runTerrainCommand(command.grid)
                                                   : runGridCommand(command.grid);
    if (!outcome.output.isEmpty()) {
        std::printf("%s\n", qPrintable(outcome.output));
    }
    if (outcome.status == kExitSuccess) {
        return outcome.warning.isEmpty() ? kExitSuccess : report(kExitSuccess, outcome.warning);
    }
    return report(outcome.status, outcome.error);
}

}  // namespace tessara
