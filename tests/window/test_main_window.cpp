#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/qt_platform.h"
#include "support/form_fixture.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QStringList captionsOf(QMenu* menu) {
    QStringList captions;
    for (QAction* a : menu->actions()) {
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return captions;
}

}  // namespace

using MainWindow = FormTest;

TEST_F(MainWindow, HasItsCaptionWithTwoBlanksAfterTheHyphen) {
    EXPECT_EQ(form.windowTitle(), QString("Tessara -  a wargame mapping utility"));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
}

TEST_F(MainWindow, EveryControlHasItsNameAndCaption) {
    struct Row {
        const char* name;
        const char* caption;
    } const rows[] = {
        {"Frame1", "Map Details"},
        {"Label1", "Horizontal dimension (e.g. in miles or km) "},
        {"Frame2", "Hex Details"},
        {"Label2", "Distance between Hex flats (in miles or km)"},
        {"Label3", "Hex colour"},
        {"Label4", "Line thickness (pixels)"},
        {"Command1", "Generate Hex Grid"},
    };
    for (const auto& row : rows) {
        QWidget* w = control(row.name);
        ASSERT_NE(w, nullptr) << row.name;
        QString text;
        if (auto* box = qobject_cast<QGroupBox*>(w)) {
            text = box->title();
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            text = button->text();
        }
        EXPECT_EQ(text, QString(row.caption)) << row.name;
    }
    for (const char* name : {"Picture1", "Imgdisplay", "HScroll1", "VScroll2", "txtMapSize",
                             "txtHexF", "cmbColour", "cmbThick"}) {
        EXPECT_NE(control(name), nullptr) << name;
    }
    EXPECT_EQ(control("Imgdisplay")->parentWidget()->parentWidget(), control("Picture1"));
    EXPECT_EQ(control("txtMapSize")->parentWidget(), control("Frame1"));
    EXPECT_EQ(control("cmbThick")->parentWidget(), control("Frame2"));
}

TEST_F(MainWindow, InputsHaveNamesAScreenReaderCanSpeak) {
    for (const char* name :
         {"txtMapSize", "txtHexF", "cmbColour", "cmbThick", "HScroll1", "VScroll2", "Picture1"}) {
        EXPECT_FALSE(control(name)->accessibleName().isEmpty()) << name;
    }
    EXPECT_EQ(control<QLabel>("Label1")->buddy(), control("txtMapSize"));
    EXPECT_EQ(control<QLabel>("Label4")->buddy(), control("cmbThick"));
}

TEST_F(MainWindow, StartsWithItsDefaults) {
    EXPECT_FALSE(action("mnuInformation")->isEnabled());
    EXPECT_TRUE(action("mnuMedium")->isChecked());
    EXPECT_FALSE(action("mnuSlow")->isChecked());
    EXPECT_FALSE(action("mnuFast")->isChecked());
    auto* colour = control<QComboBox>("cmbColour");
    auto* thick = control<QComboBox>("cmbThick");
    EXPECT_EQ(colour->currentText(), QString("black"));
    EXPECT_EQ(thick->currentText(), QString("1"));
    QStringList colours;
    for (int i = 0; i < colour->count(); ++i) {
        colours << colour->itemText(i);
    }
    EXPECT_EQ(colours,
              (QStringList{"black", "blue", "green", "cyan", "red", "magenta", "yellow", "white"}));
    QStringList widths;
    for (int i = 0; i < thick->count(); ++i) {
        widths << thick->itemText(i);
        EXPECT_EQ(QString::number(form.state().lineWidths.at(static_cast<size_t>(i))),
                  thick->itemText(i))
            << "the list shows the width the table holds";
    }
    EXPECT_EQ(widths, (QStringList{"1", "2", "3", "5", "10", "15", "20"}));
    EXPECT_FALSE(colour->isEditable()) << "a drop-down list: the user picks, cannot type";
    EXPECT_TRUE(control<QLineEdit>("txtMapSize")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("txtHexF")->text().isEmpty());
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(vbar()->value(), 0);
    EXPECT_EQ(hbar()->minimum(), 0);
    EXPECT_EQ(hbar()->maximum(), 100);
    EXPECT_EQ(vbar()->maximum(), 100);
    EXPECT_EQ(form.state().scrollSpeed, 0.005F);
    EXPECT_FALSE(form.state().dragging);
    EXPECT_EQ(form.state().mapWidth, 0.0F);
    EXPECT_EQ(form.state().hexRows, 0);
    EXPECT_TRUE(image()->picture().isNull());
}

