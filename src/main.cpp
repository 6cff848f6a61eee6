// Tessara: lays a hex grid over a picture of a map. With a command (tessara grid ...,
// --help, --version) it works from the shell without a window; otherwise it starts the window.
#include <QApplication>

#include "cli/run_command.h"
#include "window/application.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
    if (tessara::isCommandLine(argc, argv)) {
        return tessara::runCommandLine(argc, argv);
    }
    QApplication app(argc, argv);
    tessara::configureApplication();
    tessara::QtServices services;
    tessara::Form1 form(services.services());
    form.show();
    return QApplication::exec();
}
