// `tessara terrain`: the terrain of every hex of the grid over a map (terrain/), named by a
// legend's sample hexes or grouped into classes found on the map, written as hex data for
// games: a table or HexJSON, and the sides the legend's line features follow beside it.
#pragma once

#include "cli/command_line.h"
#include "cli/grid_command.h"

namespace tessara {

// Writes OUTPUT, and its sides file when the legend names line features, only when
// everything succeeded: both or neither, an existing file left as it was on any failure.
// Its output is the number of hexes of each class (and of sides of each feature).
CommandOutcome runTerrainCommand(const GridRequest& request);

}  // namespace tessara
