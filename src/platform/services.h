// The platform services the main window leans on, handed to it when it is made: Qt's in
// the program, scripted stand-ins in the tests.
#pragma once

#include "platform/dialog_backend.h"
#include "platform/file_lookup.h"
#include "platform/help_launcher.h"
#include "platform/message_boxes.h"
#include "platform/pacer.h"
#include "platform/printer_backend.h"
#include "platform/program_starter.h"
#include "platform/questions.h"
#include "platform/registry.h"

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
    Questions& questions;
};

}  // namespace tessara
