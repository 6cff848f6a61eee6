// Map Dimensions reports the four values the last grid generation stored; it changes
// nothing.
#include "about/dimensions_report.h"

#include "core/number_to_text.h"
#include "window/main_window.h"

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

void Form1::mnuInformation_Click() {
    services_.messages.MsgBox(
        dimensionsReport(state_.mapWidth, state_.mapHeight, state_.hexColumns, state_.hexRows));
}

}  // namespace tessara
