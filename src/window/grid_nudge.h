// The keys that nudge the grid while its preview shows: the arrows move it, + and - change
// the hex size, { and } stretch it, [ and ] turn it; Ctrl makes every step finer.
#pragma once

#include <optional>

#include "grid/grid_options.h"

namespace tessara {

// The options one press of `key` makes of `options`, with the hex size the grid has now;
// nothing when the key nudges nothing. A hex is never made smaller than one step.
std::optional<GridOptions> nudged(const GridOptions& options, int key, bool fine,
                                  std::optional<double> hexPixelsNow);

}  // namespace tessara
