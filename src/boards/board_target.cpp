#include "boards/board_target.h"

#include <cmath>

namespace tessara {
namespace {

// The multiple of `step` nearest `value`, as a whole number of pixels.
int nearestMultiple(double value, int step) {
    const double steps = std::nearbyint(value / step);
    return steps > 1e9 ? 0 : static_cast<int>(steps) * step;
}

}  // namespace

TargetSizes nearestSizes(BoardTarget target, double along, double pitch) {
    if (!std::isfinite(along) || !std::isfinite(pitch) || along <= 0 || pitch <= 0) {
        return {};
    }
    if (target == BoardTarget::Vassal) {
        return {nearestMultiple(along, 1), nearestMultiple(pitch, 1), 0};
    }
    // Tiled: the pitch is 3/2 of an even side, so a multiple of 3.
    const int pitchTiled = nearestMultiple(pitch, 3);
    return {nearestMultiple(along, 2), pitchTiled, pitchTiled / 3 * 2};
}

}  // namespace tessara
