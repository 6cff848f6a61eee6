#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <optional>

#include "platform/qt_printer.h"
#include "support/modal_script.h"

using namespace tessara;
using namespace tessara::test;

// The printer in the test machine's print system, which usually has none installed.
TEST(QtPrinter, WithNoPrinterInstalledThereIsNothingToChoose) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
        GTEST_SKIP() << "this machine has printers";
    }
    QtPrinterBackend backend;
    ModalScript script(2000);  // nothing to answer: a window shown would be closed and fail
    PrintDialogResult result = PrintDialogResult::Accepted;
    script.run([&] { result = backend.showPrintDialog({false, false, false}); });
    EXPECT_EQ(result, PrintDialogResult::Failed);
}

TEST(QtPrinter, ThePrinterIsMadeOnceAndKept) {
    QtPrinterBackend backend;
    QPrinter& first = backend.printer();
    first.setCopyCount(2);
    EXPECT_EQ(&backend.printer(), &first);
    EXPECT_EQ(backend.printer().copyCount(), 2) << "the dialog's choices are kept";
    EXPECT_EQ(first.resolution(), QPrinter(QPrinter::HighResolution).resolution());
}

// Qt's real print dialog, answered while it is up. Printing into a file is offered here, so
// that the dialog has something to print on even on a machine without printers.
class RealPrintDialog : public ::testing::Test {
  protected:
    template <typename Answer>
    PrintDialogResult runWhileUp(const PrintDialogRequest& request, Answer answer) {
        PrintDialogResult result = PrintDialogResult::Failed;
        ModalScript script;
        script.then<QPrintDialog>(answer).run([&] { result = backend.showPrintDialog(request); });
        return result;
    }
    QtPrinterBackend backend;
};

TEST_F(RealPrintDialog, OffersOnlyTheChoicesAskedFor) {
    struct Row {
        const char* guards;
        PrintDialogRequest request;
    } const rows[] = {
        {"the map's print: no selection, no page range", {false, false, true}},
        {"everything offered", {true, true, true}},
    };
    for (const auto& row : rows) {
        std::optional<bool> selectionShown;
        std::optional<bool> currentPageShown;
        bool pageRange = !row.request.allowPageRange;
        const auto result = runWhileUp(row.request, [&](QPrintDialog& d) {
            if (auto* button = d.findChild<QRadioButton*>("printSelection")) {
                selectionShown = !button->isHidden();
            }
            if (auto* button = d.findChild<QRadioButton*>("printCurrentPage")) {
                currentPageShown = !button->isHidden();
            }
            pageRange = d.testOption(QAbstractPrintDialog::PrintPageRange);
            static_cast<QDialog&>(d).reject();
        });
        EXPECT_EQ(result, PrintDialogResult::Cancelled) << row.guards;
        EXPECT_EQ(selectionShown, std::optional<bool>(row.request.allowSelection)) << row.guards;
        EXPECT_EQ(currentPageShown, std::optional<bool>(false)) << row.guards;
        EXPECT_EQ(pageRange, row.request.allowPageRange) << row.guards;
    }
}

TEST_F(RealPrintDialog, TheCopiesChosenAreThePrintersCount) {
    bool foundCopies = false;
    const auto result = runWhileUp({false, false, true}, [&](QPrintDialog& d) {
        if (auto* copies = d.findChild<QSpinBox*>("copies")) {
            foundCopies = true;
            copies->setValue(4);
        }
        static_cast<QDialog&>(d).accept();
    });
    EXPECT_EQ(result, PrintDialogResult::Accepted);
    ASSERT_TRUE(foundCopies) << "no copies box in Qt's dialog";
    EXPECT_EQ(backend.printer().copyCount(), 4);
}
