// What Print at Scale and the Export commands tell the user.
#pragma once

#include <QDir>
#include <QStringList>

#include "platform/message_boxes.h"

namespace tessara {

// `reason` is why the file could not be written, in words for the user.
inline Message exportFailedMessage(const QString& path, const QString& reason) {
    return {QStringLiteral("The map could not be exported as\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(path), reason),
            QStringLiteral("Can't export map")};
}

inline Message cannotPrintAtScaleMessage(const QString& reason) {
    return {reason, QStringLiteral("Can't print at this scale")};
}

// `endings` lists the extensions that can be written: ".png or .svg".
inline Message unknownExportTypeMessage(const QString& path, const QString& endings) {
    return {QStringLiteral("Tessara cannot tell which type of file to write as\n%1\n\n"
                           "Please end the name with %2.")
                .arg(QDir::toNativeSeparators(path), endings),
            QStringLiteral("Can't export map")};
}

// The file chosen is the one the map was loaded from: the scan itself.
inline Message wouldReplaceMapMessage(const QString& path) {
    return {QStringLiteral("The map was loaded from\n%1\n\nExporting over it would replace the "
                           "map you started from. Please choose another name.")
                .arg(QDir::toNativeSeparators(path)),
            QStringLiteral("Can't export map")};
}

inline Message noMapToExportMessage() {
    return {QStringLiteral("There is no map to export yet. Please load a map picture first."),
            QStringLiteral("No map to export")};
}

inline Message noGridToExportMessage() {
    return {QStringLiteral("There is no grid to export yet. Please load a map picture and type "
                           "the map's width and the hex size first."),
            QStringLiteral("No grid to export")};
}

// A board straightened for another program, and its grid beside it. `program` is "Tiled",
// "VASSAL", ..., `scale` the scale factor in words ("0.99502 across, 0.97662 down"),
// `unexpressed` the numbering the program cannot say.
inline Message boardExportedMessage(const QString& board, const QString& definition,
                                    const QString& program, const QString& scale,
                                    const QStringList& unexpressed = {}) {
    QString prompt = QStringLiteral(
                         "The map was straightened and written as\n%1\n\nwith its grid for %2 as"
                         "\n%3\n\nIt was scaled by a factor of %4, so that %2's hexes of whole "
                         "pixels lie on the grid.")
                         .arg(QDir::toNativeSeparators(board), program,
                              QDir::toNativeSeparators(definition), scale);
    if (!unexpressed.isEmpty()) {
        prompt += QStringLiteral(
                      "\n\n%1's numbering cannot say %2; it numbers those hexes "
                      "its own way.")
                      .arg(program, unexpressed.join(QStringLiteral(", ")));
    }
    return {prompt, QStringLiteral("Board exported")};
}

}  // namespace tessara
