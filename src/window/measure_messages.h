// What the grid menu's measuring commands tell and ask the user.
#pragma once

#include <QString>

#include "core/message.h"
#include "platform/questions.h"

namespace tessara {

inline Message noMapToMeasureMessage() {
    return {QStringLiteral("There is no map to measure yet. Please load a map picture first."),
            QStringLiteral("No map to measure")};
}

inline Message measureHexesMessage() {
    return {QStringLiteral("Click the centre of one hex on the map, then the centre of another "
                           "hex further along the same row (or column). Esc cancels."),
            QStringLiteral("Measure hexes")};
}

inline Message measureScaleBarMessage() {
    return {QStringLiteral("Click one end of the map's scale bar, then the other end. "
                           "Esc cancels."),
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

// `hexPixels` to 0.01 pixel.
inline Message measuredHexesMessage(double hexPixels) {
    return {QStringLiteral("The hexes are %1 pixels from flat to flat. The grid will be moved "
                           "so that a hex centre falls on the first point.")
                .arg(hexPixels, 0, 'f', 2),
            QStringLiteral("Measure hexes")};
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

}  // namespace tessara
