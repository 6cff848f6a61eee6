// What grid generation tells the user, in the window and on the command line alike.
#pragma once

#include <QDir>

#include "core/message.h"
#include "grid/grid_generation.h"

namespace tessara {

// Why a grid could not be drawn, in one sentence: the window adds what to do about it in a
// message box, the command line in its one line.
inline QString gridFailureFact(GridFailure failure) {
    switch (failure) {
        case GridFailure::NoPictureArea:
            return QStringLiteral(
                "The map picture is 0 pixels wide or high, so no grid can be drawn on it.");
        case GridFailure::TooManyCells:
            return QStringLiteral(
                "The hexes are too small for this map: the grid would need "
                "more than 32766 rows or columns of hexes.");
        default:
            break;
    }
    return QStringLiteral("There is not enough memory to draw the grid on this map.");
}

// The grid draws no lines (LineStyle::None) and no numbers: none asked for, or none large
// enough to read (`leftOut`).
inline QString nothingToDrawFact(const std::optional<NumbersLeftOut>& leftOut) {
    const QString noLines = QStringLiteral("The grid has no lines (line style None) and ");
    if (!leftOut) {
        return noLines + QStringLiteral("its hexes are not numbered, so there is nothing to draw.");
    }
    if (leftOut->smallestHex <= 0) {
        return noLines + QStringLiteral(
                             "its hex numbers would be smaller than 6 pixels (4.5 "
                             "points), too small to read, so there is nothing to draw.");
    }
    return noLines + QStringLiteral(
                         "its hex numbers would be too small to read, so there is "
                         "nothing to draw: numbers need hexes of at least %1 pixels "
                         "from flat to flat, or a shorter format.")
                         .arg(leftOut->smallestHex, 0, 'f', 2);
}

inline Message nothingToDrawMessage(const std::optional<NumbersLeftOut>& leftOut) {
    return {nothingToDrawFact(leftOut) +
                (leftOut ? QStringLiteral(" Choose another line style in Grid Options, or "
                                          "larger numbers.")
                         : QStringLiteral(" Choose another line style in Grid Options, or "
                                          "number the hexes.")) +
                QStringLiteral("\nThe map is unchanged."),
            QStringLiteral("Nothing to draw")};
}

inline Message invalidMapSizeMessage() {
    return {QStringLiteral("Enter the horizontal size of your map"),
            QStringLiteral("Invalid map size")};
}

inline Message invalidHexSizeMessage() {
    return {QStringLiteral(
                "Enter the size you want your hexes to be in the same units as the map size"),
            QStringLiteral("Invalid Hex size")};
}

inline Message noGridPenMessage() {
    return {QStringLiteral("Choose a hex colour and a line thickness from the lists."),
            QStringLiteral("No hex colour or thickness")};
}

inline Message tooManyHexesMessage() {
    return {
        gridFailureFact(GridFailure::TooManyCells) + QStringLiteral(" Enter a larger hex size."),
        QStringLiteral("Too many hexes")};
}

inline Message emptyMapPictureMessage() {
    return {gridFailureFact(GridFailure::NoPictureArea), QStringLiteral("Empty map picture")};
}

inline Message gridOutOfMemoryMessage() {
    return {gridFailureFact(GridFailure::OutOfMemory) + QStringLiteral(" The map is unchanged."),
            QStringLiteral("Not enough memory")};
}

// The grid is merged into the map through a temporary file in the current folder; `failed`
// says what could not be done with it there ("written in"), `title` the title's verb.
inline Message mergeFileFailedMessage(const QString& file, const QString& reason,
                                      const char* failed, const char* title) {
    return {QStringLiteral("The grid could not be added to the map, because the temporary file "
                           "\"%1\" could not be %2 the folder %3.\n%4\n"
                           "The map is unchanged.")
                .arg(file, QLatin1String(failed), QDir::toNativeSeparators(QDir::currentPath()),
                     reason),
            QStringLiteral("Can't %1 %2").arg(QLatin1String(title), file)};
}

inline Message mergeWriteFailedMessage(const QString& file, const QString& reason) {
    return mergeFileFailedMessage(file, reason, "written in", "write");
}

inline Message mergeReadFailedMessage(const QString& file, const QString& reason) {
    return mergeFileFailedMessage(file, reason, "read back from", "read");
}

// The map itself was loaded from the temporary file, which the merge would write over.
inline Message mergeOverwritesMapMessage(const QString& file) {
    return {QStringLiteral("The map was loaded from \"%1\" in the folder %2, the temporary file "
                           "through which the grid is added to the map, so adding the grid "
                           "would overwrite it. Please save the map under another name first "
                           "(File, Save Map) and load that.\nThe map is unchanged.")
                .arg(file, QDir::toNativeSeparators(QDir::currentPath())),
            QStringLiteral("Can't write %1").arg(file)};
}

// The grid is drawn; its numbers would have been too small to read.
inline Message numbersLeftOutMessage(double smallestHex) {
    const QString title = QStringLiteral("Hex numbers left out");
    if (smallestHex <= 0) {
        return {QStringLiteral("Numbers smaller than 6 pixels (4.5 points) cannot be read, so the "
                               "grid was drawn without them. Choose a larger size."),
                title};
    }
    return {QStringLiteral("The hexes are too small for readable numbers, so the grid was drawn "
                           "without them. Numbers need hexes of at least %1 pixels from flat to "
                           "flat, or a shorter format.")
                .arg(smallestHex, 0, 'f', 2),
            title};
}

// What the button says when the grid could not be drawn, or could not be merged into the map
// through `file`; `leftOut` says why there was nothing to draw.
inline Message gridFailedMessage(GridFailure failure, const QString& file, const QString& reason,
                                 const std::optional<NumbersLeftOut>& leftOut = {}) {
    switch (failure) {
        case GridFailure::NothingToDraw:
            return nothingToDrawMessage(leftOut);
        case GridFailure::NoPictureArea:
            return emptyMapPictureMessage();
        case GridFailure::TooManyCells:
            return tooManyHexesMessage();
        case GridFailure::CannotWrite:
            return mergeWriteFailedMessage(file, reason);
        case GridFailure::CannotRead:
            return mergeReadFailedMessage(file, reason);
        case GridFailure::WouldOverwriteMap:
            return mergeOverwritesMapMessage(file);
        case GridFailure::OutOfMemory:
        case GridFailure::None:
            break;
    }
    return gridOutOfMemoryMessage();
}

}  // namespace tessara
