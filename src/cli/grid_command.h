// `tessara grid`: loads the map, draws the grid with the same code as the Generate Hex Grid
// button and writes the result, in place of the merge into the window's picture.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "cli/command_line.h"
#include "grid/grid_generation.h"
#include "image/picture.h"

namespace tessara {

// What the process returns, for scripts to tell a mistake from a failure.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;    // the work failed: memory, writing OUTPUT
inline constexpr int kExitBadInput = 2;  // the arguments, INPUT or OUTPUT's folder are wrong

struct CommandOutcome {
    int status = kExitSuccess;
    QString error;    // on failure: what went wrong, on one line, in words for the user
    QString warning;  // on success: what was left out, on one line
    QString output;   // on success: the line for standard output, if any

    static CommandOutcome badInput(const QString& what) { return {kExitBadInput, what, {}, {}}; }
    static CommandOutcome failed(const QString& what) { return {kExitFailed, what, {}, {}}; }
};

// "cannot write 'OUTPUT': why", and the same for a lack of memory.
QString cannotWrite(const QString& output, const QString& why);
QString notEnoughMemory();

// The command's work, failed as it fails wherever the memory runs out.
CommandOutcome withinMemory(const std::function<CommandOutcome()>& work);

// "no printed hex grid found on the map 'INPUT'"
CommandOutcome noGridFound(const QString& input);

// Reads INPUT into `map`. When it cannot be read, the outcome that says so: bad input, unless
// the memory ran out, which fails the work as it does wherever it runs out.
std::optional<CommandOutcome> loadInput(const QString& input, Picture& map);

// Why the grid could not be drawn, as the command says it.
CommandOutcome drawingFailure(const GridOutcome& outcome);

// Why OUTPUT cannot be written, checked before the map is loaded; empty when it can be.
QString outputProblem(const QString& output);

// The request for a map of that size: sizes for a grid given in pixels only, and the offset
// that puts a hex centre on the anchor.
GridRequest requestForMap(GridRequest request, int width, int height);

// On success, says on the warning line what a newer settings file held that this version
// left out.
void warnOfIgnoredSettings(const GridRequest& request, CommandOutcome& outcome);

// Writes OUTPUT only when everything succeeded; on any failure an existing OUTPUT is left
// as it was and no new one is made.
CommandOutcome runGridCommand(const GridRequest& request);

}  // namespace tessara
