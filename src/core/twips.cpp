#include "core/twips.h"

#include <algorithm>

namespace tessara {

int twipsToPixels(double twips) {
    const double pixels = roundHalfEven(twips / kTwipsPerPixel);
    constexpr double kLimit = 16777215.0;  // the largest widget size Qt accepts
    if (pixels > kLimit) {
        return static_cast<int>(kLimit);
    }
    if (pixels < -kLimit) {
        return static_cast<int>(-kLimit);
    }
    return static_cast<int>(pixels);
}

QRect toPixels(const TwipsRect& rect) {
    const int left = twipsToPixels(rect.Left);
    const int top = twipsToPixels(rect.Top);
    const int right = twipsToPixels(static_cast<double>(rect.Left) + rect.Width);
    const int bottom = twipsToPixels(static_cast<double>(rect.Top) + rect.Height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace tessara
