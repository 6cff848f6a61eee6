#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>

#include "grid/grid_generation.h"
#include "grid/grid_messages.h"
#include "grid/lattice_fit.h"
#include "support/form_fixture.h"
#include "support/qt_print.h"
#include "support/test_files.h"
#include "window/edit_history.h"
#include "window/export_messages.h"
#include "window/grid_options_dialog.h"
#include "window/measure_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QImage whiteMap(int width, int height) {
    QImage map(width, height, QImage::Format_RGB32);
    map.fill(Qt::white);
    return map;
}

}  // namespace

// A 400 x 300 white map, 100 units wide with hexes of 25 units: h = 100 pixels.
class GridMenu : public FormTest {
  protected:
    GridMenu() {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), whiteMap(400, 300), "BMP"));
        action("mnuLoad")->trigger();
        control<QLineEdit>("txtMapSize")->setText("100");
        control<QLineEdit>("txtHexF")->setText("25");
    }
    // The viewport as the user sees it, at normal size.
    QImage shown() { return image()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // True when a pixel next to (x, y) is black: where a one-pixel line falls on a
    // fractional coordinate is the painter's choice.
    bool blackNear(const QImage& view, double x, int y) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (view.pixel(static_cast<int>(x) + dx, y) == qRgb(0, 0, 0)) {
                return true;
            }
        }
        return false;
    }
    void click(double x, double y) {  // picture pixels, at normal size
        form.Imgdisplay_MouseDown(kLeftButton, 0, static_cast<Single>(x * kTwipsPerPixel),
                                  static_cast<Single>(y * kTwipsPerPixel));
    }
    const GridOptions& options() { return form.fitting().options(); }

    ScratchDir dir;
};

TEST_F(GridMenu, ThePreviewFollowsTheOptionsAndNeverTouchesThePicture) {
    EXPECT_FALSE(blackNear(shown(), 50, 30)) << "no preview before the options are open";
    action("mnuGridOptions")->trigger();
    auto* dialog = form.findChild<GridOptionsDialog*>("frmGridOptions");
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(control<QDoubleSpinBox>("txtHexPixels")->value(), 100) << "h = W x S / M";
    EXPECT_TRUE(blackNear(shown(), 50, 30)) << "the right flat of the first hex, at x = 50";
    control<QDoubleSpinBox>("txtOffsetX")->setValue(20.5);
    EXPECT_EQ(options().offsetX, 20.5);
    const QImage moved = shown();
    EXPECT_TRUE(blackNear(moved, 70.5, 30));
    EXPECT_FALSE(blackNear(moved, 50, 30));
    EXPECT_EQ(form.picMap().picture().image().pixel(70, 30), qRgb(255, 255, 255));
    dialog->reject();
    EXPECT_FALSE(blackNear(shown(), 70.5, 30)) << "closing the options ends the preview";
}

