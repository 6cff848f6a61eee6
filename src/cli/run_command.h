// The program run from a shell with a command instead of starting its window.
#pragma once

namespace tessara {

// True unless the arguments are nothing or one picture to open in the window: a subcommand,
// an option, or more than one argument, which the command line reads or refuses.
bool isCommandLine(int argc, char* argv[]);

// Runs the command and returns the process's exit status. Needs no display: no window is
// made, and the application object is there only for Qt's image plugins.
int runCommandLine(int argc, char* argv[]);

// Whether the window has a display to be shown on; without one Qt would abort. When there is
// none, noDisplay() says so on standard error and gives the exit status.
bool hasDisplay();
int noDisplay();

}  // namespace tessara
