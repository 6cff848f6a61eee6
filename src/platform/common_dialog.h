// The one common dialog object of the main window. Its settings persist between commands:
// each command sets what it needs before it shows a dialog, and the file name the last file
// dialog returned is shown pre-filled in the next one.
#pragma once

#include <QString>

#include "core/numeric.h"
#include "platform/dialog_backend.h"
#include "platform/help_launcher.h"
#include "platform/printer_backend.h"

namespace tessara {

// Option bits of the file dialogs.
namespace DialogFlags {
inline constexpr int kOverwritePrompt = 0x2;
inline constexpr int kHideReadOnly = 0x4;
inline constexpr int kPathMustExist = 0x800;
inline constexpr int kFileMustExist = 0x1000;
}  // namespace DialogFlags

// Option bits of the print dialog.
namespace PrinterFlags {
inline constexpr int kNoSelection = 0x4;
inline constexpr int kNoPageNums = 0x8;
inline constexpr int kDisablePrintToFile = 0x80000;
inline constexpr int kHidePrintToFile = 0x100000;
}  // namespace PrinterFlags

class CommonDialog {
  public:
    // A dialog made without a printer cannot print; one made without a help viewer cannot
    // show help.
    explicit CommonDialog(DialogBackend& backend, PrinterBackend* printers = nullptr,
                          HelpLauncher* help = nullptr)
        : backend_(backend), printers_(printers), help_(help) {}

    QString Filter;           // description and pattern pairs, all separated by "|"
    Integer FilterIndex = 0;  // selected pair, counted from 1
    int Flags = 0;
    bool CancelError = false;  // true: a cancelled dialog is reported by Show... returning false
    QString DefaultExt;        // ".bmp"
    QString FileName;          // the full path the last file dialog returned
    QStringList FileNames;     // the full paths ShowOpenSeveral returned
    QStringList Places;        // folders added to the file dialog's sidebar
    Integer Copies = 1;        // copies the user asked for in the print dialog
    QString HelpFile;
    Integer HelpCommand = 0;

    // Show the dialog modally. They return false when the user cancelled with CancelError
    // on, or the dialog failed; FileName then keeps its value.
    [[nodiscard]] bool ShowOpen();
    // An open dialog that chooses any number of existing files at once, into FileNames;
    // FileName becomes the first of them. False when the user cancelled.
    [[nodiscard]] bool ShowOpenSeveral();
    [[nodiscard]] bool ShowSave();
    // The print dialog, for the printer the program prints on; Copies then holds the number
    // of copies chosen. Returns false when the user cancelled with CancelError on, or there
    // is no printer to choose.
    [[nodiscard]] bool ShowPrinter();
    // Starts the help viewer with HelpFile and HelpCommand.
    void ShowHelp();

    // The request the current settings make of the platform's dialog.
    FileDialogRequest fileRequest(FileDialogRequest::Kind kind) const;
    PrintDialogRequest printRequest() const;

  private:
    bool showFile(FileDialogRequest::Kind kind);

    DialogBackend& backend_;
    PrinterBackend* printers_;
    HelpLauncher* help_;
};

// A pattern of the filter ("*.*", "*.bmp", "*.jpg;*.jpeg") in Qt's glob syntax: "*.*"
// matches every file, and extensions match whatever their case ("*.[bB][mM][pP]").
QString qtPattern(const QString& pattern);

}  // namespace tessara
