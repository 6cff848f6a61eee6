// `tessara export`: straightens the map under its grid into a board that Tiled or VASSAL
// draws its own grid over, and writes the grid's definition beside it (boards/).
#pragma once

#include "cli/command_line.h"
#include "cli/grid_command.h"

namespace tessara {

// Writes BOARD and its definition only when everything succeeded; on any failure both are
// left as they were. Its output names both files and the scale factor used.
CommandOutcome runExportCommand(const GridRequest& request);

}  // namespace tessara
