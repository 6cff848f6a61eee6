// What saving and loading grid settings tell the user.
#pragma once

#include <QDir>

#include "platform/message_boxes.h"
#include "settings/grid_settings.h"

namespace tessara {

inline Message settingsNotSavedMessage(const QString& path, const QString& reason) {
    return {QStringLiteral("The grid settings could not be saved as\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(path), reason),
            QStringLiteral("Can't save grid settings")};
}

// `reason` names the field that is wrong; nothing was changed.
inline Message settingsNotLoadedMessage(const QString& path, const QString& reason) {
    return {QStringLiteral("The grid settings in\n%1\ncould not be loaded: %2.\n\nNothing "
                           "was changed.")
                .arg(QDir::toNativeSeparators(path), reason),
            QStringLiteral("Can't load grid settings")};
}

inline QString settingsLoadedStatus(const QString& path) {
    return QStringLiteral("Grid settings loaded from %1: Generate Hex Grid draws them.")
        .arg(QFileInfo(path).fileName());
}

// A file from a newer Tessara that allows older ones to read it, less what they do not know.
inline QString settingsPartlyLoadedStatus(const QString& path, const QStringList& ignored) {
    return QStringLiteral(
               "Grid settings loaded from %1, leaving out what this Tessara does not "
               "know: %2.")
        .arg(QFileInfo(path).fileName(), fieldsNamed(ignored));
}

inline QString settingsSavedStatus(const QString& path) {
    return QStringLiteral("Grid settings saved as %1.").arg(QFileInfo(path).fileName());
}

}  // namespace tessara
