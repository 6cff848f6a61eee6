// Help, Contents: the help file at its contents page. Both settings are made on every use,
// so nothing depends on what the common dialog was last used for.
#include "window/main_window.h"

namespace tessara {

void Form1::mnuContents_Click() {
    CommonDialog1.HelpFile = QStringLiteral("tessara.hlp");
    CommonDialog1.HelpCommand = HelpCommands::kContents;
    CommonDialog1.ShowHelp();
}

}  // namespace tessara
