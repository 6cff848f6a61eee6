// Message boxes as one small interface: the program shows Qt's, tests record what would
// have been shown.
#pragma once

#include <QString>

namespace tessara {

// What a message box says; made by small functions so that tests can check the words.
struct Message {
    QString prompt;
    QString title;  // empty: the application's title

    friend bool operator==(const Message&, const Message&) = default;
};

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // A modal box with the prompt, the title, an OK button only and no icon.
    virtual void MsgBox(const Message& message) = 0;
};

}  // namespace tessara
