// Stand-ins for the platform's dialogs and message boxes: they record what the program
// asked and answer what the test scripted, so no test ever waits on a modal window.
#pragma once

#include <QPrinter>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/dialog_backend.h"
#include "app/message_boxes.h"
#include "app/printer_backend.h"
#include "app/services.h"
#include "view/pacer.h"

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

// Paces the drag-pan loop by pass number instead of by time: each pass runs what the test
// scheduled for it, then dispatches the pending events, with no wait. A loop still running
// after `runawayLimit` passes fails the test and closes every window, which ends the drag.
class ScriptedPacer : public Pacer {
  public:
    void awaitNextPass(const std::function<bool()>& over) override;

    // Runs `action` as the loop waits for pass `pass` (the first pass is 1), before the
    // events pending at that moment are dispatched.
    void at(int pass, std::function<void()> action) { actions_[pass] = std::move(action); }
    // Passes begun so far, over every drag.
    int passes() const { return passes_; }
    int runawayLimit = 20000;

  private:
    std::map<int, std::function<void()>> actions_;
    int passes_ = 0;
};

// A real printer behind a scripted print dialog. The printer writes a PDF file when a test
// gives it one (setOutputFormat, setOutputFileName); by default it has nowhere to print.
class ScriptedPrinter : public PrinterBackend {
  public:
    // The next print dialog gives this result; with Accepted, the copies chosen in it.
    void answer(PrintDialogResult result, int copies = 1) { answers_.push_back({result, copies}); }
    QPrinter& printer() override;
    PrintDialogResult showPrintDialog(const PrintDialogRequest& request) override;

    const std::vector<PrintDialogRequest>& requests() const { return requests_; }

  private:
    struct Answer {
        PrintDialogResult result;
        int copies;
    };
    std::unique_ptr<QPrinter> printer_;  // made on first use
    std::deque<Answer> answers_;
    std::vector<PrintDialogRequest> requests_;
};

// Every stand-in together, ready to hand to a main window.
struct TestPlatform {
    ScriptedDialogs dialogs;
    RecordingMessageBoxes messages;
    ScriptedPacer pacer;
    ScriptedPrinter printers;
    Services services() { return {dialogs, messages, pacer, printers}; }
};

}  // namespace tessara::test
