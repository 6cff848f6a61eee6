#include "window/application.h"

#include <QApplication>
#include "image/picture.h"
#include "image/program_icon.h"

namespace tessara {

void configureApplication() {
    QApplication::setApplicationName(QStringLiteral("Tessara"));
    QApplication::setApplicationVersion(QStringLiteral(TESSARA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tessara"));
    QApplication::setWindowIcon(tessaraIcon());
    raiseImageAllocationLimit();
}

}  // namespace tessara
