#include "platform/qt_printer.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/qt_platform.h"

namespace tessara {

QtPrinterBackend::QtPrinterBackend() = default;
QtPrinterBackend::~QtPrinterBackend() = default;

QPrinter& QtPrinterBackend::printer() {
    if (!printer_) {
        // Full resolution of the device, so that a map is printed with all its detail.
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

PrintDialogResult QtPrinterBackend::showPrintDialog(const PrintDialogRequest& request) {
    // With no printer installed the dialog could offer nothing but printing into a file.
    if (!request.allowPrintToFile && QPrinterInfo::availablePrinterNames().isEmpty()) {
        return PrintDialogResult::Failed;
    }
    QPrintDialog dialog(&printer(), dialogOwner());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, request.allowSelection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, request.allowPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, request.allowPrintToFile);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    giveFocusBack(dialog.parentWidget());
    return accepted ? PrintDialogResult::Accepted : PrintDialogResult::Cancelled;
}

void QtPrinterBackend::showPrintPreview(const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer(), dialogOwner());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* printer) { paint(*printer); });
    dialog.exec();
    giveFocusBack(dialog.parentWidget());
}

}  // namespace tessara
