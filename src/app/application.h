// Start-up settings of the program and the real platform services it runs with.
#pragma once

#include <QIcon>

#include "app/qt_platform.h"
#include "app/qt_printer.h"
#include "app/services.h"
#include "view/qt_pacer.h"

namespace tessara {

// The program's icon, drawn at 16x16 and 32x32 pixels in sixteen colours.
QIcon tessaraIcon();

// The application's title, version and icon, and the image size limit for big maps.
void configureApplication();

// Qt's own dialogs, message boxes, event loop and printer, owned for the whole run.
class QtServices {
  public:
    Services services() { return {dialogs_, messages_, pacer_, printers_}; }

  private:
    QtDialogBackend dialogs_;
    QtMessageBoxes messages_;
    QtPacer pacer_;
    QtPrinterBackend printers_;
};

}  // namespace tessara
