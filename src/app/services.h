// The platform services the main window leans on, handed to it when it is made: Qt's in
// the program, scripted stand-ins in the tests.
#pragma once

#include "app/dialog_backend.h"
#include "app/file_lookup.h"
#include "app/help_launcher.h"
#include "app/message_boxes.h"
#include "app/printer_backend.h"
#include "app/program_starter.h"
#include "app/registry.h"
#include "view/pacer.h"

namespace tessara {

struct Services {
    DialogBackend& dialogs;
    MessageBoxes& messages;
    Pacer& pacer;  // the pace of the drag-pan loop
    PrinterBackend& printers;
    HelpLauncher& help;
    Registry& registry;
    FileLookup& files;
    ProgramStarter& programs;
};

}  // namespace tessara
