#include "window/map_sources.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "help/help_book.h"
#include "window/map_messages.h"

namespace tessara {
namespace {

// The one local file a drop carries, or an empty text: several files, a folder or text are
// refused before the button is released, so the cursor shows it.
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

MapSources::MapSources(const MapWindow& window, Open open)
    : QObject(window.window), window_(window), open_(std::move(open)) {
    sample_ = new QAction(QStringLiteral("Open &Sample Map"), window.window);
    sample_->setObjectName(QStringLiteral("mnuSample"));
    connect(sample_, &QAction::triggered, this, &MapSources::openSample);
    window.window->setAcceptDrops(true);
    window.window->installEventFilter(this);
}

bool MapSources::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_.window) {
        return false;
    }
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!droppedFile(enter->mimeData()).isEmpty()) {
            enter->acceptProposedAction();
        }
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (!path.isEmpty()) {
            drop->acceptProposedAction();
            open_(path);
        }
        return true;
    }
    return false;
}

void MapSources::openSample() {
    const QString folder = sampleFolder();
    if (folder.isEmpty()) {
        window_.services.messages.MsgBox(noSampleMapMessage());
        return;
    }
    open_(QDir(folder).filePath(QLatin1String(kSampleMapName)));
}

}  // namespace tessara