TEST_F(MainWindow, LoadingTheFormAgainListsEachChoiceOnce) {
    auto* colour = control<QComboBox>("cmbColour");
    auto* thick = control<QComboBox>("cmbThick");
    colour->setCurrentIndex(4);
    form.Form_Load();
    EXPECT_EQ(colour->count(), 8);
    EXPECT_EQ(thick->count(), 7);
    EXPECT_EQ(colour->currentText(), QString("black"));
}

TEST_F(MainWindow, MenusHoldTheirItemsInOrder) {
    QStringList top;
    for (QAction* a : form.menuBar()->actions()) {
        top << a->text();
    }
    EXPECT_EQ(top, (QStringList{"&File", "&Edit", "&Zoom", "Scroll Speed", "&Grid",
                                "Map &Dimensions", "&Help"}));
    EXPECT_EQ(captionsOf(control<QMenu>("mnuEdit")), (QStringList{"&Undo", "&Redo"}))
        << "named after nothing while there is nothing to undo";
    EXPECT_EQ(action("mnuInformation")->menu(), nullptr) << "a command on the bar itself";
    EXPECT_EQ(captionsOf(control<QMenu>("mnuFile")),
              (QStringList{"Load Map Picture", "Save Map", "Print Map", "Print at &Scale...",
                           "E&xport Map As...", "Export &Grid Only...", "Export &For",
                           "&Open Photo of a Board...", "&Join Scanned Sections...",
                           "Export Hex &Data...", "-", "Exit"}));
    EXPECT_EQ(captionsOf(control<QMenu>("mnuZoom")),
              (QStringList{"&Normal", "-", "1:5", "1:3", "1:2", "-", "2:1", "3:1", "5:1"}));
    EXPECT_EQ(captionsOf(control<QMenu>("mnuScroll")), (QStringList{"Slow", "Medium", "Fast"}));
    EXPECT_EQ(captionsOf(control<QMenu>("mnuHelp")),
              (QStringList{"&Contents", "Open &Sample Map", "-", "About"}))
        << "About is the last item of Help, reached by Up from the first";
    // Undo and Redo alone have shortcut keys, the ones of every desktop.
    const QList<QKeySequence> none;
    for (QAction* a : form.findChildren<QAction*>()) {
        const QString name = a->objectName();
        const QList<QKeySequence> keys =
            name == "mnuUndo" ? QList<QKeySequence>{QKeySequence("Ctrl+Z")}
            : name == "mnuRedo"
                ? QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}
                : none;
        EXPECT_EQ(a->shortcuts(), keys) << a->text().toStdString();
        EXPECT_FALSE(!keys.isEmpty() && a->isEnabled()) << "greyed with nothing to undo";
    }
    for (QAction* a : control<QMenu>("mnuZoom")->actions()) {
        EXPECT_FALSE(a->isCheckable()) << "no zoom item ever shows a check mark";
    }
}

TEST_F(MainWindow, TabOrderRunsFromTheHorizontalBarToTheVerticalOne) {
    showAndActivate();
    EXPECT_EQ(QApplication::focusWidget(), hbar()) << "the first control to get the focus";
    QStringList visited;
    QWidget* w = hbar();
    for (int i = 0; i < 8; ++i) {
        visited << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&form) ||
               w->objectName().isEmpty() || w->objectName().startsWith("qt_")) {
            w = w->nextInFocusChain();
        }
    }
    EXPECT_EQ(visited, (QStringList{"HScroll1", "txtMapSize", "txtHexF", "cmbColour", "cmbThick",
                                    "Command1", "Picture1", "VScroll2"}));
}

TEST_F(MainWindow, TabKeyMovesTheFocusAlongTheOrder) {
    showAndActivate();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("txtMapSize"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("txtHexF"));
}

