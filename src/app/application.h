// Start-up settings of the program and the real platform services it runs with.
#pragma once

#include <QIcon>

#include "app/qt_platform.h"
#include "app/services.h"
#include "info/help_viewer.h"

namespace tessara {

// The program's icon, drawn at 16x16 and 32x32 pixels in sixteen colours.
QIcon tessaraIcon();

// The application's title, version and icon, and the image size limit for big maps.
void configureApplication();

// Qt's own dialogs and message boxes and the program's help viewer, owned for the whole run.
class QtServices {
  public:
    Services services() { return {dialogs_, messages_, help_}; }

  private:
    QtDialogBackend dialogs_;
    QtMessageBoxes messages_;
    QtHelpLauncher help_;
};

}  // namespace tessara
