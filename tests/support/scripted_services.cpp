#include "support/scripted_services.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

namespace tessara::test {

std::optional<QStringList> ScriptedDialogs::getFileNames(const FileDialogRequest& request) {
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
    return next.paths;
}

std::optional<QString> ScriptedDialogs::getFileName(const FileDialogRequest& request) {
    const std::optional<QStringList> chosen = getFileNames(request);
    return chosen ? std::optional<QString>(chosen->value(0)) : std::nullopt;
}

QPrinter& ScriptedPrinter::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void ScriptedPrinter::showPrintPreview(const std::function<void(QPrinter&)>& paint) {
    ++previews_;
    paint(printer());
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

long ScriptedRegistry::RegOpenKeyExA(RegKey root, const QByteArray& subKey, std::uint32_t options,
                                     std::uint32_t access, RegKey* result) {
    calls_ << QStringLiteral("open ") + QString::fromLatin1(subKey);
    lastOptions_ = options;
    lastAccess_ = access;
    *result = 0;
    if (root != kHKeyLocalMachine || keys_.count(subKey) == 0) {
        return kErrorFileNotFound;
    }
    *result = next_++;
    handles_[*result] = subKey;
    open_.insert(*result);
    return kErrorSuccess;
}

long ScriptedRegistry::RegQueryValueExA(RegKey key, const QByteArray& valueName,
                                        std::uint32_t /*reserved*/, std::uint32_t* type, char* data,
                                        std::uint32_t* size) {
    calls_ << QStringLiteral("query ") + QString::fromLatin1(valueName);
    if (open_.count(key) == 0) {
        return kErrorInvalidHandle;
    }
    const auto& values = keys_.at(handles_.at(key));
    const auto found = values.find(valueName);
    if (found == values.end()) {
        return kErrorFileNotFound;
    }
    const auto length = static_cast<std::uint32_t>(found->second.bytes.size());
    *type = found->second.type;
    if (length > *size) {
        *size = length;
        return kErrorMoreData;
    }
    std::memcpy(data, found->second.bytes.constData(), length);
    *size = length;
    return kErrorSuccess;
}

long ScriptedRegistry::RegCloseKey(RegKey key) {
    calls_ << QStringLiteral("close ") + QString::number(key);
    return open_.erase(key) > 0 ? kErrorSuccess : kErrorInvalidHandle;
}

QString ScriptedFiles::Dir(const QString& path) {
    lookups_ << path;
    return files_.count(path) > 0 ? path.section(QLatin1Char('/'), -1) : QString();
}

std::optional<double> ScriptedQuestions::askNumber(const NumberQuestion& question) {
    numbersAsked_.push_back(question);
    if (numbers_.empty()) {
        ADD_FAILURE() << "unscripted question: " << question.prompt.toStdString();
        return std::nullopt;
    }
    const std::optional<double> answer = numbers_.front();
    numbers_.pop_front();
    return answer;
}

std::optional<std::vector<double>> ScriptedQuestions::askNumbers(const NumbersQuestion& question) {
    manyNumbersAsked_.push_back(question);
    if (manyNumbers_.empty()) {
        ADD_FAILURE() << "unscripted question: " << question.intro.toStdString();
        return std::nullopt;
    }
    std::optional<std::vector<double>> answer = manyNumbers_.front();
    manyNumbers_.pop_front();
    return answer;
}

bool ScriptedQuestions::confirm(const Message& message) {
    confirmsAsked_.push_back(message);
    if (confirms_.empty()) {
        ADD_FAILURE() << "unscripted question: " << message.prompt.toStdString();
        return false;
    }
    const bool answer = confirms_.front();
    confirms_.pop_front();
    return answer;
}

std::optional<QColor> ScriptedQuestions::askColour(const ColourQuestion& question) {
    coloursAsked_.push_back(question);
    if (colours_.empty()) {
        ADD_FAILURE() << "unscripted question: " << question.title.toStdString();
        return std::nullopt;
    }
    const std::optional<QColor> answer = colours_.front();
    colours_.pop_front();
    return answer;
}

}  // namespace tessara::test
