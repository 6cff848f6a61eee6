// The File menu. Load Map Picture: the chosen picture becomes the map, shown at normal size
// from its top-left corner; any grid drawn on the previous map goes with it. Save Map: the
// full-resolution map, grid included, written as a bitmap file whatever the zoom; the file
// is replaced atomically, so a failed save leaves the old one as it was. Print Map: the
// full-resolution map on one page of the printer the user picks, scaled to fit with its
// proportions kept and placed at the top-left corner of the printable area; whatever goes
// wrong after the dialog ends the command silently.
#include <QAction>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <optional>

#include "print/print_fit.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/grid_fitting.h"
#include "window/main_window.h"
#include "window/map_messages.h"
#include "window/map_picture_dialog.h"
#include "window/pdf_map.h"

namespace tessara {
namespace {

// Paints the picture once on a page, stretched to `size` device units from the origin of
// the printable area; what falls into the border the printer cannot print on is lost. Each
// of the `copies` sheets carries the map once: a printer that makes copies itself is left to
// do so, for any other one each copy is a page of its own. A printer that fails ends the
// print there, silently.
void printPicture(QPrinter& printer, const QImage& image, QSizeF size, int copies) {
    const int pages = printer.supportsMultipleCopies() ? 1 : std::max(1, copies);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    const QRectF target(QPointF(0, 0), size);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer.newPage()) {
            printer.abort();  // nothing half done reaches the printer
            break;
        }
        painter.drawImage(target, image);
    }
    painter.end();  // ends the document and sends it to the printer
}

}  // namespace

void Form1::mnuLoad_Click() {
    if (!askMapPicture(CommonDialog1)) {
        return;  // cancelled: nothing changes
    }
    openMap(CommonDialog1.FileName);
}

bool Form1::openMap(const QString& path) {
    // The next open dialog starts at this file, in its folder, whether it loads or not.
    CommonDialog1.FileName = path;
    const QString name = QFileInfo(path).fileName();
    std::optional<PdfPages> pdf;
    std::optional<PdfPageChoice> page;
    if (isPdfName(path)) {
        pdf.emplace(path);
        if (!pdf->problem().isEmpty()) {
            services_.messages.MsgBox(pdfUnreadableMessage(name, pdf->problem()));
            return false;
        }
        page = askPdfPage(services_.questions, u'"' + name + u'"', *pdf);
        if (!page) {
            return false;  // cancelled: nothing changes
        }
    }
    try {
        const BusyCursor busy;
        ProgressWindow progress(this, tr("Load Map Picture"), ProgressWindow::Cancel::Offered,
                                progressDelay_);
        progress.step(tr("Reading %1").arg(name));
        picMap_.setPicture(pdf ? renderPdfPage(*pdf, *page) : LoadPicture(path, progress));
        mnuNormal_Click();
        mnuInformation->setEnabled(false);
        state_.mapFile = path;
        fitting_->mapLoaded();
        return true;
    } catch (const WorkCancelled&) {
        return false;  // the map and the window are as they were
    } catch (const PictureTooLarge& e) {
        services_.messages.MsgBox(pictureTooLargeMessage(QString::fromStdString(e.what())));
    } catch (const PictureError&) {
        services_.messages.MsgBox(loadFailedMessage());
    } catch (const std::bad_alloc&) {
        services_.messages.MsgBox(loadFailedMessage());
    }
    return false;
}

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
        ProgressWindow progress(this, tr("Save Map"), ProgressWindow::Cancel::NotOffered,
                                progressDelay_);
        progress.step(tr("Writing %1").arg(QFileInfo(path).fileName()));
        SavePicture(picture, path, Durability::OnDisk, progress);
    } catch (const PictureError& e) {
        services_.messages.MsgBox(saveFailedMessage(path, QString::fromStdString(e.what())));
    }
}

void Form1::mnuPrint_Click() {
    CommonDialog1.CancelError = true;
    CommonDialog1.Flags = PrinterFlags::kNoSelection | PrinterFlags::kNoPageNums |
                          PrinterFlags::kHidePrintToFile;  // 0x10000C
    // The image always shows the full-resolution picture of the map, whatever the zoom.
    const Picture picture = Imgdisplay->picture();
    if (picture.isNull()) {
        services_.messages.MsgBox(noMapToPrintMessage());
        return;
    }
    if (!CommonDialog1.ShowPrinter()) {
        return;  // cancelled, or no printer
    }
    QPrinter& printer = services_.printers.printer();
    const std::optional<PrintFit> fit =
        fitToPage(pageTwips(printer.pageLayout()), Imgdisplay->Width(), Imgdisplay->Height());
    if (!fit) {
        return;
    }
    const Integer n = CommonDialog1.Copies;
    const BusyCursor busy;
    printPicture(printer, picture.image(),
                 twipsToDevice(*fit, printer.logicalDpiX(), printer.logicalDpiY()), n);
}

}  // namespace tessara
