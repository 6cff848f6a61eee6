// Fitting the map to the printer's page: the picture keeps its proportions and fills the
// page's width or its height, whichever is reached first. Page lengths are in twips
// (1/1440 inch; 1 point is 20 twips).
#pragma once

#include <QSizeF>
#include <optional>

#include "core/numeric.h"

class QPageLayout;

namespace tessara {

inline constexpr double kTwipsPerPoint = 20.0;
inline constexpr double kTwipsPerInch = 1440.0;

// The whole page, the border the printer cannot print on included, in whole twips.
struct PageTwips {
    Long width = 0;   // PW
    Long height = 0;  // PH

    friend bool operator==(const PageTwips&, const PageTwips&) = default;
};

// The size the picture is printed at, in twips.
struct PrintFit {
    Single w = 0;
    Single h = 0;

    friend bool operator==(const PrintFit&, const PrintFit&) = default;
};

// The whole page of a layout, margins included and its orientation applied, rounded to
// whole twips.
PageTwips pageTwips(const QPageLayout& layout);

// The picture's printed size for a page of PW x PH twips and an image shown at IW x IH
// twips. The ratios rW = PW / IW and rH = PH / IH are kept as Singles; when rW > rH the
// height limits (h = PH, w = IW x rH), otherwise, equality included, the width does
// (w = PW, h = IH x rW). Nothing when a ratio cannot be formed (a size of zero, or a
// quotient beyond a Single's range).
std::optional<PrintFit> fitToPage(PageTwips page, Single IW, Single IH);

// Twips as device units of a device with the given resolution (dots per inch).
QSizeF twipsToDevice(PrintFit fit, double dpiX, double dpiY);

}  // namespace tessara
