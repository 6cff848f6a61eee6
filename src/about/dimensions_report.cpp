// The words of the Map Dimensions report.
#include "about/dimensions_report.h"

#include "core/number_to_text.h"

namespace tessara {

Message dimensionsReport(Single mapWidth, Single mapHeight, Integer hexColumns, Integer hexRows,
                         const QLocale& locale) {
    const QString prompt = singleToText(mapWidth, locale) + QStringLiteral(" by ") +
                           singleToText(mapHeight, locale) + QStringLiteral(" distance units") +
                           QLatin1Char(kReportLineBreak) + integerToText(hexColumns) +
                           QStringLiteral(" by ") + integerToText(hexRows) +
                           QStringLiteral(" hexes");
    return {prompt, QStringLiteral("Map Dimensions")};
}

}  // namespace tessara
