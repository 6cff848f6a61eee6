// A picture file dropped on the window is loaded as Load Map Picture would load it. Only
// one local file is taken; several files, a folder or text are refused before the button
// is released, so the cursor shows it.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "window/main_window.h"

namespace tessara {
namespace {

// The one local file the drop carries, or an empty text.
QString droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) {
        return {};
    }
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile()) {
        return {};
    }
    return url.toLocalFile();
}

}  // namespace

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void Form1::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    openMap(path);
}

}  // namespace tessara
