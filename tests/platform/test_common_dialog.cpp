#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include "platform/common_dialog.h"
#include "platform/qt_platform.h"
#include "support/modal_script.h"
#include "support/scripted_services.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

TEST(QtPattern, MatchesEveryFileAndExtensionsOfAnyCase) {
    struct Row {
        const char* pattern;
        const char* expected;
    } const rows[] = {
        {"*.*", "*"},
        {"*.bmp", "*.[bB][mM][pP]"},
        {"*.jpg", "*.[jJ][pP][gG]"},
        {"*.jpg;*.jpeg", "*.[jJ][pP][gG] *.[jJ][pP][eE][gG]"},
        {"map?.b1", "[mM][aA][pP]?.[bB]1"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(qtPattern(row.pattern), QString(row.expected)) << row.pattern;
    }
}

TEST(CommonDialog, TurnsItsSettingsIntoTheDialogsRequest) {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialog.Filter = "All Files (*.*)|*.*|Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg";
    dialog.FilterIndex = 2;
    dialog.Flags = 6148;
    dialog.FileName = "/maps/old.jpg";
    const FileDialogRequest r = dialog.fileRequest(FileDialogRequest::Kind::Open);
    EXPECT_EQ(r.nameFilters, (QStringList{"All Files (*.*)", "Bitmaps (*.bmp)", "JPEG (*.jpg)"}));
    EXPECT_EQ(r.patterns, (QStringList{"*", "*.[bB][mM][pP]", "*.[jJ][pP][gG]"}));
    EXPECT_EQ(r.selectedFilter, 1) << "FilterIndex counts from 1";
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_TRUE(r.folderMustExist);
    EXPECT_FALSE(r.confirmOverwrite);
    EXPECT_EQ(r.initialPath, QString("/maps/old.jpg"));
}

TEST(CommonDialog, SaveSettingsAskBeforeReplacingAndAddTheExtension) {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialog.Filter = "Bitmap (*.bmp)|*.bmp";
    dialog.Flags = 0x806;
    dialog.DefaultExt = ".bmp";
    const FileDialogRequest r = dialog.fileRequest(FileDialogRequest::Kind::Save);
    EXPECT_EQ(r.nameFilters, QStringList{"Bitmap (*.bmp)"});
    EXPECT_EQ(r.selectedFilter, 0) << "an unset FilterIndex selects the first filter";
    EXPECT_EQ(r.defaultSuffix, QString("bmp"));
    EXPECT_TRUE(r.confirmOverwrite);
    EXPECT_TRUE(r.folderMustExist);
    EXPECT_FALSE(r.fileMustExist);
}

TEST(CommonDialog, CancelIsReportedAndTheFileNameKept) {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialog.CancelError = true;
    dialogs.answer("/maps/first.bmp");
    ASSERT_TRUE(dialog.ShowOpen());
    EXPECT_EQ(dialog.FileName, QString("/maps/first.bmp"));
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(dialog.ShowSave());
    EXPECT_EQ(dialog.FileName, QString("/maps/first.bmp"));
    EXPECT_EQ(dialogs.requests().back().initialPath, QString("/maps/first.bmp"))
        << "the last chosen name is shown pre-filled";
}

TEST(CommonDialog, WithoutCancelErrorACancelReturnsAnEmptyName) {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialog.FileName = "/maps/first.bmp";
    dialogs.answer(std::nullopt);
    EXPECT_TRUE(dialog.ShowOpen());
    EXPECT_TRUE(dialog.FileName.isEmpty());
}

TEST(CommonDialog, PrinterFlagsTakeAwayTheDialogsChoices) {
    struct Row {
        const char* guards;
        int flags;
        PrintDialogRequest expected;
    } const rows[] = {
        {"no flags offer everything", 0, {true, true, true}},
        {"no selection", 0x4, {false, true, true}},
        {"no page range", 0x8, {true, false, true}},
        {"print to file hidden", 0x100000, {true, true, false}},
        {"print to file disabled", 0x80000, {true, true, false}},
        {"the map's print: none of the three", 0x10000C, {false, false, false}},
    };
    ScriptedPrinter printers;
    ScriptedDialogs files;
    CommonDialog dialog(files, &printers);
    for (const auto& row : rows) {
        dialog.Flags = row.flags;
        EXPECT_EQ(dialog.printRequest(), row.expected) << row.guards;
    }
    dialog.Flags = 0x10000C;
    printers.answer(PrintDialogResult::Cancelled);
    dialog.CancelError = true;
    EXPECT_FALSE(dialog.ShowPrinter());
    ASSERT_EQ(printers.requests().size(), 1U);
    EXPECT_EQ(printers.requests()[0], (PrintDialogRequest{false, false, false}));
}

TEST(CommonDialog, ShowPrinterReadsTheCopiesBackAndReportsCancelAndFailure) {
    struct Row {
        const char* guards;
        bool cancelError;
        PrintDialogResult result;
        int copiesChosen;
        bool expectedShown;
        Integer expectedCopies;
    } const rows[] = {
        {"accepted with one copy", true, PrintDialogResult::Accepted, 1, true, 1},
        {"accepted with three copies", true, PrintDialogResult::Accepted, 3, true, 3},
        {"more copies than an Integer holds", true, PrintDialogResult::Accepted, 40000, true,
         32767},
        {"cancel with CancelError is reported", true, PrintDialogResult::Cancelled, 0, false, 7},
        {"cancel without CancelError goes on", false, PrintDialogResult::Cancelled, 0, true, 7},
        {"no printer fails whatever CancelError", false, PrintDialogResult::Failed, 0, false, 7},
    };
    for (const auto& row : rows) {
        ScriptedPrinter printers;
        ScriptedDialogs files;
        CommonDialog dialog(files, &printers);
        dialog.Copies = 7;
        dialog.CancelError = row.cancelError;
        printers.answer(row.result, row.copiesChosen);
        EXPECT_EQ(dialog.ShowPrinter(), row.expectedShown) << row.guards;
        EXPECT_EQ(dialog.Copies, row.expectedCopies) << row.guards;
    }
}

TEST(CommonDialog, WithoutAPrinterThePrintDialogFails) {
    ScriptedDialogs files;
    CommonDialog dialog(files);
    EXPECT_FALSE(dialog.ShowPrinter());
}

// Qt's real dialog, answered while it is up.
class RealFileDialog : public ::testing::Test {
  protected:
    template <typename Inspect>
    std::optional<QString> runWhileUp(const FileDialogRequest& request, Inspect inspect) {
        std::optional<QString> chosen;
        ModalScript script;
        script.then<QFileDialog>(inspect).run(
            [&] { chosen = QtDialogBackend().getFileName(request); });
        return chosen;
    }
};

TEST_F(RealFileDialog, ShowsTheProgramsFiltersAndMatchesEveryCase) {
    ScratchDir dir;
    writeBytes(dir.path("UPPER.BMP"), "x");
    writeBytes(dir.path("lower.bmp"), "x");
    writeBytes(dir.path("photo.jpg"), "x");
    ScriptedDialogs unused;
    CommonDialog settings(unused);
    settings.Filter = "All Files (*.*)|*.*|Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg";
    settings.FilterIndex = 2;
    settings.Flags = 6148;
    settings.FileName = dir.path("lower.bmp");
    QStringList shownFilters;
    QString selected;
    QString prefilled;
    QStringList visible;
    const auto chosen =
        runWhileUp(settings.fileRequest(FileDialogRequest::Kind::Open), [&](QFileDialog& d) {
            shownFilters = d.nameFilters();
            selected = d.selectedNameFilter();
            if (auto* edit = d.findChild<QLineEdit*>("fileNameEdit")) {
                prefilled = edit->text();
            }
            visible = QDir(dir.root())
                          .entryList(d.nameFilters().at(1).section('(', -1).chopped(1).split(' '),
                                     QDir::Files, QDir::Name);
            static_cast<QDialog&>(d).accept();
        });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.path("lower.bmp"));
    EXPECT_EQ(shownFilters.size(), 3);
    EXPECT_TRUE(selected.startsWith("Bitmaps (*.bmp)")) << selected.toStdString();
    EXPECT_EQ(prefilled, QString("lower.bmp"));
    EXPECT_EQ(visible, (QStringList{"UPPER.BMP", "lower.bmp"}));
}