TEST_F(GridMenu, KeysNudgeTheGridWhileThePreviewIsShown) {
    using enum Qt::KeyboardModifier;
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        double offsetX, offsetY, hexPixels;
        const char* hexBox;
        double stretch = 1, rotation = 0;
    };
    // + is Shift with = on most keyboards, { and } Shift with [ and ]: Ctrl is the fine step.
    const Row rows[] = {
        {Qt::Key_Right, NoModifier, 1, 0, 100, "25"},
        {Qt::Key_Left, ShiftModifier, -0.1, 0, 100, "25"},
        {Qt::Key_Left, ControlModifier, -0.1, 0, 100, "25"},
        {Qt::Key_Down, NoModifier, 0, 1, 100, "25"},
        {Qt::Key_Up, ShiftModifier, 0, -0.1, 100, "25"},
        {Qt::Key_Equal, NoModifier, 0, 0, 100.1, "25.025"},
        {Qt::Key_Plus, ShiftModifier, 0, 0, 100.1, "25.025"},
        {Qt::Key_Underscore, ShiftModifier, 0, 0, 99.9, "24.975"},
        {Qt::Key_Minus, ControlModifier, 0, 0, 99.99, "24.9975"},
        {Qt::Key_BraceRight, ShiftModifier, 0, 0, 100, "25", 1.001},
        {Qt::Key_BraceLeft, ShiftModifier | ControlModifier, 0, 0, 100, "25", 0.9999},
        {Qt::Key_BracketRight, NoModifier, 0, 0, 100, "25", 1, 0.05},
        {Qt::Key_BracketLeft, ControlModifier, 0, 0, 100, "25", 1, -0.01},
    };
    action("mnuAlign")->trigger();
    for (const Row& row : rows) {
        form.fitting().setOptions({});
        control<QLineEdit>("txtHexF")->setText("25");
        QTest::keyClick(&form, row.key, row.modifiers);
        EXPECT_DOUBLE_EQ(options().offsetX, row.offsetX) << row.key;
        EXPECT_DOUBLE_EQ(options().offsetY, row.offsetY) << row.key;
        EXPECT_DOUBLE_EQ(form.fitting().layoutNow()->hexSize, row.hexPixels) << row.key;
        EXPECT_EQ(control<QLineEdit>("txtHexF")->text(), row.hexBox) << row.key;
        EXPECT_DOUBLE_EQ(options().stretch, row.stretch) << row.key;
        EXPECT_DOUBLE_EQ(options().rotation, row.rotation) << row.key;
    }
    action("mnuAlign")->trigger();
    QTest::keyClick(&form, Qt::Key_Right);
    EXPECT_EQ(options().offsetX, 0) << "without the preview the keys move nothing";
}

TEST_F(GridMenu, MeasuringHexesSetsTheSizeAndCentresAHexOnTheFirstPoint) {
    action("mnuMeasureHexes")->trigger();
    EXPECT_EQ(platform.messages.shown().back(), measureHexesMessage());
    platform.questions.answerNumber(3);
    platform.questions.answerConfirm(true);
    click(35.5, 40);
    click(335.5, 40);
    EXPECT_EQ(platform.questions.confirmsAsked().back(), measuredHexesMessage(100));
    EXPECT_EQ(platform.questions.confirmsAsked().back().prompt.left(37),
              "The hexes are 100.00 pixels from flat");
    EXPECT_EQ(options().hexPixels, 100.0);
    EXPECT_DOUBLE_EQ(options().offsetX, 35.5);
    EXPECT_NEAR(options().offsetY, 40 - 28.8675, 1e-9) << "the smallest offset that does it";
    EXPECT_EQ(control<QLineEdit>("txtHexF")->text(), "25");
    EXPECT_TRUE(action("mnuAlign")->isChecked()) << "the result is shown on the map";
}

TEST_F(GridMenu, AMeasurementCancelledOrEmptyChangesNothing) {
    struct Row {
        const char* guards;
        std::optional<double> count;
        std::optional<bool> confirm;
        QPointF second;
        bool escapeFirst;
    };
    const Row rows[] = {
        {"the count is cancelled", std::nullopt, std::nullopt, {300, 40}, false},
        {"the result is cancelled", 3.0, false, {300, 40}, false},
        {"both clicks on one point", 3.0, std::nullopt, {30, 40}, false},
        {"Esc after the first click", std::nullopt, std::nullopt, {300, 40}, true},
    };
    for (const Row& row : rows) {
        action("mnuMeasureHexes")->trigger();
        if (row.count || !row.escapeFirst) {
            platform.questions.answerNumber(row.count);
        }
        if (row.confirm) {
            platform.questions.answerConfirm(*row.confirm);
        }
        click(30, 40);
        if (row.escapeFirst) {
            QTest::keyClick(&form, Qt::Key_Escape);
        }
        click(row.second.x(), row.second.y());
        EXPECT_EQ(options(), GridOptions{}) << row.guards;
        EXPECT_EQ(control<QLineEdit>("txtHexF")->text(), "25") << row.guards;
    }
    EXPECT_EQ(platform.messages.shown().back(), measureHexesMessage());
    EXPECT_EQ(platform.messages.shown().end()[-2], measuredNothingMessage());
}

