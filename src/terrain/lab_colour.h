// Colours as people see them: CIE L*a*b* (D65), where equal steps look about equally
// different, so that distances between terrain looks mean the same on every map.
#pragma once

#include <QRgb>
#include <cstddef>

namespace tessara {

struct LabColour {
    float l = 0;  // lightness, 0 (black) to 100 (white)
    float a = 0;  // green (-) to red (+)
    float b = 0;  // blue (-) to yellow (+)
};

LabColour toLab(QRgb colour);
// toLab of each of `count` colours, into `lab`: a row of a map at a time, which is quicker.
void toLab(const QRgb* colours, size_t count, LabColour* lab);
// The sRGB colour nearest a CIE L*a*b* one, opaque: toLab's inverse, each channel clamped to
// what sRGB holds, as a class's look (a mean of many pixels) may lie outside it.
QRgb fromLab(LabColour colour);

}  // namespace tessara
