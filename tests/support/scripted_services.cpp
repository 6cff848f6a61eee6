#include "support/scripted_services.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace tessara::test {

std::optional<QString> ScriptedDialogs::getFileName(const FileDialogRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) {
        ADD_FAILURE() << "a file dialog was shown that the test did not expect";
        return std::nullopt;
    }
    const Answer next = answers_.front();
    answers_.pop_front();
    if (!next.chosen) {
        return std::nullopt;
    }
    return next.path;
}

QPrinter& ScriptedPrinter::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

PrintDialogResult ScriptedPrinter::showPrintDialog(const PrintDialogRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) {
        ADD_FAILURE() << "a print dialog was shown that the test did not expect";
        return PrintDialogResult::Cancelled;
    }
    const Answer next = answers_.front();
    answers_.pop_front();
    if (next.result == PrintDialogResult::Accepted) {
        printer().setCopyCount(next.copies);
    }
    return next.result;
}

void RecordingMessageBoxes::MsgBox(const Message& message) {
    shown_.push_back(message);
    if (onShow) {
        onShow(message);
    }
}

void ScriptedPacer::awaitNextPass(const std::function<bool()>& over) {
    ++passes_;
    if (const auto action = actions_.find(passes_); action != actions_.end()) {
        action->second();
    }
    if (passes_ == runawayLimit) {
        ADD_FAILURE() << "the drag loop was still running after " << passes_ << " passes";
        QApplication::closeAllWindows();
    }
    if (!over()) {
        QCoreApplication::processEvents();
    }
}

}  // namespace tessara::test
