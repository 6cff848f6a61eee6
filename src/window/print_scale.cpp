// File, Print at Scale: the map over as many pages as its scale needs, on a printer, in its
// preview or in a PDF file.
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include "print/scale_pdf.h"
#include "print/tiled_print.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/export_messages.h"
#include "window/main_window.h"
#include "window/map_messages.h"
#include "window/scale_print_dialog.h"

namespace tessara {
namespace {

// The printer's pages as the dialog chose them, with the PDF's margins where the printer
// can print that close to the edge.
void setPages(QPrinter& printer, const ScaleChoice& choice) {
    printer.setPageSize(QPageSize(choice.paper));
    printer.setPageOrientation(choice.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(kDefaultPdfMarginMm, kDefaultPdfMarginMm, kDefaultPdfMarginMm,
                                     kDefaultPdfMarginMm),
                           QPageLayout::Millimeter);
}

// Says how many pages are printed, and stops when the user cancels.
PageProgress pagesOn(ProgressWindow& progress) {
    return [&progress](int done, int total) {
        progress.step(QObject::tr("Printing page %1 of %2").arg(done + 1).arg(total));
        return progress.advance(static_cast<double>(done) / total);
    };
}

}  // namespace

void Form1::mnuPrintScale_Click() {
    const Picture picture = Imgdisplay->picture();
    if (picture.isNull()) {
        services_.messages.MsgBox(noMapToPrintMessage());
        return;
    }
    auto* dialog = new ScalePrintDialog(this, picture.image().size(), hexPixelsNow(), state_.scale);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ScalePrintDialog::previewRequested, this,
            [this, dialog] { previewAtScale(*dialog); });
    connect(dialog, &ScalePrintDialog::printRequested, this,
            [this, dialog] { printAtScale(*dialog); });
    connect(dialog, &ScalePrintDialog::pdfRequested, this,
            [this, dialog] { savePdfAtScale(*dialog); });
    connect(dialog, &QDialog::finished, this, [this, dialog] { state_.scale = dialog->choice(); });
    dialog->open();
}

bool Form1::paintAtScale(QPrinter& printer, const ScalePrintDialog& dialog) {
    const TilePlanning planning = dialog.planFor(printableAreaMm(printer.pageLayout()));
    if (!planning.plan) {
        services_.messages.MsgBox(cannotPrintAtScaleMessage(planning.refusal));
        return false;
    }
    const BusyCursor busy;
    ProgressWindow progress(this, tr("Print at Scale"), ProgressWindow::Cancel::Offered,
                            progressDelay_);
    QPainter painter(&printer);
    return printTiles(painter, Imgdisplay->picture().image(), *planning.plan, pagesOn(progress));
}

void Form1::previewAtScale(const ScalePrintDialog& dialog) {
    QPrinter& printer = services_.printers.printer();
    setPages(printer, dialog.choice());
    services_.printers.showPrintPreview(
        [this, &dialog](QPrinter& shown) { paintAtScale(shown, dialog); });
}

void Form1::printAtScale(const ScalePrintDialog& dialog) {
    QPrinter& printer = services_.printers.printer();
    setPages(printer, dialog.choice());
    PrintDialogRequest request;
    request.allowSelection = false;
    request.allowPageRange = false;
    request.allowPrintToFile = true;  // a PDF, even where no printer is installed
    if (services_.printers.showPrintDialog(request) != PrintDialogResult::Accepted) {
        return;
    }
    if (!paintAtScale(printer, dialog)) {
        printer.abort();
    }
}

void Form1::savePdfAtScale(const ScalePrintDialog& dialog) {
    CommonDialog1.Flags =
        DialogFlags::kOverwritePrompt | DialogFlags::kHideReadOnly | DialogFlags::kPathMustExist;
    CommonDialog1.CancelError = true;
    CommonDialog1.Filter = QStringLiteral("PDF (*.pdf)|*.pdf");
    CommonDialog1.FilterIndex = 1;
    CommonDialog1.DefaultExt = QStringLiteral(".pdf");
    if (!CommonDialog1.ShowSave()) {
        return;
    }
    const QString path = CommonDialog1.FileName;
    const ScaleChoice choice = dialog.choice();
    ScalePdfSettings settings;
    settings.paper = choice.paper;
    settings.landscape = choice.landscape;
    settings.overlapMm = choice.overlapMm;
    settings.pixelsPerMm = choice.pixelsPerMm(hexPixelsNow());
    const BusyCursor busy;
    ProgressWindow progress(this, tr("Save as PDF"), ProgressWindow::Cancel::Offered,
                            progressDelay_);
    bool cancelled = false;
    const PageProgress pages = pagesOn(progress);
    const QString failure =
        writeScalePdf(Imgdisplay->picture().image(), path, settings, [&](int done, int total) {
            cancelled = !pages(done, total);
            return !cancelled;
        });
    if (!failure.isEmpty() && !cancelled) {
        services_.messages.MsgBox(exportFailedMessage(path, failure));
    }
}

}  // namespace tessara
