// Stand-ins for the platform's dialogs and message boxes: they record what the program
// asked and answer what the test scripted, so no test ever waits on a modal window.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/dialog_backend.h"
#include "app/help_launcher.h"
#include "app/message_boxes.h"
#include "app/services.h"

namespace tessara::test {

class ScriptedDialogs : public DialogBackend {
  public:
    // The next file dialog returns this path; std::nullopt means the user cancels.
    void answer(const std::optional<QString>& path) {
        answers_.push_back({path.has_value(), path.value_or(QString())});
    }
    std::optional<QString> getFileName(const FileDialogRequest& request) override;

    const std::vector<FileDialogRequest>& requests() const { return requests_; }

  private:
    struct Answer {
        bool chosen;
        QString path;
    };
    std::deque<Answer> answers_;
    std::vector<FileDialogRequest> requests_;
};

class RecordingMessageBoxes : public MessageBoxes {
  public:
    void MsgBox(const Message& message) override;
    const std::vector<Message>& shown() const { return shown_; }
    // Runs while a box would be up, to look at the program at that moment.
    std::function<void(const Message&)> onShow;

  private:
    std::vector<Message> shown_;
};

// Records every start of the help viewer.
class ScriptedHelp : public HelpLauncher {
  public:
    struct Request {
        QString helpFile;
        Integer command;
        friend bool operator==(const Request&, const Request&) = default;
    };
    void showHelp(const QString& helpFile, Integer command) override {
        requests_.push_back({helpFile, command});
    }
    const std::vector<Request>& requests() const { return requests_; }

  private:
    std::vector<Request> requests_;
};

// Every stand-in together, ready to hand to a main window.
struct TestPlatform {
    ScriptedDialogs dialogs;
    RecordingMessageBoxes messages;
    ScriptedHelp help;
    Services services() { return {dialogs, messages, help}; }
};

}  // namespace tessara::test