TEST_F(GridMenu, MeasuringTheScaleBarFillsInTheMapWidth) {
    action("mnuMeasureScale")->trigger();
    platform.questions.answerNumber(10);
    platform.questions.answerConfirm(true);
    click(50, 100);
    click(250, 100);
    EXPECT_EQ(platform.questions.numbersAsked().back().prompt, scaleBarLengthQuestion().prompt);
    EXPECT_EQ(platform.questions.confirmsAsked().back(), measuredScaleBarMessage("20"));
    EXPECT_EQ(control<QLineEdit>("txtMapSize")->text(), "20") << "400 px x 10 units / 200 px";
}

TEST_F(GridMenu, MeasuringWithNoMapSaysSo) {
    Form1 empty(platform.services());
    empty.findChild<QAction*>("mnuMeasureScale")->trigger();
    EXPECT_EQ(platform.messages.shown().back(), noMapToMeasureMessage());
}

TEST_F(GridMenu, GenerateDrawsTheGridThePreviewShows) {
    const GridOptions fitted{GridOrientation::Columns, 10.3, -4.2,
                             ShiftedLines::Second,     1.05, std::nullopt};
    form.fitting().setOptions(fitted);
    control<QPushButton>("Command1")->click();
    ASSERT_TRUE(platform.messages.shown().empty());
    PictureBox expected(0, 0);
    expected.setPicture(Picture(whiteMap(400, 300)));
    ASSERT_EQ(
        generateGrid(expected, {100, 25}, {1, Qt::black}, dir.path("expected.bmp"), fitted).failure,
        GridFailure::None);
    EXPECT_EQ(form.picMap().picture().image(), expected.picture().image());
    EXPECT_NE(form.picMap().picture().image(), [&] {
        PictureBox plain(0, 0);
        plain.setPicture(Picture(whiteMap(400, 300)));
        (void)generateGrid(plain, {100, 25}, {1, Qt::black}, dir.path("plain.bmp"));
        return plain.picture().image();
    }()) << "the options changed the grid";
}

TEST_F(GridMenu, NumbersChosenInTheOptionsAreDrawnAndTooSmallOnesAreReportedOnce) {
    action("mnuGridOptions")->trigger();
    control<QGroupBox>("grpNumbers")->setChecked(true);
    control<QComboBox>("cmbNumberFormat")->setCurrentIndex(2);  // A1
    EXPECT_TRUE(form.fitting().numbering().enabled);
    EXPECT_EQ(form.fitting().numbering().format, NumberFormat::Letters);
    control<QPushButton>("Command1")->click();
    EXPECT_TRUE(platform.messages.shown().empty());
    PictureBox plain(0, 0);
    plain.setPicture(Picture(whiteMap(400, 300)));
    ASSERT_EQ(drawGridOn(plain, {100, 25}, {1, Qt::black}).failure, GridFailure::None);
    EXPECT_NE(form.picMap().picture().image(), plain.Image().image()) << "the numbers are drawn";

    control<QLineEdit>("txtHexF")->setText("2.5");  // h = 10 pixels: 2-pixel numbers
    control<QPushButton>("Command1")->click();
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown().back(), numbersLeftOutMessage(30));
    EXPECT_TRUE(action("mnuInformation")->isEnabled()) << "the grid itself is drawn";
}

