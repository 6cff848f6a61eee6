#include "boards/board_target.h"

#include <cmath>

namespace tessara {

int nearestMultiple(double value, int step) {
    if (!std::isfinite(value) || value <= 0) {
        return 0;
    }
    const double steps = std::nearbyint(value / step);
    return steps > 1e9 ? 0 : static_cast<int>(steps) * step;
}

}  // namespace tessara
