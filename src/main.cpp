// Tessara: lays a hex grid over a picture of a map.
#include <QApplication>

#include "window/application.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tessara::configureApplication();
    tessara::QtServices services;
    tessara::Form1 form(services.services());
    form.show();
    return QApplication::exec();
}
