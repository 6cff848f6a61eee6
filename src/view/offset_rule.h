// Where the image sits in the viewport for a scroll bar value: the value is the share of
// the overhang (image size less viewport size) scrolled away, in hundredths of the bar's
// range. The image slides the other way when it is smaller than the viewport.
#pragma once

#include "core/numeric.h"

namespace tessara {

// The scroll bars' maximum: their value counts hundredths of the overhang.
inline constexpr int kScrollMax = 100;

// (imageSize - viewportSize) x (-value) / max: the difference first, then the product with
// the negated value, then the division, in double precision; the result stored as a Single.
inline Single imageOffset(Single imageSize, Single viewportSize, int value, int max) {
    const double overhang = static_cast<double>(imageSize) - viewportSize;
    return toSingle(overhang * static_cast<Single>(-value) / static_cast<Single>(max));
}

}  // namespace tessara
