// The Map Dimensions command and the Help menu. Map Dimensions reports the four values the
// last grid generation stored and changes nothing. Contents opens the help file at its
// contents page; both settings are made on every use, so nothing depends on what the common
// dialog was last used for. About shows the one About box of the run.
#include "about/about_box.h"
#include "about/dimensions_report.h"
#include "window/main_window.h"

namespace tessara {

void Form1::mnuInformation_Click() {
    services_.messages.MsgBox(
        dimensionsReport(state_.mapWidth, state_.mapHeight, state_.hexColumns, state_.hexRows));
}

void Form1::mnuContents_Click() {
    CommonDialog1.HelpFile = QStringLiteral("tessara.hlp");
    CommonDialog1.HelpCommand = HelpCommands::kContents;
    CommonDialog1.ShowHelp();
}

void Form1::mnuAbout_Click() {
    if (!aboutBox_) {
        aboutBox_ = std::make_unique<frmAbout>(services_);
    }
    aboutBox_->showAbout();
}

}  // namespace tessara