TEST_F(RealFileDialog, CancelGivesNothing) {
    FileDialogRequest request;
    request.nameFilters = {"Bitmap (*.bmp)"};
    request.patterns = {"*.[bB][mM][pP]"};
    const auto chosen =
        runWhileUp(request, [](QFileDialog& d) { static_cast<QDialog&>(d).reject(); });
    EXPECT_FALSE(chosen.has_value());
}

TEST_F(RealFileDialog, SaveAppendsTheDefaultExtension) {
    ScratchDir dir;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.nameFilters = {"Bitmap (*.bmp)"};
    request.patterns = {"*.[bB][mM][pP]"};
    request.defaultSuffix = "bmp";
    request.confirmOverwrite = true;
    request.initialPath = dir.path("gridded");
    const auto chosen =
        runWhileUp(request, [](QFileDialog& d) { static_cast<QDialog&>(d).accept(); });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.path("gridded.bmp"));
}

TEST(CommonDialog, ShowHelpStartsTheViewerWithTheFileAndCommandSet) {
    ScriptedDialogs dialogs;
    ScriptedHelp help;
    CommonDialog dialog(dialogs, nullptr, &help);
    dialog.HelpFile = "tessara.hlp";
    dialog.HelpCommand = 3;
    dialog.ShowHelp();
    dialog.HelpFile = "other.hlp";
    dialog.ShowHelp();
    const std::vector<ScriptedHelp::Request> expected = {{"tessara.hlp", 3}, {"other.hlp", 3}};
    EXPECT_EQ(help.requests(), expected);
    CommonDialog withoutHelp(dialogs);
    EXPECT_THROW(withoutHelp.ShowHelp(), std::logic_error);
}

// The box of several numbers opens with the first number chosen, so that it is typed over
// as a number reached by Tab is, rather than typed into.
TEST(QtQuestions, TheBoxOfNumbersTakesTheFirstAsTypedOverIt) {
    QtQuestions questions;
    const NumberQuestion field{{}, QStringLiteral("Hexes"), 10, 1, 1000, 2};
    std::optional<std::vector<double>> typed;
    ModalScript script;
    script.then<QDialog>([](QDialog& box) {
        QTest::keyClicks(box.focusWidget(), QStringLiteral("36"));
        QTest::keyClick(box.focusWidget(), Qt::Key_Return);
    });
    script.run([&] { typed = questions.askNumbers({QStringLiteral("Box"), {}, {field, field}}); });
    EXPECT_EQ(typed, (std::vector<double>{36, 10}));
}
