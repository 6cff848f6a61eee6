#include "window/map_picture_dialog.h"

#include "help/help_book.h"
#include "platform/common_dialog.h"

namespace tessara {

bool askMapPicture(CommonDialog& dialog, MapPictures how) {
    dialog.Filter = QStringLiteral(
        "All pictures|*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.gif;*.webp;*.pdf|"
        "Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg;*.jpeg|PNG (*.png)|*.png|"
        "TIFF (*.tif)|*.tif;*.tiff|GIF (*.gif)|*.gif|WebP (*.webp)|*.webp|PDF (*.pdf)|*.pdf|"
        "All Files (*.*)|*.*");
    dialog.FilterIndex = 1;
    dialog.Flags = DialogFlags::kFileMustExist | DialogFlags::kPathMustExist |
                   DialogFlags::kHideReadOnly;  // 6148
    dialog.CancelError = true;
    const QString samples = sampleFolder();
    dialog.Places = samples.isEmpty() ? QStringList() : QStringList{samples};
    return how == MapPictures::Several ? dialog.ShowOpenSeveral() : dialog.ShowOpen();
}

}  // namespace tessara
