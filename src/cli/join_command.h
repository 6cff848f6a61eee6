// `tessara join`: sections of one map, scanned or photographed in overlapping parts, joined
// on their printed grid (photo/section_joining.h) into one board whose grid `tessara grid`
// draws with the options printed.
#pragma once

#include "cli/command_line.h"
#include "cli/grid_command.h"

namespace tessara {

// Writes OUTPUT only when every section was placed; on any failure an existing OUTPUT is left
// as it was. Its output is the options of the grid on OUTPUT, as find-grid prints them.
CommandOutcome runJoinCommand(const GridRequest& request);

}  // namespace tessara
