// File, Export Map As and Export Grid Only: the gridded map in the formats maps are shared
// in, and the grid alone to lay over the map in a drawing program.
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

#include "grid/grid_export.h"
#include "image/picture_export.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/export_messages.h"
#include "window/main_window.h"

namespace tessara {

std::optional<double> Form1::hexPixelsNow() const {
    const std::optional<GridLayout> layout = gridLayoutNow();
    return layout ? std::optional(layout->hexSize) : std::nullopt;
}

std::optional<QString> Form1::askExportName(const QString& filter, const QString& extension) {
    CommonDialog1.Flags =
        DialogFlags::kOverwritePrompt | DialogFlags::kHideReadOnly | DialogFlags::kPathMustExist;
    CommonDialog1.CancelError = true;
    CommonDialog1.Filter = filter;
    CommonDialog1.FilterIndex = 1;
    CommonDialog1.DefaultExt = extension;
    if (!CommonDialog1.ShowSave()) {
        return std::nullopt;
    }
    return CommonDialog1.FileName;
}

void Form1::mnuExportMap_Click() {
    const Picture picture = Imgdisplay->picture();
    if (picture.isNull()) {
        services_.messages.MsgBox(noMapToExportMessage());
        return;
    }
    const std::optional<QString> path =
        askExportName(QStringLiteral("PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg|TIFF (*.tif)|*.tif|"
                                     "Bitmap (*.bmp)|*.bmp"),
                      QStringLiteral(".png"));
    if (!path) {
        return;
    }
    ExportOptions options;
    options.format = formatForSuffix(QFileInfo(*path).suffix());
    if (options.format.isEmpty()) {
        services_.messages.MsgBox(unknownExportTypeMessage(*path, tr(".png, .jpg, .tif or .bmp")));
        return;
    }
    if (options.format == "jpeg") {
        const std::optional<double> quality = services_.questions.askNumber(
            {tr("Export Map As"), tr("JPEG quality, from 1 (smallest file) to 100 (best):"),
             static_cast<double>(state_.jpegQuality), 1, 100, 0});
        if (!quality) {
            return;
        }
        state_.jpegQuality = static_cast<int>(*quality);
        options.jpegQuality = state_.jpegQuality;
    }
    // The resolution of the print scale, so that other programs print the map at it too.
    const double pixelsPerMm = state_.scale.pixelsPerMm(hexPixelsNow());
    options.dotsPerInch = pixelsPerMm > 0 ? pixelsPerMm * kMillimetresPerInch : 0;
    const BusyCursor busy;
    ProgressWindow progress(this, tr("Export Map As"), ProgressWindow::Cancel::Offered,
                            progressDelay_);
    progress.step(tr("Writing %1").arg(QFileInfo(*path).fileName()));
    QString failure;
    try {
        failure = exportPicture(picture, *path, options, progress);
    } catch (const WorkCancelled&) {
        return;  // the file that was there is untouched
    }
    if (!failure.isEmpty()) {
        services_.messages.MsgBox(exportFailedMessage(*path, failure));
    }
}

void Form1::mnuExportGrid_Click() {
    const std::optional<GridLayout> layout = gridLayoutNow();
    const std::optional<GridPen> pen =
        gridPen(cmbColour->currentIndex(), cmbThick->currentIndex(), state_.lineWidths);
    if (!layout || !pen) {
        services_.messages.MsgBox(noGridToExportMessage());
        return;
    }
    const std::optional<QString> path =
        askExportName(QStringLiteral("PNG, transparent (*.png)|*.png|SVG drawing (*.svg)|*.svg"),
                      QStringLiteral(".png"));
    if (!path) {
        return;
    }
    const QString suffix = QFileInfo(*path).suffix().toLower();
    const GridSizes sizes = checkGridSizes(txtMapSize->text(), txtHexF->text()).sizes;
    const int width = picMap_.pixelWidth();
    const int height = picMap_.pixelHeight();
    const BusyCursor busy;
    QString failure;
    if (suffix == QLatin1String("svg")) {
        failure =
            writeGridSvg(*path, width, height, sizes, *pen, state_.gridOptions, state_.numbering);
    } else if (suffix == QLatin1String("png")) {
        const QImage grid = gridOnlyImage(width, height, sizes, *pen, state_.gridOptions,
                                          state_.numbering, &failure);
        if (!grid.isNull()) {
            ExportOptions options;
            options.format = "png";
            ProgressWindow progress(this, tr("Export Grid Only"), ProgressWindow::Cancel::Offered,
                                    progressDelay_);
            progress.step(tr("Writing %1").arg(QFileInfo(*path).fileName()));
            try {
                failure = exportPicture(Picture(grid), *path, options, progress);
            } catch (const WorkCancelled&) {
                return;
            }
        }
    } else {
        services_.messages.MsgBox(unknownExportTypeMessage(*path, tr(".png or .svg")));
        return;
    }
    if (!failure.isEmpty()) {
        services_.messages.MsgBox(exportFailedMessage(*path, failure));
    }
}

}  // namespace tessara
