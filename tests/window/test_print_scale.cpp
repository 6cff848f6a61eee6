#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/export_messages.h"
#include "window/scale_print_dialog.h"

using namespace tessara;
using namespace tessara::test;

namespace {

int pageCount(const QString& pdf) {
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished(60000);
    const QRegularExpressionMatch pages =
        QRegularExpression(R"(Pages:\s+(\d+))").match(info.readAllStandardOutput());
    return pages.hasMatch() ? pages.captured(1).toInt() : 0;
}

}  // namespace

// A map of 1600 x 1200 pixels, 100 units wide, hexes of 5 units: 80 pixels, so 16 mm hexes
// print 5 pixels to the millimetre and the map is 320 x 240 mm. On A4 with 5 mm margins a
// page shows 200 x 279 mm of it, stepping 190 x 269 mm with the 10 mm overlap.
class PrintAtScale : public FormTest {
  protected:
    PrintAtScale() {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), makeMap(1600, 1200), "BMP"));
        action("mnuLoad")->trigger();
        control<QLineEdit>("txtMapSize")->setText("100");
        control<QLineEdit>("txtHexF")->setText("5");
    }
    ScalePrintDialog* openDialog() {
        action("mnuPrintScale")->trigger();
        return form.findChild<ScalePrintDialog*>();
    }
    void press(ScalePrintDialog* dialog, const QString& text) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    ScratchDir dir;
};

TEST_F(PrintAtScale, CountsThePagesAndWritesThemToEveryOutput) {
    ScalePrintDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->summary(),
              "2 x 1 pages, A4 portrait, 16 mm hexes; the map prints 320 x 240 mm");
    dialog->findChild<QCheckBox*>()->setChecked(true);  // landscape: 287 x 192 mm a page
    EXPECT_EQ(dialog->summary(),
              "2 x 2 pages, A4 landscape, 16 mm hexes; the map prints 320 x 240 mm");

    platform.dialogs.answer(dir.path("map.pdf"));
    press(dialog, "Save as P&DF...");
    EXPECT_EQ(pageCount(dir.path("map.pdf")), 4);

    QPrinter& printer = platform.printers.printer();
    printer.setOutputFileName(dir.path("printed.pdf"));
    platform.printers.answer(PrintDialogResult::Accepted);
    press(dialog, "Pr&int...");
    ASSERT_EQ(platform.printers.requests().size(), 1U);
    EXPECT_TRUE(platform.printers.requests()[0].allowPrintToFile);
    EXPECT_EQ(pageCount(dir.path("printed.pdf")), 4);

    printer.setOutputFileName(dir.path("preview.pdf"));
    press(dialog, "Pre&view...");
    EXPECT_EQ(platform.printers.previews(), 1);
    EXPECT_EQ(pageCount(dir.path("preview.pdf")), 4);
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(PrintAtScale, WithoutHexSizesOnlyAResolutionCanBeAsked) {
    control<QLineEdit>("txtHexF")->setText("");
    ScalePrintDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->choice().byHex);
    // 300 dpi: 1600 x 1200 pixels are 135.5 x 101.6 mm, one A4 page.
    EXPECT_EQ(dialog->summary(), "1 page, A4 portrait, 300 dpi; the map prints 135 x 102 mm");
}

TEST_F(PrintAtScale, ExportsTheMapByItsExtensionWithTheScalesResolution) {
    const struct {
        const char* name;
        const char* format;
        std::optional<double> quality;
    } cases[] = {{"map.png", "png", {}}, {"map.jpg", "jpeg", 50}, {"map.tif", "tiff", {}}};
    for (const auto& c : cases) {
        platform.dialogs.answer(dir.path(c.name));
        if (c.quality) {
            platform.questions.answerNumber(c.quality);
        }
        action("mnuExportMap")->trigger();
        QImageReader reader(dir.path(c.name));
        EXPECT_EQ(reader.format(), c.format) << c.name;
        const QImage image = reader.read();
        EXPECT_EQ(image.size(), QSize(1600, 1200)) << c.name;
        // 16 mm hexes of 80 pixels: 5 pixels a millimetre, 5000 a metre.
        EXPECT_NEAR(image.dotsPerMeterX(), 5000, 1) << c.name;
    }
    platform.dialogs.answer(dir.path("map.xyz"));
    action("mnuExportMap")->trigger();
    EXPECT_EQ(platform.messages.shown().back(),
              unknownExportTypeMessage(dir.path("map.xyz"), ".png, .jpg, .tif or .bmp"));
    EXPECT_FALSE(QFile::exists(dir.path("map.xyz")));
}

TEST_F(PrintAtScale, ExportsTheGridAloneOrSaysThereIsNone) {
    for (const char* name : {"grid.png", "grid.svg"}) {
        platform.dialogs.answer(dir.path(name));
        action("mnuExportGrid")->trigger();
        EXPECT_TRUE(QFileInfo(dir.path(name)).size() > 0) << name;
    }
    const QImage grid(dir.path("grid.png"));
    EXPECT_EQ(grid.size(), QSize(1600, 1200));
    int clear = 0;
    for (int x = 0; x < grid.width(); ++x) {
        clear += qAlpha(grid.pixel(x, 600)) == 0 ? 1 : 0;
    }
    EXPECT_GT(clear, 1500);  // the lines cross a row of the map a few times only
    EXPECT_LT(clear, 1600);
    control<QLineEdit>("txtMapSize")->setText("");
    action("mnuExportGrid")->trigger();
    EXPECT_EQ(platform.messages.shown().back(), noGridToExportMessage());
}
