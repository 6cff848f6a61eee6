#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "about/dimensions_report.h"
#include "platform/qt_platform.h"
#include "support/form_fixture.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const QLocale kPointLocale(QLocale::English, QLocale::UnitedKingdom);
const QLocale kCommaLocale(QLocale::German, QLocale::Germany);

}  // namespace

TEST(DimensionsReport, ReadsTwoLinesUnderItsTitle) {
    struct Row {
        const char* guards;
        Single width, height;
        Integer columns, rows;
        const QLocale& locale;
        const char* expected;
    } const rows[] = {
        {"the worked example", 100, 80, 12, 11, kPointLocale,
         "100 by 80 distance units\n12 by 11 hexes"},
        {"a height stored as a Single", 37, 29.594004F, 16, 15, kPointLocale,
         "37 by 29.594 distance units\n16 by 15 hexes"},
        {"a decimal comma", 37, 29.594004F, 16, 15, kCommaLocale,
         "37 by 29,594 distance units\n16 by 15 hexes"},
        {"a width with a fraction", 12.5F, 10, 3, 2, kPointLocale,
         "12.5 by 10 distance units\n3 by 2 hexes"},
        {"more than seven digits", 100, toSingle(800.0 * 100.0 / 1200.0), 7, 5, kPointLocale,
         "100 by 66.66666 distance units\n7 by 5 hexes"},
        {"counts in full", 5000, 4000, 32767, 1000, kPointLocale,
         "5000 by 4000 distance units\n32767 by 1000 hexes"},
    };
    for (const auto& row : rows) {
        const Message m =
            dimensionsReport(row.width, row.height, row.columns, row.rows, row.locale);
        EXPECT_EQ(m.prompt, QString(row.expected)) << row.guards;
        EXPECT_EQ(m.title, QString("Map Dimensions")) << row.guards;
    }
}

using MapDimensionsCommand = FormTest;

TEST_F(MapDimensionsCommand, CannotBeChosenBeforeAGridOrAfterALoad) {
    action("mnuInformation")->trigger();
    EXPECT_TRUE(platform.messages.shown().empty()) << "greyed out at start";

    ScratchDir dir;
    platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(40, 30), "BMP"));
    action("mnuInformation")->setEnabled(true);  // as a grid generation leaves it
    action("mnuLoad")->trigger();
    EXPECT_FALSE(action("mnuInformation")->isEnabled());
    action("mnuInformation")->trigger();
    EXPECT_TRUE(platform.messages.shown().empty()) << "greyed out again after a load";
}

TEST_F(MapDimensionsCommand, ReportsTheValuesOfTheLastGrid) {
    ScratchDir dir;  // also the current directory, where the grid's bitmap goes
    platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(1000, 800), "BMP"));
    action("mnuLoad")->trigger();
    auto generate = [&](const char* hexSize) {
        control<QLineEdit>("txtMapSize")->setText("100");
        control<QLineEdit>("txtHexF")->setText(hexSize);
        control<QPushButton>("Command1")->click();
        action("mnuInformation")->trigger();
    };
    generate("10");
    generate("5");  // smaller hexes on the same map: h = 50 px, Int(800 / 43.301) + 2 rows
    ASSERT_EQ(platform.messages.shown().size(), 2U);
    EXPECT_EQ(platform.messages.shown()[0],
              (Message{"100 by 80 distance units\n12 by 11 hexes", "Map Dimensions"}));
    EXPECT_EQ(platform.messages.shown()[1],
              (Message{"100 by 80 distance units\n22 by 20 hexes", "Map Dimensions"}));
    EXPECT_EQ(form.state().hexColumns, 22) << "the report changes nothing";
}

// Qt's real message box, read while it is up and closed with its OK button.
TEST(DimensionsReportBox, ShowsTwoLinesAndOnlyAnOkButton) {
    const Message report = dimensionsReport(100, 80, 12, 11, kPointLocale);
    const Message oneLine{QStringLiteral("100 by 80 distance units"), report.title};
    struct Seen {
        QString title, text;
        int unwrappedHeight = 0;  // the text's height when no line needs wrapping
        int lineSpacing = 0;
        int buttons = 0;
        QMessageBox::Icon icon = QMessageBox::Information;
    };
    auto show = [](const Message& message) {
        Seen seen;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            poll.stop();
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            seen = {box->windowTitle(),
                    box->text(),
                    label != nullptr ? label->heightForWidth(4000) : 0,
                    label != nullptr ? label->fontMetrics().lineSpacing() : 0,
                    static_cast<int>(box->buttons().size()),
                    box->icon()};
            box->button(QMessageBox::Ok)->click();
        });
        poll.start();
        QTimer::singleShot(10000, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "the message box was still up; closing it";
                modal->close();
            }
        });
        QtMessageBoxes().MsgBox(message);
        return seen;
    };
    const Seen two = show(report);
    const Seen one = show(oneLine);
    EXPECT_EQ(two.title, QString("Map Dimensions"));
    EXPECT_EQ(two.text, report.prompt);
    EXPECT_EQ(two.buttons, 1);
    EXPECT_EQ(two.icon, QMessageBox::NoIcon);
    EXPECT_LT(one.unwrappedHeight, 2 * one.lineSpacing);
    EXPECT_GE(two.unwrappedHeight, 2 * two.lineSpacing) << "the second line shows on its own";
}
