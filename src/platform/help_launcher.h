// Starting the help viewer, as one small interface: the program opens its own help window,
// tests record what was asked.
#pragma once

#include <QString>

#include "core/numeric.h"

namespace tessara {

// Commands of the help viewer.
namespace HelpCommands {
inline constexpr Integer kContents = 3;  // show the contents topic
}  // namespace HelpCommands

class HelpLauncher {
  public:
    virtual ~HelpLauncher() = default;
    // Starts the help viewer on the help file, given by its bare name (where the file is
    // looked for is the viewer's business), with one of the commands above. A file that
    // cannot be found is reported by the viewer itself.
    virtual void showHelp(const QString& helpFile, Integer command) = 0;
};

}  // namespace tessara
