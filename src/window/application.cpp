#include "window/application.h"

#include <QApplication>
#include <QIcon>

#include "image/picture.h"

namespace tessara {

QIcon tessaraIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/tessara/tessara-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/tessara/tessara-32.png"), QSize(32, 32));
    return icon;
}

void configureApplication() {
    QApplication::setApplicationName(QStringLiteral("Tessara"));
    QApplication::setApplicationVersion(QStringLiteral(TESSARA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tessara"));
    QApplication::setWindowIcon(tessaraIcon());
    raiseImageAllocationLimit();
}

}  // namespace tessara
