#include "view/drag_pan.h"

namespace tessara {

Single dragStep(Single imageOffset, Single pointer, Single viewportSize, Single scrollSpeed) {
    const double place = (static_cast<double>(imageOffset) + pointer) / viewportSize;
    return toSingle((place - 0.5) * scrollSpeed);
}

BarStep advanceBar(Single pos, Single step, int min, int max) {
    const Single next = toSingle(static_cast<double>(max) * step + pos);
    // The bounds are compared as Singles, as the position is one.
    if (next > static_cast<Single>(max)) {
        return {static_cast<Single>(max), max};
    }
    if (next < static_cast<Single>(min)) {
        return {static_cast<Single>(min), min};
    }
    // Inside the range, so the rounded value always fits.
    return {next, static_cast<int>(roundHalfEven(next))};
}

Single scrollSpeedFactor(ScrollSpeed speed) {
    switch (speed) {
        case ScrollSpeed::Slow:
            return 0.003F;
        case ScrollSpeed::Medium:
            return 0.005F;
        case ScrollSpeed::Fast:
            return 0.009F;
    }
    return 0.005F;
}

}  // namespace tessara
