// Map Dimensions: the size of the map in distance units and of the last grid in hexes.
#pragma once

#include <QLocale>

#include "core/message.h"
#include "core/numeric.h"

namespace tessara {

// Starts the report's second line. A line feed breaks the line in every Qt text; a
// carriage return alone does so only where the text is word-wrapped, and runs the two
// lines together elsewhere (a label without wrapping, a screen reader's text).
inline constexpr char kReportLineBreak = '\n';

// "100 by 80 distance units", a line break, "12 by 11 hexes", titled "Map Dimensions".
Message dimensionsReport(Single mapWidth, Single mapHeight, Integer hexColumns, Integer hexRows,
                         const QLocale& locale = QLocale());

}  // namespace tessara
