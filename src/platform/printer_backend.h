// The platform's printer as one small interface: the printer the program prints on, and the
// print dialog that lets the user choose a printer and its settings for it. The program uses
// Qt's printer and dialog; tests a stand-in that answers what the test says.
#pragma once

#include <functional>

class QPrinter;

namespace tessara {

// What the program asks of the print dialog: which choices it offers the user.
struct PrintDialogRequest {
    bool allowSelection = true;    // print only a selection
    bool allowPageRange = true;    // print a range of pages
    bool allowPrintToFile = true;  // print into a file instead of on a printer

    friend bool operator==(const PrintDialogRequest&, const PrintDialogRequest&) = default;
};

enum class PrintDialogResult {
    Accepted,   // the printer is set up as the user chose
    Cancelled,  // the user closed the dialog without printing
    Failed,     // no dialog could be shown: no printer is installed, say
};

class PrinterBackend {
  public:
    virtual ~PrinterBackend() = default;
    // The printer the program prints on; the dialog's choices are made on it, and it keeps
    // them for the next print.
    virtual QPrinter& printer() = 0;
    // Shows the modal print dialog for printer().
    virtual PrintDialogResult showPrintDialog(const PrintDialogRequest& request) = 0;
    // Shows the modal print preview of printer(), every page painted by `paint` on the
    // printer it is given; printing from the preview prints what it shows.
    virtual void showPrintPreview(const std::function<void(QPrinter&)>& paint) = 0;
};

}  // namespace tessara
