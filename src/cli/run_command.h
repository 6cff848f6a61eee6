// The program run from a shell with a command instead of starting its window.
#pragma once

namespace tessara {

// True when the first argument is a command (grid, --help, -h, --version).
bool isCommandLine(int argc, char* argv[]);

// Runs the command and returns the process's exit status. Needs no display: no window is
// made, and the application object is there only for Qt's image plugins.
int runCommandLine(int argc, char* argv[]);

}  // namespace tessara
