#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <memory>
#include <vector>

#include "platform/qt_pacer.h"
#include "support/form_fixture.h"
#include "support/test_files.h"
#include "view/drag_pan.h"
#include "view/offset_rule.h"

using namespace tessara;
using namespace tessara::test;

// ---- The arithmetic ---------------------------------------------------------------------

TEST(DragStep, FollowsThePressPlaceAcrossTheViewport) {
    struct Row {
        const char* guards;
        Single left, pointer, viewport, speed;
        Single expected;
    } const rows[] = {
        {"a press at the centre gives no step", 0, 3787.5F, 7575, 0.005F, 0},
        {"the centre of a scrolled image", -1000, 4787.5F, 7575, 0.005F, 0},
        {"the left edge at Medium", 0, 0, 7575, 0.005F, -0.0025F},
        {"the outer edge at Slow", 0, 7575, 7575, 0.003F, 0.0015F},
        {"the outer edge at Medium", 0, 7575, 7575, 0.005F, 0.0025F},
        {"the outer edge at Fast", 0, 7575, 7575, 0.009F, 0.0045F},
        {"a quarter across at Medium", 0, 1000, 4000, 0.005F, -0.00125F},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(dragStep(row.left, row.pointer, row.viewport, row.speed), row.expected)
            << row.guards;
    }
}

TEST(DragStep, PerPassMaximaAreAHundredTimesHalfTheSpeed) {
    struct Row {
        ScrollSpeed speed;
        Single perPass;
    } const rows[] = {
        {ScrollSpeed::Slow, 0.15F}, {ScrollSpeed::Medium, 0.25F}, {ScrollSpeed::Fast, 0.45F}};
    for (const auto& row : rows) {
        const Single step = dragStep(0, 7575, 7575, scrollSpeedFactor(row.speed));
        EXPECT_FLOAT_EQ(100 * step, row.perPass);
        EXPECT_FLOAT_EQ(100 * dragStep(0, 0, 7575, scrollSpeedFactor(row.speed)), -row.perPass);
    }
}

TEST(AdvanceBar, ThreeWayChoiceAtTheEndsOfTheRange) {
    struct Row {
        const char* guards;
        Single pos, step;
        BarStep expected;
    } const rows[] = {
        {"inside: the value is the position rounded", 2.5F, 0.0025F, {2.75F, 3}},
        {"a half rounds to the even neighbour below", 2.25F, 0.0025F, {2.5F, 2}},
        {"a half rounds to the even neighbour above", 3.25F, 0.0025F, {3.5F, 4}},
        {"past Max both are held at Max", 99.9F, 0.0045F, {100, 100}},
        {"held at Max, never beyond", 100, 0.0045F, {100, 100}},
        {"reaching Max exactly is inside the range", 99.75F, 0.0025F, {100, 100}},
        {"below Min both are held at Min", 0.1F, -0.0025F, {0, 0}},
        {"held at Min, never below", 0, -0.0015F, {0, 0}},
        {"a zero step keeps the fractions", 41.4F, 0, {41.4F, 41}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(advanceBar(row.pos, row.step, 0, 100), row.expected) << row.guards;
    }
}

// Values after each of `passes` passes from `start` with `step`.
std::vector<int> valuesOver(int passes, Single start, Single step) {
    std::vector<int> values;
    Single pos = start;
    for (int i = 0; i < passes; ++i) {
        const BarStep next = advanceBar(pos, step, 0, 100);
        pos = next.pos;
        values.push_back(next.value);
    }
    return values;
}

TEST(AdvanceBar, NearTheRightEdgeAtMediumTheValueRisesAboutEveryFourthPass) {
    // 499 pixels across a 505-pixel viewport: a little under 0.25 a pass.
    const Single step = dragStep(0, 7485, 7575, 0.005F);
    EXPECT_EQ(valuesOver(16, 0, step),
              (std::vector<int>{0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4}));
}

TEST(AdvanceBar, AtTheLeftEdgeTheValueFallsAQuarterAPassWithHalvesToEven) {
    const Single step = dragStep(0, 0, 7575, 0.005F);
    Single pos = 50;
    const Single expectedPos[] = {49.75F, 49.5F, 49.25F, 49, 48.75F, 48.5F, 48.25F, 48};
    const int expectedValue[] = {50, 50, 49, 49, 49, 48, 48, 48};
    for (int i = 0; i < 8; ++i) {
        const BarStep next = advanceBar(pos, step, 0, 100);
        EXPECT_EQ(next.pos, expectedPos[i]) << "pass " << i + 1;
        EXPECT_EQ(next.value, expectedValue[i]) << "pass " << i + 1;
        pos = next.pos;
    }
}

TEST(AdvanceBar, ClampingHoldsThePositionAtMaxSoItTurnsBackAtOnce) {
    Single pos = 99;
    for (int i = 0; i < 10; ++i) {
        pos = advanceBar(pos, 0.0045F, 0, 100).pos;
    }
    EXPECT_EQ(pos, 100.0F);
    // Had the position run on past 100, the first steps back would not move the value.
    EXPECT_EQ(advanceBar(pos, -0.0025F, 0, 100), (BarStep{99.75F, 100}));
    EXPECT_EQ(advanceBar(99.75F, -0.0025F, 0, 100), (BarStep{99.5F, 100}));
    EXPECT_EQ(advanceBar(99.5F, -0.0025F, 0, 100), (BarStep{99.25F, 99}));
}

TEST(ScrollSpeedFactor, SlowMediumFast) {
    EXPECT_EQ(scrollSpeedFactor(ScrollSpeed::Slow), 0.003F);
    EXPECT_EQ(scrollSpeedFactor(ScrollSpeed::Medium), 0.005F);
    EXPECT_EQ(scrollSpeedFactor(ScrollSpeed::Fast), 0.009F);
}

// ---- The handlers on a real window --------------------------------------------------------

namespace {

// A mouse button event posted to a widget, delivered when the event loop next runs.
void postMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at,
               Qt::MouseButtons held) {
    QCoreApplication::postEvent(
        widget, new QMouseEvent(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier));
}

}  // namespace

