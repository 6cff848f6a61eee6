// The platform's file dialogs as one small interface, so that the program shows Qt's real
// dialogs and the tests a scripted stand-in that answers what the test says.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tessara {

// What the program asks of an open or save dialog, already in Qt's terms.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QStringList nameFilters;  // as Qt shows them: "Bitmaps (*.bmp)"
    QStringList patterns;     // the patterns each filter matches, Qt glob syntax
    int selectedFilter = 0;   // index into nameFilters
    QString defaultSuffix;    // without the dot; appended to a name typed without one
    QString initialPath;      // pre-filled name, possibly with its folder
    bool fileMustExist = false;
    bool folderMustExist = false;
    bool confirmOverwrite = false;
    QStringList places;  // folders the sidebar offers besides the usual ones
};

class DialogBackend {
  public:
    virtual ~DialogBackend() = default;
    // The chosen file's full path, or nothing when the user cancelled or the dialog failed.
    virtual std::optional<QString> getFileName(const FileDialogRequest& request) = 0;
    // An open dialog in which any number of existing files can be chosen at once: their
    // full paths, or nothing when the user cancelled.
    virtual std::optional<QStringList> getFileNames(const FileDialogRequest& request) = 0;
};

}  // namespace tessara
