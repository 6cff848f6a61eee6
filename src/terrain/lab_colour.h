// Colours as people see them: CIE L*a*b* (D65), where equal steps look about equally
// different, so that distances between terrain looks mean the same on every map.
#pragma once

#include <QRgb>

namespace tessara {

struct LabColour {
    float l = 0;  // lightness, 0 (black) to 100 (white)
    float a = 0;  // green (-) to red (+)
    float b = 0;  // blue (-) to yellow (+)
};

LabColour toLab(QRgb colour);
// The sRGB colour nearest a CIE L*a*b* one, opaque: toLab's inverse, each channel clamped to
// what sRGB holds, as a class's look (a mean of many pixels) may lie outside it.
QRgb fromLab(LabColour colour);

}  // namespace tessara