class DragPan : public FormTest {
  protected:
    void SetUp() override {
        showAndActivate();
        showMap(2000, 1500);
        control("Picture1")->setFocus();
        ASSERT_TRUE(eventually([&] { return control("Picture1")->hasFocus(); }));
    }

    void showMap(int width, int height) {
        form.picMap().setPicture(Picture(makeMap(width, height)));
        form.mnuNormal_Click();
    }

    // The viewport's inner area in pixels, where the image sits.
    QWidget* inner() { return control("Picture1")->findChild<QWidget*>("Picture1Inner"); }
    // A point of the image, in the image's pixels, at a place of the viewport's inner area.
    QPoint imagePointAt(QPoint innerPoint) { return innerPoint - image()->pos(); }
    QPoint nearRightEdgeAtTop() { return imagePointAt({inner()->width() - 1, 0}); }
    QPoint atLeftEdgeAtTop() { return imagePointAt({0, 0}); }

    void press(Qt::MouseButton button, QPoint at) {
        postMouse(image(), QEvent::MouseButtonPress, button, at, button);
    }
    void release(Qt::MouseButton button, QPoint at = {}) {
        postMouse(image(), QEvent::MouseButtonRelease, button, at, Qt::NoButton);
    }

    // Waits until `presses` mouseDown handlers have returned, that is until the drag they
    // started has ended.
    bool dragsEnded(int presses) {
        return eventually([&] { return downs.count() >= presses && !form.state().dragging; });
    }

    // The horizontal value at the start of each pass, recorded from pass 1 to `last`.
    void recordValues(int last) {
        for (int pass = 1; pass <= last; ++pass) {
            platform.pacer.at(pass, [this] { seen.push_back(hbar()->value()); });
        }
    }

    QSignalSpy downs{image(), &ImageControl::mouseDown};
    std::vector<int> seen;
};

TEST_F(DragPan, ARightPressNearTheRightEdgeScrollsRightUntilTheRightRelease) {
    recordValues(12);
    platform.pacer.at(13, [&] { release(Qt::RightButton); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(1));
    EXPECT_EQ(platform.pacer.passes(), 13) << "the loop ends at the first test after release";
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3}));
    EXPECT_EQ(hbar()->value(), 3) << "twelve steps of a little under 0.25";
    EXPECT_EQ(vbar()->value(), 0) << "a press at the top holds the vertical bar at Min";
    const TwipsRect view = form.placeOf("Picture1");
    EXPECT_EQ(image()->Left(), imageOffset(30000, view.Width, 3, 100)) << "the image followed";
    EXPECT_LT(image()->Left(), 0.0F);
    EXPECT_EQ(image()->Top(), 0.0F);
}

TEST_F(DragPan, ALeftOrMiddlePressDoesNothing) {
    press(Qt::LeftButton, nearRightEdgeAtTop());
    release(Qt::LeftButton, nearRightEdgeAtTop());
    press(Qt::MiddleButton, nearRightEdgeAtTop());
    release(Qt::MiddleButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(2));
    EXPECT_EQ(downs.at(0).at(0).value<Integer>(), kLeftButton);
    EXPECT_EQ(downs.at(1).at(0).value<Integer>(), kMiddleButton);
    EXPECT_EQ(platform.pacer.passes(), 0) << "no loop ran";
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(image()->Left(), 0.0F);
}

