// The platform services the main window leans on, handed to it when it is made: Qt's in
// the program, scripted stand-ins in the tests.
#pragma once

#include "app/dialog_backend.h"
#include "app/help_launcher.h"
#include "app/message_boxes.h"

namespace tessara {

struct Services {
    DialogBackend& dialogs;
    MessageBoxes& messages;
    HelpLauncher& help;
};

}  // namespace tessara
