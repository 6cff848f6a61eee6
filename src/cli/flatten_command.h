// `tessara flatten`: a photo of a board flattened by its printed grid (photo/photo_flattening.h)
// into a board whose grid `tessara grid` draws with the options printed.
#pragma once

#include "cli/command_line.h"
#include "cli/grid_command.h"

namespace tessara {

// Writes OUTPUT only when everything succeeded; on any failure an existing OUTPUT is left as it
// was. Its output is the options of the grid on OUTPUT, as find-grid prints them.
CommandOutcome runFlattenCommand(const GridRequest& request);

}  // namespace tessara
