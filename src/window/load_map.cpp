// File, Load Map Picture: the chosen picture becomes the map, shown at normal size from its
// top-left corner; any grid drawn on the previous map goes with it.
#include <QAction>

#include "window/busy_cursor.h"
#include "window/main_window.h"
#include "window/map_messages.h"

namespace tessara {

void Form1::mnuLoad_Click() {
    CommonDialog1.Filter =
        QStringLiteral("All Files (*.*)|*.*|Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg");
    CommonDialog1.FilterIndex = 2;
    CommonDialog1.Flags = DialogFlags::kFileMustExist | DialogFlags::kPathMustExist |
                          DialogFlags::kHideReadOnly;  // 6148
    CommonDialog1.CancelError = true;
    if (!CommonDialog1.ShowOpen()) {
        return;  // cancelled: nothing changes
    }
    try {
        const BusyCursor busy;
        picMap_.setPicture(LoadPicture(CommonDialog1.FileName));
        mnuNormal_Click();
        mnuInformation->setEnabled(false);
    } catch (const PictureError&) {
        services_.messages.MsgBox(loadFailedMessage());
    } catch (const std::bad_alloc&) {
        services_.messages.MsgBox(loadFailedMessage());
    }
}

}  // namespace tessara