// A pattern pasted with a control character is refused with a message, and the field and
// the numbering are left as they were.
TEST_F(GridMenu, APatternWithAControlCharacterIsRefusedAndLeftAsItWas) {
    action("mnuGridOptions")->trigger();
    control<QGroupBox>("grpNumbers")->setChecked(true);
    control<QComboBox>("cmbNumberFormat")->setCurrentIndex(4);  // a pattern
    auto* pattern = control<QLineEdit>("txtNumberPattern");
    pattern->insert("{c}-{r}");
    EXPECT_EQ(form.fitting().numbering().pattern, "{c}-{r}");
    for (const char* pasted : {"\t{c}", "{r}\n", "\x7f"}) {
        pattern->insert(pasted);
        EXPECT_EQ(pattern->text(), "{c}-{r}") << pasted;
        EXPECT_EQ(form.fitting().numbering().pattern, "{c}-{r}") << pasted;
    }
    EXPECT_EQ(platform.messages.shown(), std::vector<Message>(3, patternRefusedMessage()));
}

// Enter in a field of Grid Options applies the field and keeps everything else: Reset is
// never the button Enter presses.
TEST_F(GridMenu, EnterInGridOptionsAppliesTheFieldAndKeepsTheRest) {
    GridOptions fitted{GridOrientation::Columns, 3, 4, ShiftedLines::Second, 0.99333, 90.125};
    fitted.rotation = 0.604;
    form.fitting().setOptions(fitted);
    action("mnuGridOptions")->trigger();
    auto* dialog = form.findChild<GridOptionsDialog*>("frmGridOptions");
    EXPECT_EQ(control<QDoubleSpinBox>("txtStretch")->value(), 0.99333) << "five decimals";
    auto* offsetX = control<QDoubleSpinBox>("txtOffsetX");
    offsetX->setFocus();
    QTest::keyClick(offsetX, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(offsetX, "12.5");
    QTest::keyClick(offsetX, Qt::Key_Return);
    fitted.offsetX = 12.5;
    EXPECT_EQ(options(), fitted) << "every other option kept to its last decimal";
    EXPECT_TRUE(dialog->isVisible());
    // The labels say columns, as the grid has them; Ctrl+Z in the dialog takes the change back.
    EXPECT_EQ(control<QDoubleSpinBox>("txtStretch")->accessibleName(),
              "Stretch across the columns");
    EXPECT_EQ(control<QComboBox>("cmbShifted")->accessibleName(), "Shifted columns");
    // Through the window system, as a user's keys come, so that shortcuts see them.
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    offsetX->setFocus();
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(options().offsetX, 3);
    control<QPushButton>("cmdReset")->click();
    EXPECT_EQ(options(), GridOptions{});
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(options().stretch, 0.99333) << "Reset is undone too";
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(options(), GridOptions{}) << "and done again";
}

TEST_F(GridMenu, ThePreviewTakesTheColourAtOnceAndAMeasureItStartedEndsWithTheOptions) {
    action("mnuAlign")->trigger();
    const auto colourAt = [&] { return shown().pixel(50, 30); };  // on the first right flat
    EXPECT_EQ(colourAt(), qRgb(0, 0, 0));
    control<QComboBox>("cmbColour")->setCurrentIndex(4);
    EXPECT_EQ(colourAt(), qRgb(128, 0, 0)) << "red at once, no key pressed";
    control<QComboBox>("cmbColour")->setCurrentIndex(7);  // the light grey "white"
    EXPECT_EQ(colourAt(), qRgb(192, 192, 192));
    EXPECT_LT(qRed(shown().pixel(51, 30)), 192) << "a dark outline beside a light line";
    action("mnuAlign")->trigger();  // off

    action("mnuGridOptions")->trigger();
    platform.questions.answerNumber(3);
    platform.questions.answerConfirm(true);
    action("mnuMeasureHexes")->trigger();
    click(35.5, 40);
    click(335.5, 40);
    EXPECT_TRUE(action("mnuAlign")->isChecked());
    form.findChild<GridOptionsDialog*>("frmGridOptions")->reject();
    EXPECT_FALSE(action("mnuAlign")->isChecked()) << "the preview the measure turned on ends";
    EXPECT_FALSE(form.fitting().previewShown());
}

TEST_F(GridMenu, ExportMapAsProposesANameBesideTheMapAndNeverItsOwnFile) {
    const QByteArray original = readBytes(dir.path("map.bmp"));
    platform.dialogs.answer(dir.path("map.bmp"));
    action("mnuExportMap")->trigger();
    EXPECT_EQ(platform.dialogs.requests().back().initialPath, dir.path("map-grid.png"));
    ASSERT_FALSE(platform.messages.shown().empty());
    EXPECT_EQ(platform.messages.shown().back(), wouldReplaceMapMessage(dir.path("map.bmp")));
    EXPECT_EQ(readBytes(dir.path("map.bmp")), original);
}

// Ctrl and the wheel zoom through the seven scales, the map's point under the pointer kept.
TEST_F(GridMenu, CtrlAndTheWheelZoomAboutThePointer) {
    platform.dialogs.answer(writeImage(dir.path("big.bmp"), whiteMap(3000, 2000), "BMP"));
    action("mnuLoad")->trigger();
    const QPointF mapPoint(1234, 567);  // under the pointer, in the map's pixels
    for (const int steps : {1, 1, 2, -3}) {
        const double scale = image()->Width() / form.picMap().Width();
        const QPointF inImage = mapPoint * kTwipsPerPixel * scale;
        const QPointF inView(image()->Left() + inImage.x(), image()->Top() + inImage.y());
        emit image()->zoomWheel(steps, toSingle(inImage.x()), toSingle(inImage.y()));
        const double newScale = image()->Width() / form.picMap().Width();
        EXPECT_NE(newScale, scale) << steps;
        const QPointF after(image()->Left() + mapPoint.x() * kTwipsPerPixel * newScale,
                            image()->Top() + mapPoint.y() * kTwipsPerPixel * newScale);
        EXPECT_NEAR(after.x(), inView.x(), 15) << "within a pixel across, " << steps;
        EXPECT_NEAR(after.y(), inView.y(), 15) << "within a pixel down, " << steps;
    }
}

// Three clicked centres of a turned, leaning, stretched grid give it back; the steps are
// guessed from the grid as it is, and three points on one line are refused.
TEST_F(GridMenu, MeasuringByThreePointsFitsATurnedGrid) {
    GridOptions known{GridOrientation::Rows, 10, 5, ShiftedLines::Second, 1.02, 60};
    known.rotation = 2;
    known.skew = 0.5;
    const LatticeOnPicture lattice = latticeOf(known, 60, QSizeF(400, 300));
    const auto at = [&](double along, double across) {
        return lattice.centre + along * lattice.along + across * lattice.across;
    };
    GridOptions near = known;
    near.rotation = 1.8;  // the grid before: a little off, near enough to guess the steps
    near.lineStyle = LineStyle::Dotted;
    near.opacity = 40;
    form.fitting().setOptions(near);
    platform.questions.answerNumbers(std::vector<double>{4, 0, 1.5, 3});
    platform.questions.answerConfirm(true);
    action("mnuMeasureThree")->trigger();
    EXPECT_EQ(platform.messages.shown().back(), measureByThreeMessage());
    for (const QPointF point : {at(1.5, 1), at(5.5, 1), at(3, 4)}) {
        click(point.x(), point.y());
    }
    const NumbersQuestion asked = platform.questions.manyNumbersAsked().back();
    std::vector<double> guess;
    for (const NumberQuestion& field : asked.fields) {
        guess.push_back(field.value);
    }
    EXPECT_EQ(guess, (std::vector<double>{4, 0, 1.5, 3}));
    EXPECT_NEAR(*options().hexPixels, 60, 1e-3);
    EXPECT_NEAR(options().stretch, 1.02, 1e-5);
    EXPECT_NEAR(options().rotation, 2, 1e-3);
    EXPECT_NEAR(options().skew, 0.5, 1e-3);
    EXPECT_EQ(options().lineStyle, LineStyle::Dotted) << "the lines look as they did";
    EXPECT_EQ(options().opacity, 40);
    const GridLayout fitted = *form.fitting().layoutNow();
    const QPointF centre = hexCentre(fitted, hexAt(fitted, at(3, 2)));
    EXPECT_LT(QLineF(centre, at(3, 2)).length(), 1e-3) << "a hex centre where the grid has one";

    const GridOptions before = options();
    platform.questions.answerNumbers(std::vector<double>{1, 0, 2, 0});
    action("mnuMeasureThree")->trigger();
    for (const QPointF point : {QPointF(10, 10), QPointF(70, 10), QPointF(130, 10)}) {
        click(point.x(), point.y());
    }
    EXPECT_EQ(platform.messages.shown().back(), notATriangleMessage());
    EXPECT_EQ(options(), before);
}

// A colour of one's own comes from the colour question, asked once: a cancelled question
// leaves the list's colour. Each field is a step of Undo.
TEST_F(GridMenu, TheLinesColourStyleAndOpacityAreChosenInGridOptions) {
    action("mnuGridOptions")->trigger();
    auto* colour = control<QComboBox>("cmbLineColour");
    auto* choose = control<QPushButton>("cmdLineColour");
    auto* style = control<QComboBox>("cmbLineStyle");
    auto* opacity = control<QSpinBox>("txtOpacity");
    const std::pair<QWidget*, const char*> fields[] = {{colour, "Line colour"},
                                                       {choose, "Choose the line colour"},
                                                       {style, "Line style"},
                                                       {opacity, "Opacity"}};
    for (const auto& [field, name] : fields) {
        EXPECT_EQ(field->accessibleName(), name);
        EXPECT_TRUE(field->focusPolicy() & Qt::TabFocus) << name << " is reached with Tab";
    }

    platform.questions.answerColour(std::nullopt);
    colour->setCurrentIndex(1);
    EXPECT_EQ(colour->currentIndex(), 0) << "cancelled: the list's colour again";
    EXPECT_EQ(options().lineColour, std::nullopt);
    platform.questions.answerColour(QColor(90, 60, 30));
    choose->click();
    EXPECT_EQ(options().lineColour, QColor(90, 60, 30));
    EXPECT_EQ(colour->currentIndex(), 1);
    EXPECT_EQ(colour->itemText(1), "my own, #5a3c1e");
    EXPECT_FALSE(colour->itemIcon(1).isNull()) << "a swatch";
    colour->setCurrentIndex(0);
    colour->setCurrentIndex(1);
    EXPECT_EQ(platform.questions.coloursAsked().size(), 2U) << "the colour chosen is kept";
    EXPECT_EQ(platform.questions.coloursAsked().back().colour, QColor(Qt::black));

    style->setCurrentIndex(1);
    opacity->setValue(50);
    const GridOptions chosen{
        .opacity = 50, .lineColour = QColor(90, 60, 30), .lineStyle = LineStyle::Dashed};
    EXPECT_EQ(options(), chosen);
    EXPECT_EQ(form.findChild<EditHistory*>()->undoText(), "Opacity");
}

TEST_F(GridMenu, ThePreviewShowsTheLinesFadedOrNotAtAll) {
    action("mnuAlign")->trigger();
    const auto colourAt = [&] { return shown().pixel(50, 30); };  // on the first right flat
    EXPECT_EQ(colourAt(), qRgb(0, 0, 0));
    form.fitting().setOptions({.opacity = 50});
    EXPECT_NEAR(qRed(colourAt()), 128, 2) << "black at half over white";
    form.fitting().setOptions({.lineStyle = LineStyle::None});
    EXPECT_EQ(colourAt(), qRgb(255, 255, 255));
}
