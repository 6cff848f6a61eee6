// Start-up settings of the program and the real platform services it runs with.
#pragma once

#include "about/system_info_platform.h"
#include "help/help_viewer.h"
#include "platform/qt_pacer.h"
#include "platform/qt_platform.h"
#include "platform/qt_printer.h"
#include "platform/services.h"

namespace tessara {

// The application's title, version and icon, and the image size limit for big maps.
void configureApplication();

// Qt's own dialogs, message boxes, event loop and printer, the program's help viewer, and
// the platform's system information lookup, owned for the whole run.
class QtServices {
  public:
    Services services() {
        return {dialogs_,  messages_, pacer_,    printers_, help_,
                registry_, files_,    programs_, questions_};
    }

  private:
    QtDialogBackend dialogs_;
    QtMessageBoxes messages_;
    QtPacer pacer_;
    QtPrinterBackend printers_;
    QtHelpLauncher help_;
    PlatformRegistry registry_;
    QtFileLookup files_;
    QtProgramStarter programs_;
    QtQuestions questions_;
};

}  // namespace tessara
