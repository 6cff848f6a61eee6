// What the map file commands tell the user.
#pragma once

#include <QDir>

#include "platform/message_boxes.h"

namespace tessara {

inline Message loadFailedMessage() {
    return {QStringLiteral("Please check this is a valid graphics file"),
            QStringLiteral("Can't load graphics file")};
}

// `name` is the file's name, `problem` why it cannot be read.
inline Message pdfUnreadableMessage(const QString& name, const QString& problem) {
    return {QStringLiteral("\"%1\" cannot be opened as a map: %2.").arg(name, problem),
            QStringLiteral("Can't load PDF file")};
}

// `reason` names the picture's size and what it would take.
inline Message pictureTooLargeMessage(const QString& reason) {
    return {reason, QStringLiteral("Picture too large")};
}

inline Message noMapToSaveMessage() {
    return {QStringLiteral("There is no map to save yet. Please load a map picture first."),
            QStringLiteral("No map to save")};
}

// `reason` is why the file could not be written, in words for the user.
inline Message saveFailedMessage(const QString& path, const QString& reason) {
    return {QStringLiteral("The map could not be saved as\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(path), reason),
            QStringLiteral("Can't save map")};
}

inline Message noSampleMapMessage() {
    return {QStringLiteral("The sample map is not installed with this copy of Tessara."),
            QStringLiteral("No sample map")};
}

inline Message noMapToPrintMessage() {
    return {QStringLiteral("There is no map to print yet. Please load a map picture first."),
            QStringLiteral("No map to print")};
}

}  // namespace tessara
