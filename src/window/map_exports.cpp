#include "window/map_exports.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <new>

#include "boards/board_export.h"
#include "grid/grid_export.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/export_messages.h"
#include "window/progress_window.h"
#include "window/shown_choices.h"

namespace tessara {

MapExports::MapExports(const MapWindow& window, const GridFitting& fitting,
                       const ScalePrinting& printing)
    : QObject(window.window), window_(window), fitting_(fitting), printing_(printing) {
    exportMap_ = new QAction(QStringLiteral("E&xport Map As..."), window.window);
    exportMap_->setObjectName(QStringLiteral("mnuExportMap"));
    connect(exportMap_, &QAction::triggered, this, &MapExports::exportMap);
    exportGrid_ = new QAction(QStringLiteral("Export &Grid Only..."), window.window);
    exportGrid_->setObjectName(QStringLiteral("mnuExportGrid"));
    connect(exportGrid_, &QAction::triggered, this, &MapExports::exportGrid);
    exportFor_ = new QMenu(QStringLiteral("Export &For"), window.window);
    exportFor_->setObjectName(QStringLiteral("mnuExportFor"));
    for (const BoardFormat* format : boardFormats()) {
        QAction* action = exportFor_->addAction(format->menuText());
        const QString id = format->id();
        action->setObjectName(QStringLiteral("mnuExport") + id.left(1).toUpper() + id.mid(1));
        connect(action, &QAction::triggered, this, [this, format] { exportBoardFor(*format); });
    }
    const auto enable = [this] {
        for (QAction* action : exportFor_->actions()) {
            action->setEnabled(window_.hasMap());
        }
    };
    enable();
    connect(&fitting_, &GridFitting::mapReplaced, this, enable);
}

QString proposedName(const QString& mapFile, const QString& suffix, const QString& extension) {
    const QFileInfo map(mapFile.isEmpty() ? QStringLiteral("map") : mapFile);
    return map.dir().filePath(map.completeBaseName() + suffix + extension);
}

std::optional<QString> MapExports::askName(const QString& filter, const QString& extension,
                                           const QString& suffix) {
    CommonDialog& files = *window_.dialog;
    files.FileName = proposedName(*window_.mapFile, suffix, extension);
    files.Flags =
        DialogFlags::kOverwritePrompt | DialogFlags::kHideReadOnly | DialogFlags::kPathMustExist;
    files.CancelError = true;
    files.Filter = filter;
    files.FilterIndex = 1;
    files.DefaultExt = extension;
    if (!files.ShowSave()) {
        return std::nullopt;
    }
    const FileIdentity map = window_.map->picture().source();
    if (!map.isNull() && identityOf(files.FileName) == map) {
        window_.services.messages.MsgBox(wouldReplaceMapMessage(files.FileName));
        return std::nullopt;
    }
    return files.FileName;
}

void MapExports::writeWithProgress(const QString& title, const Picture& picture,
                                   const QString& path, const ExportOptions& options) {
    const BusyCursor busy;
    ProgressWindow progress(window_.window, title, ProgressWindow::Cancel::Offered,
                            *window_.progressDelay);
    progress.step(tr("Writing %1").arg(QFileInfo(path).fileName()));
    try {
        if (const WriteResult written = exportPicture(picture, path, options, progress); !written) {
            window_.services.messages.MsgBox(exportFailedMessage(path, written.error));
        }
    } catch (const WorkCancelled&) {
        // the file that was there is untouched
    }
}

void MapExports::exportMap() {
    const Picture picture = window_.image->picture();
    if (picture.isNull()) {
        window_.services.messages.MsgBox(noMapToExportMessage());
        return;
    }
    const std::optional<QString> path =
        askName(QStringLiteral("PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg|TIFF (*.tif)|*.tif|"
                               "Bitmap (*.bmp)|*.bmp"),
                QStringLiteral(".png"), QStringLiteral("-grid"));
    if (!path) {
        return;
    }
    ExportOptions options;
    options.format = formatForSuffix(QFileInfo(*path).suffix());
    if (options.format.isEmpty()) {
        window_.services.messages.MsgBox(
            unknownExportTypeMessage(*path, tr(".png, .jpg, .tif or .bmp")));
        return;
    }
    if (options.format == "jpeg") {
        const std::optional<double> quality = window_.services.questions.askNumber(
            {tr("Export Map As"), tr("JPEG quality, from 1 (smallest file) to 100 (best):"),
             static_cast<double>(jpegQuality_), 1, 100, 0});
        if (!quality) {
            return;
        }
        jpegQuality_ = static_cast<int>(*quality);
        options.jpegQuality = jpegQuality_;
    }
    // The resolution of the print scale, so that other programs print the map at it too.
    const double pixelsPerMm = printing_.pixelsPerMm();
    options.dotsPerInch = pixelsPerMm > 0 ? pixelsPerMm * kMillimetresPerInch : 0;
    writeWithProgress(tr("Export Map As"), picture, *path, options);
}

void MapExports::exportGrid() {
    const std::optional<GridLayout> layout = fitting_.layoutNow();
    const std::optional<GridPen> pen = window_.pen();
    if (!layout || !pen) {
        window_.services.messages.MsgBox(noGridToExportMessage());
        return;
    }
    const std::optional<QString> path =
        askName(QStringLiteral("PNG, transparent (*.png)|*.png|SVG drawing (*.svg)|*.svg"),
                QStringLiteral(".png"), QStringLiteral("-grid-only"));
    if (!path) {
        return;
    }
    const QString suffix = QFileInfo(*path).suffix().toLower();
    const GridChoices choices = drawnChoices(window_, fitting_, printing_);
    if (suffix == QLatin1String("svg")) {
        const BusyCursor busy;
        std::optional<NumbersLeftOut> leftOut;  // the window's message says so for a picture
        const WriteResult written = writeGridSvg(*path, choices, *layout, leftOut);
        if (!written) {
            window_.services.messages.MsgBox(exportFailedMessage(*path, written.error));
        }
    } else if (suffix == QLatin1String("png")) {
        QString failure;
        const QImage grid = [&] {
            const BusyCursor busy;
            return gridOnlyImage(
                choices, QSize(window_.map->pixelWidth(), window_.map->pixelHeight()), &failure);
        }();
        if (grid.isNull()) {
            window_.services.messages.MsgBox(exportFailedMessage(*path, failure));
            return;
        }
        ExportOptions options;
        options.format = "png";
        writeWithProgress(tr("Export Grid Only"), Picture(grid), *path, options);
    } else {
        window_.services.messages.MsgBox(unknownExportTypeMessage(*path, tr(".png or .svg")));
    }
}

void MapExports::exportBoardFor(const BoardFormat& target) {
    const std::optional<GridLayout> layout = fitting_.layoutNow();
    const std::optional<GridPen> pen = window_.pen();
    if (!window_.hasMap() || !layout || !pen) {
        window_.services.messages.MsgBox(noGridToExportMessage());
        return;
    }
    const QString title = tr("Export For %1").arg(target.program());
    const std::optional<QString> path =
        askName(target.nameFilter(), QStringLiteral(".png"), u'-' + target.id());
    if (!path) {
        return;
    }
    BoardRequest request;
    request.target = &target;
    request.boardPath = *path;
    request.format = formatForSuffix(QFileInfo(*path).suffix());
    request.look = boardLook(drawnChoices(window_, fitting_, printing_));
    if (request.format != "png" && request.format != "jpeg") {
        window_.services.messages.MsgBox(unknownExportTypeMessage(*path, tr(".png or .jpg")));
        return;
    }
    if (request.format == "jpeg") {
        const std::optional<double> quality = window_.services.questions.askNumber(
            {title, tr("JPEG quality, from 1 (smallest file) to 100 (best):"),
             static_cast<double>(jpegQuality_), 1, 100, 0});
        if (!quality) {
            return;
        }
        jpegQuality_ = static_cast<int>(*quality);
        request.jpegQuality = jpegQuality_;
    }
    BoardOutcome outcome;
    try {
        const BusyCursor busy;
        if (target.takesTerrain() && terrain_) {
            request.terrain = terrain_();
        }
        outcome = exportBoard(window_.map->picture(), *layout, request);
    } catch (const std::bad_alloc&) {
        outcome.written = WriteResult::failed(tr("There is not enough memory."));
    }
    if (!outcome.written) {
        window_.services.messages.MsgBox(exportFailedMessage(*path, outcome.written.error));
        return;
    }
    window_.services.messages.MsgBox(
        boardExportedMessage(*path, outcome.definitionPath, target.program(),
                             scaleText(outcome.straightening), outcome.unexpressed));
}

}  // namespace tessara
