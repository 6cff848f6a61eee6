// The one common dialog object of the main window. Its settings persist between commands:
// each command sets what it needs before it shows a dialog, and the file name the last file
// dialog returned is shown pre-filled in the next one.
#pragma once

#include <QString>

#include "app/dialog_backend.h"
#include "app/help_launcher.h"
#include "app/numeric.h"

namespace tessara {

// Option bits of the file dialogs.
namespace DialogFlags {
inline constexpr int kOverwritePrompt = 0x2;
inline constexpr int kHideReadOnly = 0x4;
inline constexpr int kPathMustExist = 0x800;
inline constexpr int kFileMustExist = 0x1000;
}  // namespace DialogFlags

class CommonDialog {
  public:
    // A dialog made without a help viewer cannot show help.
    explicit CommonDialog(DialogBackend& backend, HelpLauncher* help = nullptr)
        : backend_(backend), help_(help) {}

    QString Filter;           // description and pattern pairs, all separated by "|"
    Integer FilterIndex = 0;  // selected pair, counted from 1
    int Flags = 0;
    bool CancelError = false;  // true: a cancelled dialog is reported by Show... returning false
    QString DefaultExt;        // ".bmp"
    QString FileName;          // the full path the last file dialog returned
    Integer Copies = 1;
    QString HelpFile;
    Integer HelpCommand = 0;

    // Show the dialog modally. They return false when the user cancelled with CancelError
    // on, or the dialog failed; FileName then keeps its value.
    [[nodiscard]] bool ShowOpen();
    [[nodiscard]] bool ShowSave();
    // Starts the help viewer with HelpFile and HelpCommand.
    void ShowHelp();

    // The request the current settings make of the platform's dialog.
    FileDialogRequest fileRequest(FileDialogRequest::Kind kind) const;

  private:
    bool showFile(FileDialogRequest::Kind kind);

    DialogBackend& backend_;
    HelpLauncher* help_;
};

// A pattern of the filter ("*.*", "*.bmp", "*.jpg;*.jpeg") in Qt's glob syntax: "*.*"
// matches every file, and extensions match whatever their case ("*.[bB][mM][pP]").
QString qtPattern(const QString& pattern);

}  // namespace tessara
