// Tessara: lays a hex grid over a picture of a map. With a command (tessara grid ...,
// --help, --version) it works from the shell without a window; otherwise it starts the window,
// with the map named on the command line, if any.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <csignal>

#include "cli/run_command.h"
#include "window/application.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
    // A file grown past the user's limit on file sizes (ulimit -f) then fails its write, as a
    // full disk does, and is reported and cleaned up after, where the signal would end the
    // program with its half-written scratch file left beside the output.
    std::signal(SIGXFSZ, SIG_IGN);
    if (tessara::isCommandLine(argc, argv)) {
        return tessara::runCommandLine(argc, argv);
    }
    if (!tessara::hasDisplay()) {
        return tessara::noDisplay();
    }
    QApplication app(argc, argv);
    tessara::configureApplication();
    tessara::QtServices services;
    tessara::Form1 form(services.services());
    form.show();
    // "Open with": a picture named on the command line is loaded once the window is up.
    if (const QStringList files = QApplication::arguments().mid(1); files.size() == 1) {
        const QString file = QFileInfo(files.first()).absoluteFilePath();
        QTimer::singleShot(0, &form, [&form, file] { form.openMap(file); });
    }
    return QApplication::exec();
}
