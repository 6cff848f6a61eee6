#include "platform/common_dialog.h"

#include <QPrinter>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tessara {

QString qtPattern(const QString& pattern) {
    QStringList globs;
    for (QString glob : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        glob = glob.trimmed();
        if (glob == QLatin1String("*.*") || glob == QLatin1String("*")) {
            globs << QStringLiteral("*");
            continue;
        }
        QString caseless;
        for (const QChar c : glob) {
            if (c.isLetter() && c.toLower() != c.toUpper()) {
                caseless += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            } else {
                caseless += c;
            }
        }
        globs << caseless;
    }
    return globs.join(QLatin1Char(' '));
}

FileDialogRequest CommonDialog::fileRequest(FileDialogRequest::Kind kind) const {
    FileDialogRequest request;
    request.kind = kind;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        request.nameFilters << parts[i];
        request.patterns << qtPattern(parts[i + 1]);
    }
    const int index = FilterIndex - 1;
    request.selectedFilter = index >= 0 && index < request.nameFilters.size() ? index : 0;
    request.defaultSuffix =
        DefaultExt.startsWith(QLatin1Char('.')) ? DefaultExt.mid(1) : DefaultExt;
    request.initialPath = FileName;
    request.places = Places;
    request.fileMustExist = (Flags & DialogFlags::kFileMustExist) != 0;
    request.folderMustExist = (Flags & DialogFlags::kPathMustExist) != 0 || request.fileMustExist;
    request.confirmOverwrite = (Flags & DialogFlags::kOverwritePrompt) != 0;
    return request;
}

bool CommonDialog::showFile(FileDialogRequest::Kind kind) {
    const std::optional<QString> chosen = backend_.getFileName(fileRequest(kind));
    if (!chosen) {
        if (CancelError) {
            return false;
        }
        FileName.clear();
        return true;
    }
    FileName = *chosen;
    return true;
}

bool CommonDialog::ShowOpen() {
    return showFile(FileDialogRequest::Kind::Open);
}
bool CommonDialog::ShowOpenSeveral() {
    const std::optional<QStringList> chosen =
        backend_.getFileNames(fileRequest(FileDialogRequest::Kind::Open));
    if (!chosen || chosen->isEmpty()) {
        return false;
    }
    FileNames = *chosen;
    FileName = chosen->constFirst();
    return true;
}
bool CommonDialog::ShowSave() {
    return showFile(FileDialogRequest::Kind::Save);
}

PrintDialogRequest CommonDialog::printRequest() const {
    PrintDialogRequest request;
    request.allowSelection = (Flags & PrinterFlags::kNoSelection) == 0;
    request.allowPageRange = (Flags & PrinterFlags::kNoPageNums) == 0;
    request.allowPrintToFile =
        (Flags & (PrinterFlags::kHidePrintToFile | PrinterFlags::kDisablePrintToFile)) == 0;
    return request;
}

bool CommonDialog::ShowPrinter() {
    if (printers_ == nullptr) {
        return false;
    }
    switch (printers_->showPrintDialog(printRequest())) {
        case PrintDialogResult::Accepted:
            Copies = static_cast<Integer>(std::clamp(printers_->printer().copyCount(), 1,
                                                     int{std::numeric_limits<Integer>::max()}));
            return true;
        case PrintDialogResult::Cancelled:
            return !CancelError;
        case PrintDialogResult::Failed:
            break;
    }
    return false;
}

void CommonDialog::ShowHelp() {
    if (help_ == nullptr) {
        throw std::logic_error("this common dialog was made without a help viewer");
    }
    help_->showHelp(HelpFile, HelpCommand);
}

}  // namespace tessara
