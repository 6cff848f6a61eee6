// Stand-ins for the platform's dialogs and message boxes: they record what the program
// asked and answer what the test scripted, so no test ever waits on a modal window.
#pragma once

#include <QPrinter>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/dialog_backend.h"
#include "platform/file_lookup.h"
#include "platform/help_launcher.h"
#include "platform/message_boxes.h"
#include "platform/pacer.h"
#include "platform/printer_backend.h"
#include "platform/program_starter.h"
#include "platform/questions.h"
#include "platform/registry.h"
#include "platform/services.h"

namespace tessara::test {

class ScriptedDialogs : public DialogBackend {
  public:
    // The next file dialog returns this path; std::nullopt means the user cancels.
    void answer(const std::optional<QString>& path) {
        answers_.push_back({path.has_value(), path ? QStringList{*path} : QStringList()});
    }
    // The next dialog of several files returns these; std::nullopt means the user cancels.
    void answerFiles(const std::optional<QStringList>& paths) {
        answers_.push_back({paths.has_value(), paths.value_or(QStringList())});
    }
    std::optional<QString> getFileName(const FileDialogRequest& request) override;
    std::optional<QStringList> getFileNames(const FileDialogRequest& request) override;

    const std::vector<FileDialogRequest>& requests() const { return requests_; }

  private:
    struct Answer {
        bool chosen;
        QStringList paths;
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
    // Paints the preview's pages on printer() as the real preview would, at once.
    void showPrintPreview(const std::function<void(QPrinter&)>& paint) override;
    int previews() const { return previews_; }

    const std::vector<PrintDialogRequest>& requests() const { return requests_; }

  private:
    struct Answer {
        PrintDialogResult result;
        int copies;
    };
    std::unique_ptr<QPrinter> printer_;  // made on first use
    int previews_ = 0;
    std::deque<Answer> answers_;
    std::vector<PrintDialogRequest> requests_;
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

// A registry holding the keys and values a test puts in it, that behaves as the real one
// does: a missing key or value fails, a value longer than the buffer reports more data.
// Records every call, in order ("open <key>", "query <value>", "close <handle>").
class ScriptedRegistry : public Registry {
  public:
    struct Value {
        std::uint32_t type;
        QByteArray bytes;  // as stored: string values usually end with a zero
    };
    // Adds a key below HKEY_LOCAL_MACHINE, with no values yet.
    void addKey(const QByteArray& key) { keys_[key]; }
    void setValue(const QByteArray& key, const QByteArray& name, Value value) {
        keys_[key][name] = std::move(value);
    }
    // A string value with its terminating zero.
    void setString(const QByteArray& key, const QByteArray& name, const QByteArray& text) {
        setValue(key, name, {kRegString, text + QByteArray(1, '\0')});
    }

    long RegOpenKeyExA(RegKey root, const QByteArray& subKey, std::uint32_t options,
                       std::uint32_t access, RegKey* result) override;
    long RegQueryValueExA(RegKey key, const QByteArray& valueName, std::uint32_t reserved,
                          std::uint32_t* type, char* data, std::uint32_t* size) override;
    long RegCloseKey(RegKey key) override;

    const QStringList& calls() const { return calls_; }
    // Handles opened and not closed yet.
    const std::set<RegKey>& openKeys() const { return open_; }
    std::uint32_t lastAccess() const { return lastAccess_; }
    std::uint32_t lastOptions() const { return lastOptions_; }

  private:
    std::map<QByteArray, std::map<QByteArray, Value>> keys_;
    std::map<RegKey, QByteArray> handles_;
    std::set<RegKey> open_;
    RegKey next_ = 100;
    QStringList calls_;
    std::uint32_t lastAccess_ = 0;
    std::uint32_t lastOptions_ = 0;
};

// Files that exist, as the test says; records every lookup.
class ScriptedFiles : public FileLookup {
  public:
    void addFile(const QString& path) { files_.insert(path); }
    QString Dir(const QString& path) override;
    const QStringList& lookups() const { return lookups_; }

  private:
    std::set<QString> files_;
    QStringList lookups_;
};

// Starts the programs the test says can be started; records every attempt.
class ScriptedPrograms : public ProgramStarter {
  public:
    struct Start {
        QString path;
        WindowStyle style;
        friend bool operator==(const Start&, const Start&) = default;
    };
    void addProgram(const QString& path) { startable_.insert(path); }
    bool Shell(const QString& path, WindowStyle style) override {
        starts_.push_back({path, style});
        return startable_.count(path) > 0;
    }
    const std::vector<Start>& starts() const { return starts_; }

  private:
    std::set<QString> startable_;
    std::vector<Start> starts_;
};

// Answers the questions in the order the test scripted them; a question nobody scripted
// fails the test and is answered as cancelled.
class ScriptedQuestions : public Questions {
  public:
    void answerNumber(std::optional<double> number) { numbers_.push_back(number); }
    void answerConfirm(bool ok) { confirms_.push_back(ok); }
    void answerNumbers(std::optional<std::vector<double>> numbers) {
        manyNumbers_.push_back(std::move(numbers));
    }
    void answerColour(std::optional<QColor> colour) { colours_.push_back(colour); }
    std::optional<double> askNumber(const NumberQuestion& question) override;
    std::optional<std::vector<double>> askNumbers(const NumbersQuestion& question) override;
    bool confirm(const Message& message) override;
    std::optional<QColor> askColour(const ColourQuestion& question) override;

    const std::vector<NumberQuestion>& numbersAsked() const { return numbersAsked_; }
    const std::vector<Message>& confirmsAsked() const { return confirmsAsked_; }
    const std::vector<NumbersQuestion>& manyNumbersAsked() const { return manyNumbersAsked_; }
    const std::vector<ColourQuestion>& coloursAsked() const { return coloursAsked_; }

  private:
    std::deque<std::optional<QColor>> colours_;
    std::vector<ColourQuestion> coloursAsked_;
    std::deque<std::optional<double>> numbers_;
    std::deque<bool> confirms_;
    std::deque<std::optional<std::vector<double>>> manyNumbers_;
    std::vector<NumbersQuestion> manyNumbersAsked_;
    std::vector<NumberQuestion> numbersAsked_;
    std::vector<Message> confirmsAsked_;
};

// Every stand-in together, ready to hand to a main window.
struct TestPlatform {
    ScriptedDialogs dialogs;
    RecordingMessageBoxes messages;
    ScriptedPacer pacer;
    ScriptedPrinter printers;
    ScriptedHelp help;
    ScriptedRegistry registry;
    ScriptedFiles files;
    ScriptedPrograms programs;
    ScriptedQuestions questions;
    Services services() {
        return {dialogs, messages, pacer, printers, help, registry, files, programs, questions};
    }
};

}  // namespace tessara::test
