// What the Grid menu tells and asks the user: its measuring commands, and its status line.
#pragma once

#include <QString>
#include <cmath>

#include "core/message.h"
#include "grid/grid_options.h"
#include "platform/questions.h"

namespace tessara {

inline Message noMapToMeasureMessage() {
    return {QStringLiteral("There is no map to measure yet. Please load a map picture first."),
            QStringLiteral("No map to measure")};
}

inline Message measureHexesMessage() {
    return {QStringLiteral("Click the centre of one hex on the map, then the centre of another "
                           "hex further along the same row (or column). You may scroll and zoom "
                           "between the clicks. Esc cancels."),
            QStringLiteral("Measure hexes")};
}

inline Message measureByThreeMessage() {
    return {QStringLiteral("Click the centres of three hexes far apart that do not lie on one "
                           "line, for a grid that is turned or leans. You may scroll and zoom "
                           "between the clicks. Esc cancels."),
            QStringLiteral("Measure hexes by three points")};
}

inline Message measureScaleBarMessage() {
    return {QStringLiteral("Click one end of the map's scale bar, then the other end. You may "
                           "scroll and zoom between the clicks. Esc cancels."),
            QStringLiteral("Measure scale bar")};
}

inline NumberQuestion hexesApartQuestion() {
    return {QStringLiteral("Measure hexes"),
            QStringLiteral("How many hexes apart are the two centres?"),
            1,
            1,
            32766,
            0};
}

inline NumberQuestion scaleBarLengthQuestion() {
    return {QStringLiteral("Measure scale bar"),
            QStringLiteral("How long is the scale bar, in distance units?"),
            1,
            0.0001,
            1e9,
            4};
}

// `hexPixels` to 0.01 pixel; `offLevel` the degrees the two centres are off the line's
// direction, said when over a quarter of a degree.
inline Message measuredHexesMessage(double hexPixels, double offLevel = 0) {
    QString prompt = QStringLiteral(
                         "The hexes are %1 pixels from flat to flat. The grid will be "
                         "moved so that a hex centre falls on the first point.")
                         .arg(hexPixels, 0, 'f', 2);
    if (std::abs(offLevel) > 0.25) {
        prompt += QStringLiteral(
                      "\nThe two centres are %1 degrees off level along the line: the "
                      "scan may be turned. Measure Hexes by Three Points fits a turned "
                      "grid.")
                      .arg(std::abs(offLevel), 0, 'f', 2);
    }
    return {prompt, QStringLiteral("Measure hexes")};
}

// The steps from the first clicked centre to the second and the third, with a guess.
inline NumbersQuestion hexStepsQuestion(double along2, double across2, double along3,
                                        double across3) {
    const auto field = [](const char* label, double guess) {
        return NumberQuestion{{}, QString::fromLatin1(label), guess, -32766, 32766, 1};
    };
    return {QStringLiteral("Measure hexes by three points"),
            QStringLiteral("How far is each point from the first, in hexes along the lines (a "
                           "whole number and a half when the lines across are odd) and in lines "
                           "across them? The guess comes from the grid as it is now."),
            {field("Second: hexes along", along2), field("Second: lines across", across2),
             field("Third: hexes along", along3), field("Third: lines across", across3)}};
}

inline Message measuredByThreeMessage(double hexPixels, double stretch, double rotation,
                                      double skew) {
    return {QStringLiteral("The hexes are %1 pixels from flat to flat, stretched %2 across the "
                           "lines, turned %3 degrees and leaning %4 degrees. The grid will be "
                           "moved so that a hex centre falls on the first point.")
                .arg(hexPixels, 0, 'f', 3)
                .arg(stretch, 0, 'f', 5)
                .arg(rotation, 0, 'f', 3)
                .arg(skew, 0, 'f', 3),
            QStringLiteral("Measure hexes by three points")};
}

inline Message notATriangleMessage() {
    return {QStringLiteral("These three points and steps make no grid that Grid Options can "
                           "hold: the points lie on one line, the steps do too, or the grid "
                           "would turn more than 45 degrees, lean more than 10 or stretch beyond "
                           "0.5 to 2. The grid is unchanged."),
            QStringLiteral("Nothing measured")};
}

inline Message measuredScaleBarMessage(const QString& mapWidth) {
    return {QStringLiteral("The map is %1 distance units wide.").arg(mapWidth),
            QStringLiteral("Measure scale bar")};
}

inline Message measuredNothingMessage() {
    return {QStringLiteral("The two points are the same, so nothing can be measured. The grid "
                           "is unchanged."),
            QStringLiteral("Nothing measured")};
}

// Grid, Find Printed Grid found nothing; the options are as they were.
inline Message noPrintedGridMessage() {
    return {QStringLiteral("No printed hex grid was found on this map. The grid is unchanged; "
                           "Measure Hexes fits it by hand."),
            QStringLiteral("No printed grid found")};
}

inline Message findOutOfMemoryMessage() {
    return {QStringLiteral("There is not enough memory to look for the printed grid on this "
                           "map. The grid is unchanged."),
            QStringLiteral("Not enough memory")};
}

// The grid Find Printed Grid set, and how to check it.
inline QString foundGridStatus(const GridOptions& found) {
    return QStringLiteral(
               "Found a printed grid of %1-pixel hexes in %2, turned %3 degrees; C checks "
               "the corners, the arrow keys nudge it.")
        .arg(found.hexPixels.value_or(0), 0, 'f', 2)
        .arg(found.orientation == GridOrientation::Columns ? QStringLiteral("columns")
                                                           : QStringLiteral("rows"))
        .arg(found.rotation, 0, 'f', 2);
}

inline Message patternRefusedMessage() {
    return {QStringLiteral("A number pattern cannot hold a control character, such as a tab or "
                           "a line break. The pattern is left as it was."),
            QStringLiteral("Pattern refused")};
}

// Options kept from the map before, said when the next map is loaded.
inline QString optionsKeptStatus() {
    return QStringLiteral(
        "Grid options from the last map are kept; Grid, Reset Grid Options "
        "sets them back.");
}

// Size boxes filled in for a grid fitted in pixels, said when Generate Hex Grid fills them.
inline QString sizesFilledStatus(const QString& mapWidth, const QString& hexSize) {
    return QStringLiteral(
               "The grid is the one fitted in pixels; for the dimensions report the "
               "map is taken as %1 units wide with hexes of %2. Type the real sizes "
               "to change them.")
        .arg(mapWidth, hexSize);
}

inline QString cornerStatus(int corner, int stops = 5) {
    static const char* const kNames[] = {"top-left corner", "top-right corner",
                                         "bottom-right corner", "bottom-left corner", "centre"};
    return QStringLiteral(
               "The %1 of the map at 5:1 (%2 of %3); C or Grid, Check the Corners "
               "shows the next.")
        .arg(QLatin1String(kNames[corner]))
        .arg(corner + 1)
        .arg(stops);
}

// The last stop of the tour on a board flattened from a photo.
inline QString worstFitStatus() {
    return QStringLiteral(
        "Where the printed lines fit the flattened board worst, at 5:1 (6 of 6); C or Grid, "
        "Check the Corners shows the next.");
}

}  // namespace tessara
