#include "cli/run_command.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/command_line.h"
#include "cli/export_command.h"
#include "cli/find_grid_command.h"
#include "cli/grid_command.h"
#include "cli/option_table.h"
#include "image/picture.h"

namespace tessara {
namespace {

// Qt and its image libraries warn about damaged files on standard error; the command
// reports every failure itself, on one line, so that a script can read it.
void dropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

int report(int status, const QString& error) {
    std::fprintf(stderr, "tessara: %s\n", qPrintable(error));
    return status;
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
    std::unique_ptr<QCoreApplication> app;
    if (drawsText(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    raiseImageAllocationLimit();
    const CommandLine command = parseCommandLine(QCoreApplication::arguments().mid(1));
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
            break;
    }
    const CommandOutcome outcome =
        command.action == CommandAction::FindGrid ? runFindGridCommand(command.grid.input)
        : command.action == CommandAction::Export ? runExportCommand(command.grid)
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
