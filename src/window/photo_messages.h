// What flattening a photo of a board tells the user: its messages and its status line.
#pragma once

#include <QPointF>
#include <QSize>
#include <QString>
#include <algorithm>

#include "core/message.h"
#include "grid/grid_options.h"
#include "photo/corner_flattening.h"
#include "platform/questions.h"

namespace tessara {

// What makes a photo's grid easier to follow, said whenever none was found.
inline QString photoAdvice() {
    return QStringLiteral(
        "Try a sharper photo with the whole board in view, taken as square-on as you can in "
        "even light, or flatten it by its corners with Grid, Flatten by Four Corners.");
}

inline Message noGridOnPhotoMessage() {
    return {QStringLiteral("No printed hex grid was found on this photo, so the map is "
                           "unchanged. ") +
                photoAdvice(),
            QStringLiteral("No printed grid found")};
}

// Open Photo of a Board found no grid: the photo is the map all the same.
inline Message photoLoadedUnflattenedMessage() {
    return {QStringLiteral("No printed hex grid was found on this photo; it is loaded as the "
                           "map as it was taken. ") +
                photoAdvice(),
            QStringLiteral("No printed grid found")};
}

inline Message flattenOutOfMemoryMessage() {
    return {QStringLiteral("There is not enough memory to flatten this photo. The map is "
                           "unchanged."),
            QStringLiteral("Not enough memory")};
}

// Join Scanned Sections: what kept the sections from being joined, naming the section.
inline Message sectionCountMessage(int chosen, int most) {
    return {QStringLiteral("Choose 2 to %1 sections of one map to join; %2 %3 chosen.")
                .arg(most)
                .arg(chosen)
                .arg(chosen == 1 ? QStringLiteral("was") : QStringLiteral("were")),
            QStringLiteral("Join Scanned Sections")};
}

inline Message sectionUnreadableMessage(const QString& name) {
    return {QStringLiteral("The section %1 could not be read as a picture, so the map is "
                           "unchanged.")
                .arg(name),
            QStringLiteral("Join Scanned Sections")};
}

inline Message sectionWithoutGridMessage(const QString& name) {
    return {QStringLiteral("No printed hex grid was found on the section %1, so the map is "
                           "unchanged. Scan it sharper, with its printed area whole.")
                .arg(name),
            QStringLiteral("No printed grid found")};
}

inline Message sectionApartMessage(const QString& name) {
    return {QStringLiteral("The section %1 shares no part of the map with the others that "
                           "places it on their grid, so the map is unchanged. Scan it again "
                           "with a few hexes of overlap with its neighbours, the same way up.")
                .arg(name),
            QStringLiteral("Join Scanned Sections")};
}

inline QString joinedStatus(int sections, QSize board, const GridOptions& grid) {
    return QStringLiteral(
               "Joined %1 sections into a board of %2 x %3 pixels with a grid of %4-pixel "
               "hexes in %5; Edit, Undo gives the map back.")
        .arg(sections)
        .arg(board.width())
        .arg(board.height())
        .arg(grid.hexPixels.value_or(0), 0, 'f', 2)
        .arg(grid.orientation == GridOrientation::Columns ? QStringLiteral("columns")
                                                          : QStringLiteral("rows"));
}

// How far apart two overlapping sections show the same place, at worst.
inline QString seamStatus(double worst) {
    return QStringLiteral(
               "Where the sections meet, their grids lie within %1 pixels of each "
               "other.")
        .arg(worst, 0, 'f', 2);
}

inline QString flattenedStatus(QSize board, const GridOptions& grid) {
    return QStringLiteral(
               "Flattened the photo into a board of %1 x %2 pixels with a grid of %3-pixel "
               "hexes in %4; Edit, Undo gives the photo back.")
        .arg(board.width())
        .arg(board.height())
        .arg(grid.hexPixels.value_or(0), 0, 'f', 2)
        .arg(grid.orientation == GridOrientation::Columns ? QStringLiteral("columns")
                                                          : QStringLiteral("rows"));
}

// The hexes were made smaller than the largest on the photo to keep the board within
// `longestSide`.
inline QString cappedHexesStatus(double hexPixels, double largestSeen, int longestSide) {
    return QStringLiteral(
               "The hexes are %1 pixels flat to flat rather than the %2 of the largest on the "
               "photo, so that the board stays within %3 pixels a side.")
        .arg(hexPixels, 0, 'f', 2)
        .arg(largestSeen, 0, 'f', 2)
        .arg(longestSide);
}

inline Message fourCornersMessage() {
    return {QStringLiteral("Click the four corners of the map's printed area, or of any rectangle "
                           "printed on it, in any order. Esc stops."),
            QStringLiteral("Flatten by four corners")};
}

inline Message notFourCornersMessage() {
    return {QStringLiteral("The four points do not make the corners of a rectangle seen on the "
                           "photo: no three of them may lie on one line. The map is unchanged."),
            QStringLiteral("Flatten by four corners")};
}

inline NumbersQuestion cornerHexesQuestion(GridOrientation orientation) {
    const auto field = [](const char* label) {
        return NumberQuestion{
            {}, QString::fromLatin1(label), 10, kFewestCornerHexes, kMostCornerHexes, 2};
    };
    return {QStringLiteral("Flatten by four corners"),
            QStringLiteral("How many hexes are there from the left corners to the right ones, and "
                           "from the top corners to the bottom ones, counted from hex centre to "
                           "hex centre? The hexes are in %1, as Grid Options has them.")
                .arg(orientation == GridOrientation::Columns ? QStringLiteral("columns")
                                                             : QStringLiteral("rows")),
            {field("Hexes across"), field("Hexes down")}};
}

// Where a point lies on a picture, by ninths: "the top left of the board", "the middle".
inline QString partOfBoard(QPointF at, QSize board) {
    static const char* const kAcross[] = {"left", "", "right"};
    static const char* const kDown[] = {"top", "", "bottom"};
    const auto third = [](double x, int size) {
        return std::clamp(static_cast<int>(3 * x / std::max(size, 1)), 0, 2);
    };
    QString part = QStringLiteral("%1 %2")
                       .arg(QLatin1String(kDown[third(at.y(), board.height())]),
                            QLatin1String(kAcross[third(at.x(), board.width())]))
                       .trimmed();
    return part.isEmpty() ? QStringLiteral("the middle of the board")
                          : QStringLiteral("the %1 of the board").arg(part);
}

// How well the printed lines lie on the board's grid, in the board's pixels.
inline QString printedFitStatus(double median, double worst, QPointF worstAt, QSize board) {
    return QStringLiteral(
               "The printed lines lie %1 pixels from the grid's at the median and %2 at worst, "
               "in %3.")
        .arg(median, 0, 'f', 2)
        .arg(worst, 0, 'f', 2)
        .arg(partOfBoard(worstAt, board));
}

// No grid was found on the board the corners made: its grid is theirs.
inline QString cornersOnlyStatus() {
    return QStringLiteral(
        "No printed grid was found on the flattened board, so its grid is the "
        "one the four corners give.");
}

}  // namespace tessara
