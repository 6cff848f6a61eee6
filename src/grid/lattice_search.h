// The grid finder's coarse step: which hex lattice the lines of the map's window repeat with,
// and where its hexes lie, to a pixel or two.
#pragma once

#include <optional>

#include "grid/hex_lattice.h"

namespace tessara {

struct LineWindow;

// The lattice in picture pixels, its origin the centre of a hex near the window's middle;
// nothing when no peaks of the window's likeness with itself make a hex lattice that stands
// well above the rest of it. A square grid's peaks make none: its lattice is a hex lattice
// stretched by 15.5 per cent, beyond what the search takes.
std::optional<HexLattice> searchLattice(const LineWindow& window);

}  // namespace tessara
