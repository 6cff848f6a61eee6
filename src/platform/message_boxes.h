// Message boxes as one small interface: the program shows Qt's, tests record what would
// have been shown.
#pragma once

#include "core/message.h"

namespace tessara {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // A modal box with the prompt, the title, an OK button only and no icon.
    virtual void MsgBox(const Message& message) = 0;
};

}  // namespace tessara
