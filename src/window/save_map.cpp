// File, Save Map: the full-resolution map, grid included, written as a bitmap file whatever
// the zoom. The file is replaced atomically, so a failed save leaves the old one as it was.
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/main_window.h"
#include "window/map_messages.h"

namespace tessara {

void Form1::mnuSave_Click() {
    // The image always shows the full-resolution picture of the map, whatever the zoom.
    const Picture picture = Imgdisplay->picture();
    if (picture.isNull()) {
        // Said before the dialog, so that nobody chooses a name for nothing.
        services_.messages.MsgBox(noMapToSaveMessage());
        return;
    }
    CommonDialog1.Flags = DialogFlags::kOverwritePrompt | DialogFlags::kHideReadOnly |
                          DialogFlags::kPathMustExist;  // 0x806
    CommonDialog1.CancelError = true;
    CommonDialog1.Filter = QStringLiteral("Bitmap (*.bmp)|*.bmp");
    CommonDialog1.DefaultExt = QStringLiteral(".bmp");
    if (!CommonDialog1.ShowSave()) {
        return;  // cancelled: nothing is written
    }
    const QString path = CommonDialog1.FileName;
    try {
        const BusyCursor busy;
        SavePicture(picture, path);
    } catch (const PictureError& e) {
        services_.messages.MsgBox(saveFailedMessage(path, QString::fromStdString(e.what())));
    }
}

}  // namespace tessara
