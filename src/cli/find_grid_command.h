// `tessara find-grid`: finds the hex grid printed on a map picture and writes the options of
// `tessara grid` that draw it, so that a script can pass them on:
//     tessara grid scan.jpg out.png --map-width 40 --hex-size 1 $(tessara find-grid scan.jpg)
#pragma once

#include <QString>

#include "cli/grid_command.h"
#include "grid/grid_options.h"

namespace tessara {

// The options of `tessara grid` that draw exactly this grid (hexPixels set), on one line:
// a found grid's figures are written with all their decimals, so they are read back as they
// were found.
QString gridArguments(const GridOptions& options);

// Success with the options as its output; exit status 1 when the map shows no hex grid, 2
// when INPUT cannot be read.
CommandOutcome runFindGridCommand(const QString& input);

}  // namespace tessara
