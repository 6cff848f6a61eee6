// The real platform: Qt's file dialogs and message boxes, shown over the active window.
#pragma once

#include <QWidget>

#include "platform/dialog_backend.h"
#include "platform/message_boxes.h"
#include "platform/questions.h"

namespace tessara {

// The window a dialog is shown over: the active one or, when none is (just after another
// dialog closed, before the desktop has made a window active again), the main window.
QWidget* dialogOwner();

// Makes the window a dialog was shown over the active one again.
void giveFocusBack(QWidget* owner);

class QtDialogBackend : public DialogBackend {
  public:
    std::optional<QString> getFileName(const FileDialogRequest& request) override;
    std::optional<QStringList> getFileNames(const FileDialogRequest& request) override;
};

class QtMessageBoxes : public MessageBoxes {
  public:
    void MsgBox(const Message& message) override;
};

class QtQuestions : public Questions {
  public:
    std::optional<double> askNumber(const NumberQuestion& question) override;
    std::optional<std::vector<double>> askNumbers(const NumbersQuestion& question) override;
    bool confirm(const Message& message) override;
    std::optional<QColor> askColour(const ColourQuestion& question) override;
};

}  // namespace tessara
