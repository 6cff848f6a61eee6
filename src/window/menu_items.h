// Menu items made the one way the window names them: a caption, and an object name by which
// tests and the accessibility tree find them.
#pragma once

#include <QAction>
#include <QMenu>

namespace tessara {

inline QAction* item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

inline void separator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

}  // namespace tessara
