#include "image/program_icon.h"

namespace tessara {

QIcon tessaraIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/tessara/tessara-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/tessara/tessara-32.png"), QSize(32, 32));
    return icon;
}

}  // namespace tessara