TEST_F(MainWindow, IsLaidOutForItsSizeAndNeverSmallerThanTheMinimum) {
    showAndActivate();
    resizeOuter(8400, 5280);
    EXPECT_TRUE(eventually([&] { return outerWidth(form) == 8400.0F; })) << outerWidth(form);
    EXPECT_TRUE(eventually([&] { return outerHeight(form) == 5280.0F; })) << outerHeight(form);
    EXPECT_EQ(form.placeOf("Frame1"), (TwipsRect{292.5F, 2480, 3615, 975}));
    EXPECT_EQ(form.placeOf("Frame2"), (TwipsRect{4732.5F, 2480, 3375, 1935}));
    EXPECT_EQ(form.placeOf("Command1"), (TwipsRect{1852.5F, 3680, 1815, 615}));
    EXPECT_EQ(form.placeOf("Picture1"), (TwipsRect{200, 200, 7745, 1980}));
    EXPECT_EQ(form.placeOf("VScroll2"), (TwipsRect{7945, 200, 255, 2235}));
    EXPECT_EQ(form.placeOf("HScroll1"), (TwipsRect{200, 2180, 7745, 255}));
    const QRect view = control("Picture1")->geometry();
    EXPECT_EQ(view.right() + 1, vbar()->geometry().left()) << "the bar is flush with the viewport";
    EXPECT_EQ(view.bottom() + 1, hbar()->geometry().top());

    resizeOuter(6000, 4000);
    EXPECT_TRUE(eventually([&] { return outerHeight(form) == 5280.0F; })) << outerHeight(form);
    EXPECT_TRUE(eventually([&] { return outerWidth(form) == 8400.0F; })) << outerWidth(form);
    EXPECT_EQ(form.placeOf("Frame1").Left, 292.5F);
}

TEST_F(MainWindow, MinimisingKeepsEveryControlWhereItWas) {
    showAndActivate();
    resizeOuter(10500, 7500);
    EXPECT_TRUE(eventually([&] { return outerWidth(form) == 10500.0F; })) << outerWidth(form);
    const TwipsRect before = form.placeOf("Picture1");
    form.showMinimized();
    QApplication::processEvents();
    form.Form_Resize();
    EXPECT_EQ(form.placeOf("Picture1"), before);
    form.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(form.placeOf("Picture1"), before);
}

TEST_F(MainWindow, ResizeKeepsTheScrolledImageAgainstTheFarEdges) {
    showAndActivate();
    form.picMap().setPicture(Picture(QImage(2000, 1500, QImage::Format_RGB32)));
    form.mnuNormal_Click();
    hbar()->setValue(100);
    vbar()->setValue(100);
    resizeOuter(12000, 9000);
    EXPECT_TRUE(eventually([&] { return outerWidth(form) == 12000.0F; })) << outerWidth(form);
    const TwipsRect view = form.placeOf("Picture1");
    const TwipsRect img = form.placeOf("Imgdisplay");
    EXPECT_EQ(img.Left + img.Width, view.Width) << "the right edge at x = Picture1.Width";
    EXPECT_EQ(img.Top + img.Height, view.Height) << "the bottom edge at y = Picture1.Height";
}

TEST_F(MainWindow, ExitClosesTheWindow) {
    showAndActivate();
    action("mnuExit")->trigger();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainWindow, ZoomSharesTheFullPictureAndScalesItsSize) {
    const Picture map(QImage(1000, 600, QImage::Format_RGB32));
    form.picMap().setPicture(map);
    struct Row {
        const char* item;
        Single width;
        Single height;
    } const rows[] = {
        {"mnu1to5", 3000, 1800},    {"mnu1to3", 5000, 3000},   {"mnu1to2", 7500, 4500},
        {"mnuNormal", 15000, 9000}, {"mnu2to1", 30000, 18000}, {"mnu3to1", 45000, 27000},
        {"mnu5to1", 75000, 45000},
    };
    for (const auto& row : rows) {
        hbar()->setValue(37);
        vbar()->setValue(100);
        action(row.item)->trigger();
        EXPECT_EQ(image()->Width(), row.width) << row.item;
        EXPECT_EQ(image()->Height(), row.height) << row.item;
        EXPECT_TRUE(image()->picture().sharesPixelsWith(map)) << row.item << ": no copy";
        EXPECT_EQ(hbar()->value(), 0) << row.item;
        EXPECT_EQ(vbar()->value(), 0) << row.item;
        EXPECT_EQ(image()->Left(), 0.0F) << row.item << ": back at the top-left corner";
        EXPECT_EQ(image()->Top(), 0.0F) << row.item;
        EXPECT_FALSE(action(row.item)->isChecked());
    }
}