TEST_F(DragPan, ALeftReleaseDoesNotEndARightDrag) {
    platform.pacer.at(4, [&] { release(Qt::LeftButton); });
    platform.pacer.at(9, [&] { release(Qt::RightButton); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(1));
    EXPECT_EQ(platform.pacer.passes(), 9);
    EXPECT_EQ(hbar()->value(), 2) << "eight steps";
}

TEST_F(DragPan, LosingTheFocusEndsTheDragWithTheButtonStillHeld) {
    platform.pacer.at(5, [&] { control("txtMapSize")->setFocus(); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(1));
    EXPECT_EQ(platform.pacer.passes(), 5);
    EXPECT_EQ(hbar()->value(), 1) << "four steps";
    EXPECT_TRUE(control("txtMapSize")->hasFocus());
}

TEST_F(DragPan, APressAtTheCentreMovesNothingAndRunsUntilRelease) {
    hbar()->setValue(40);
    vbar()->setValue(60);
    // Moved away from where its bars put it: a bar set to the value it has already must
    // leave the image alone, not put it back.
    image()->setLeft(-1234);
    image()->setTop(-567);
    QSignalSpy hchanges(hbar(), &QScrollBar::valueChanged);
    QSignalSpy vchanges(vbar(), &QScrollBar::valueChanged);
    platform.pacer.at(30, [&] { release(Qt::RightButton); });
    const TwipsRect view = form.placeOf("Picture1");
    form.Imgdisplay_MouseDown(kRightButton, 0, view.Width / 2 + 1234, view.Height / 2 + 567);
    EXPECT_FALSE(form.state().dragging);
    EXPECT_EQ(platform.pacer.passes(), 30);
    EXPECT_EQ(hchanges.count(), 0);
    EXPECT_EQ(vchanges.count(), 0);
    EXPECT_EQ(image()->Left(), -1234.0F);
    EXPECT_EQ(image()->Top(), -567.0F);
}

TEST_F(DragPan, AnImageNarrowerThanTheViewportSlidesRight) {
    const int narrower = twipsToPixels(form.placeOf("Picture1").Width) - 25;
    showMap(narrower, 200);
    hbar()->setValue(50);
    const Single startLeft = image()->Left();
    ASSERT_GT(startLeft, 0.0F) << "a narrower image sits right of the inner edge";
    Single afterTwenty = 0;
    platform.pacer.at(21, [&] { afterTwenty = image()->Left(); });
    platform.pacer.at(300, [&] { release(Qt::RightButton); });
    press(Qt::RightButton, {narrower - 1, 0});  // the image's right end
    ASSERT_TRUE(dragsEnded(1));
    EXPECT_GT(afterTwenty, startLeft) << "sliding right as the value grows";
    EXPECT_EQ(hbar()->value(), 100);
    const TwipsRect view = form.placeOf("Picture1");
    EXPECT_EQ(image()->Left(), view.Width - image()->Width()) << "against the far edge";
}

TEST_F(DragPan, ASecondRightPressRunsAnInnerDragThatEndsBoth) {
    // The outer drag moves right for forty passes; the second press, at the left edge,
    // moves left until the release, which ends both loops without another outer step.
    platform.pacer.at(41, [&] { press(Qt::RightButton, atLeftEdgeAtTop()); });
    platform.pacer.at(54, [&] { release(Qt::RightButton); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(2));
    EXPECT_EQ(platform.pacer.passes(), 54);
    EXPECT_EQ(hbar()->value(), 7) << "10 after the outer drag, less twelve inner steps";
}

TEST_F(DragPan, ASpeedChosenDuringADragAppliesFromTheNextPress) {
    platform.pacer.at(5, [&] { action("mnuFast")->trigger(); });
    platform.pacer.at(13, [&] { release(Qt::RightButton); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(1));
    EXPECT_EQ(hbar()->value(), 3) << "twelve steps at Medium, the speed of the press";
    platform.pacer.at(26, [&] { release(Qt::RightButton); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(2));
    EXPECT_EQ(hbar()->value(), 8) << "then twelve steps of a little under 0.45";
}

TEST_F(DragPan, AZoomDuringADragIsReplacedByTheDragsOwnPosition) {
    platform.pacer.at(20, [&] { action("mnu1to2")->trigger(); });
    platform.pacer.at(22, [&] { release(Qt::RightButton); });
    Single zoomedWidth = 0;
    int valueAfterZoom = -1;
    platform.pacer.at(21, [&] {
        zoomedWidth = image()->Width();
        valueAfterZoom = hbar()->value();
    });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(dragsEnded(1));
    EXPECT_EQ(zoomedWidth, 15000.0F) << "the zoom took effect";
    EXPECT_EQ(valueAfterZoom, 5) << "the zoom's 0 replaced by the drag's position after 20 steps";
    EXPECT_EQ(hbar()->value(), 5);
}

TEST_F(DragPan, ClosingTheWindowEndsTheDragAtOnce) {
    QSignalSpy changes(hbar(), &QScrollBar::valueChanged);
    platform.pacer.at(6, [&] { form.close(); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(eventually([&] { return downs.count() == 1; }));
    EXPECT_EQ(platform.pacer.passes(), 6);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(changes.count(), 1) << "five steps moved the value once, and no step followed";
}

TEST_F(DragPan, AWindowClosedWithinAPassTakesNoFurtherStep) {
    // Pressed near the bottom-right corner, both values first rise on the third pass; the
    // window closes as the horizontal one does, before the vertical step of that pass.
    const QPoint corner = imagePointAt({inner()->width() - 1, inner()->height() - 1});
    QObject::connect(hbar(), &QScrollBar::valueChanged, &form, [&] { form.close(); });
    press(Qt::RightButton, corner);
    ASSERT_TRUE(eventually([&] { return downs.count() == 1; }));
    EXPECT_EQ(platform.pacer.passes(), 3);
    EXPECT_EQ(hbar()->value(), 1);
    EXPECT_EQ(vbar()->value(), 0) << "the vertical bar of a closed window was moved";
}

TEST_F(DragPan, ExitEndsTheDragAtOnce) {
    platform.pacer.at(6, [&] { action("mnuExit")->trigger(); });
    press(Qt::RightButton, nearRightEdgeAtTop());
    ASSERT_TRUE(eventually([&] { return downs.count() == 1; }));
    EXPECT_EQ(platform.pacer.passes(), 6);
    EXPECT_FALSE(form.isVisible());
}

// A window of its own, made on the heap, so that it can go while a drag runs.
class DragPanOwnWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        window = new Form1(platform.services());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->picMap().setPicture(Picture(makeMap(2000, 1500)));
        window->mnuNormal_Click();
        image = window->findChild<ImageControl*>("Imgdisplay");
    }
    void TearDown() override { delete window.data(); }

    void pressNearTheRightEdge() {
        const QPoint at(image->parentWidget()->width() - 1, 0);
        postMouse(image, QEvent::MouseButtonPress, Qt::RightButton, at, Qt::RightButton);
    }

    TestPlatform platform;
    QPointer<Form1> window;
    ImageControl* image = nullptr;
};

TEST_F(DragPanOwnWindow, AWindowDeletedOnCloseGoesOnceTheDragHasEnded) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    platform.pacer.at(6, [&] { window->close(); });
    pressNearTheRightEdge();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
    EXPECT_EQ(platform.pacer.passes(), 6);
}

TEST_F(DragPanOwnWindow, AWindowDestroyedDuringADragIsNotTouchedAgain) {
    platform.pacer.at(6, [&] { delete window.data(); });
    pressNearTheRightEdge();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
    EXPECT_EQ(platform.pacer.passes(), 6);
}

// The program's own pacing: real time, real events.
class PacedDragPan : public ::testing::Test {
  protected:
    void SetUp() override {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.picMap().setPicture(Picture(makeMap(2000, 1500)));
        form.mnuNormal_Click();
    }

    TestPlatform platform;
    QtPacer pacer;
    Form1 form{Services{platform.dialogs, platform.messages, pacer, platform.printers,
                        platform.help, platform.registry, platform.files, platform.programs,
                        platform.questions}};
    ImageControl* image = form.findChild<ImageControl*>("Imgdisplay");
    QScrollBar* bar = form.findChild<QScrollBar*>("HScroll1");
};

TEST_F(PacedDragPan, ScrollsRightUntilReleasedWhileTimersRunInsideTheDrag) {
    QSignalSpy downs(image, &ImageControl::mouseDown);
    // Releases once the view has moved five steps; a watchdog ends a runaway drag.
    QTimer watch;
    bool released = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!released && bar->value() >= 5) {
            released = true;
            postMouse(image, QEvent::MouseButtonRelease, Qt::RightButton, {}, Qt::NoButton);
        }
    });
    watch.start(1);
    QTimer::singleShot(10000, &form, [&] {
        ADD_FAILURE() << "the drag was still running after 10 s";
        form.close();
    });
    const QPoint at(image->parentWidget()->width() - 1, 0);
    postMouse(image, QEvent::MouseButtonPress, Qt::RightButton, at, Qt::RightButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return downs.count() == 1; }, 15000));
    EXPECT_TRUE(released) << "the timer ran inside the drag";
    EXPECT_FALSE(form.state().dragging);
    EXPECT_GE(bar->value(), 5);
    EXPECT_LT(image->Left(), 0.0F);
}
