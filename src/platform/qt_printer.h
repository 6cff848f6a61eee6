// The real printer: Qt's default printer and Qt's own print dialog, shown over the active
// window.
#pragma once

#include <memory>

#include "platform/printer_backend.h"

namespace tessara {

class QtPrinterBackend : public PrinterBackend {
  public:
    QtPrinterBackend();
    ~QtPrinterBackend() override;

    // Made on first use, so that the program starts without asking the print system
    // anything.
    QPrinter& printer() override;
    PrintDialogResult showPrintDialog(const PrintDialogRequest& request) override;
    void showPrintPreview(const std::function<void(QPrinter&)>& paint) override;

  private:
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace tessara
