#include "window/scale_printing.h"

#include <QAction>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include "print/scale_pdf.h"
#include "print/tiled_print.h"
#include "view/image_control.h"
#include "window/busy_cursor.h"
#include "window/export_messages.h"
#include "window/map_messages.h"
#include "window/progress_window.h"

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

ScalePrinting::ScalePrinting(const MapWindow& window, const GridFitting& fitting)
    : QObject(window.window), window_(window), fitting_(fitting) {
    action_ = new QAction(QStringLiteral("Print at &Scale..."), window.window);
    action_->setObjectName(QStringLiteral("mnuPrintScale"));
    connect(action_, &QAction::triggered, this, &ScalePrinting::showDialog);
}

void ScalePrinting::showDialog() {
    const Picture picture = window_.image->picture();
    if (picture.isNull()) {
        window_.services.messages.MsgBox(noMapToPrintMessage());
        return;
    }
    auto* dialog = new ScalePrintDialog(window_.window, picture.image().size(),
                                        fitting_.hexPixelsNow(), choice_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ScalePrintDialog::previewRequested, this,
            [this, dialog] { preview(*dialog); });
    connect(dialog, &ScalePrintDialog::printRequested, this, [this, dialog] { print(*dialog); });
    connect(dialog, &ScalePrintDialog::pdfRequested, this, [this, dialog] { savePdf(*dialog); });
    connect(dialog, &QDialog::finished, this, [this, dialog] { choice_ = dialog->choice(); });
    dialog->open();
}

bool ScalePrinting::paint(QPrinter& printer, const ScalePrintDialog& dialog) {
    const TilePlanning planning = dialog.planFor(printableAreaMm(printer.pageLayout()));
    if (!planning.plan) {
        window_.services.messages.MsgBox(cannotPrintAtScaleMessage(planning.refusal));
        return false;
    }
    const BusyCursor busy;
    ProgressWindow progress(window_.window, tr("Print at Scale"), ProgressWindow::Cancel::Offered,
                            *window_.progressDelay);
    QPainter painter(&printer);
    return printTiles(painter, window_.image->picture().image(), *planning.plan, pagesOn(progress));
}

void ScalePrinting::preview(const ScalePrintDialog& dialog) {
    QPrinter& printer = window_.services.printers.printer();
    setPages(printer, dialog.choice());
    window_.services.printers.showPrintPreview(
        [this, &dialog](QPrinter& shown) { paint(shown, dialog); });
}

void ScalePrinting::print(const ScalePrintDialog& dialog) {
    QPrinter& printer = window_.services.printers.printer();
    setPages(printer, dialog.choice());
    PrintDialogRequest request;
    request.allowSelection = false;
    request.allowPageRange = false;
    request.allowPrintToFile = true;  // a PDF, even where no printer is installed
    if (window_.services.printers.showPrintDialog(request) != PrintDialogResult::Accepted) {
        return;
    }
    if (!paint(printer, dialog)) {
        printer.abort();
    }
}

void ScalePrinting::savePdf(const ScalePrintDialog& dialog) {
    CommonDialog& files = *window_.dialog;
    files.Flags =
        DialogFlags::kOverwritePrompt | DialogFlags::kHideReadOnly | DialogFlags::kPathMustExist;
    files.CancelError = true;
    files.Filter = QStringLiteral("PDF (*.pdf)|*.pdf");
    files.FilterIndex = 1;
    files.DefaultExt = QStringLiteral(".pdf");
    if (!files.ShowSave()) {
        return;
    }
    const QString path = files.FileName;
    const ScaleChoice choice = dialog.choice();
    ScalePdfSettings settings;
    settings.paper = choice.paper;
    settings.landscape = choice.landscape;
    settings.overlapMm = choice.overlapMm;
    settings.pixelsPerMm = choice.pixelsPerMm(fitting_.hexPixelsNow());
    const BusyCursor busy;
    ProgressWindow progress(window_.window, tr("Save as PDF"), ProgressWindow::Cancel::Offered,
                            *window_.progressDelay);
    bool cancelled = false;
    const PageProgress pages = pagesOn(progress);
    const WriteResult written =
        writeScalePdf(window_.image->picture().image(), path, settings, [&](int done, int total) {
            cancelled = !pages(done, total);
            return !cancelled;
        });
    if (!written && !cancelled) {
        window_.services.messages.MsgBox(exportFailedMessage(path, written.error));
    }
}

}  // namespace tessara