TEST_F(MainWindow, ZoomNeverAccumulates) {
    form.picMap().setPicture(Picture(QImage(300, 200, QImage::Format_RGB32)));
    form.mnu5to1_Click();
    form.mnu1to5_Click();
    EXPECT_EQ(image()->Width(), 900.0F) << "1/5 of the map, not of the size before";
    form.mnu1to2_Click();
    form.mnu1to2_Click();
    EXPECT_EQ(image()->Width(), 2250.0F);
}

TEST_F(MainWindow, ZoomBeforeAnyMapSizesAnEmptyImageFromTheHiddenPictureBox) {
    form.mnu2to1_Click();
    EXPECT_EQ(image()->Width(), 3870.0F);
    EXPECT_EQ(image()->Height(), 2430.0F);
    EXPECT_TRUE(image()->picture().isNull());
}

TEST_F(MainWindow, TheViewportPaintsTheMapAtTheZoomedSize) {
    showAndActivate();
    QImage map(200, 100, QImage::Format_RGB32);
    map.fill(qRgb(200, 10, 10));
    for (int y = 0; y < 100; ++y) {
        for (int x = 100; x < 200; ++x) {
            map.setPixel(x, y, qRgb(10, 10, 200));
        }
    }
    form.picMap().setPicture(Picture(map));
    form.mnu2to1_Click();
    const QImage shot = control("Picture1")->grab().toImage();
    const QPoint inner = control("Picture1")->findChild<QWidget*>("Picture1Inner")->pos();
    EXPECT_EQ(shot.pixel(inner + QPoint(150, 50)), qRgb(200, 10, 10)) << "left half, doubled";
    EXPECT_EQ(shot.pixel(inner + QPoint(250, 50)), qRgb(10, 10, 200)) << "right half, doubled";
}

TEST_F(MainWindow, EnterSpaceAndKeypadEnterPressTheFocusedButton) {
    showAndActivate();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        const size_t shown = platform.messages.shown().size();
        control("Command1")->setFocus();
        QTest::keyClick(control("Command1"), key);
        ASSERT_EQ(platform.messages.shown().size(), shown + 1) << "key " << key;
        EXPECT_EQ(platform.messages.shown().back().title, QString("Invalid map size"));
    }
}

// Just after a dialog closes no window may be active yet; a message shown then still
// belongs to the main window, and the keyboard goes back to it when the message closes.
TEST_F(MainWindow, AMessageWithNoActiveWindowBelongsToTheMainWindow) {
    showAndActivate();
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    EXPECT_EQ(dialogOwner(), &form);
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            owner = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        }
    });
    QtMessageBoxes().MsgBox({QStringLiteral("Please check this is a valid graphics file"),
                             QStringLiteral("Can't load graphics file")});
    EXPECT_EQ(owner, &form);
    EXPECT_TRUE(eventually([&] { return QApplication::activeWindow() == &form; }));
}

// The style draws no focus on these; each shows it with a mark of its own once the keyboard
// has moved the focus, as the style does for the other controls.
TEST_F(MainWindow, TheViewportAndTheScrollBarsShowWhenTheyHaveTheFocus) {
    showAndActivate();
    const struct {
        const char* name;
        const char* from;  // the control before it, or after it for a Shift+Tab
        Qt::Key key;
    } rows[] = {{"HScroll1", "txtMapSize", Qt::Key_Backtab},
                {"Picture1", "Command1", Qt::Key_Tab},
                {"VScroll2", "Picture1", Qt::Key_Tab}};
    for (const auto& row : rows) {
        QWidget* widget = control(row.name);
        control(row.from)->setFocus();
        ASSERT_TRUE(eventually([&] { return !widget->hasFocus(); }));
        const QImage without = widget->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), row.key);
        ASSERT_TRUE(widget->hasFocus()) << row.name;
        EXPECT_NE(widget->grab().toImage(), without) << row.name;
    }
}
