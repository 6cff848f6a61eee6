#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

#include "support/form_fixture.h"

using namespace tessara;
using namespace tessara::test;

using ScrollSpeedMenu = FormTest;

TEST_F(ScrollSpeedMenu, MediumIsCheckedAtStart) {
    EXPECT_FALSE(action("mnuSlow")->isChecked());
    EXPECT_TRUE(action("mnuMedium")->isChecked());
    EXPECT_FALSE(action("mnuFast")->isChecked());
    EXPECT_EQ(form.state().scrollSpeed, 0.005F);
}

TEST_F(ScrollSpeedMenu, EachCommandChecksItselfAloneAndSetsItsSpeed) {
    struct Row {
        const char* item;
        bool slow, medium, fast;
        Single speed;
    } const rows[] = {
        {"mnuSlow", true, false, false, 0.003F},   {"mnuFast", false, false, true, 0.009F},
        {"mnuMedium", false, true, false, 0.005F}, {"mnuFast", false, false, true, 0.009F},
        {"mnuSlow", true, false, false, 0.003F},
    };
    for (const auto& row : rows) {
        action(row.item)->trigger();
        EXPECT_EQ(action("mnuSlow")->isChecked(), row.slow) << row.item;
        EXPECT_EQ(action("mnuMedium")->isChecked(), row.medium) << row.item;
        EXPECT_EQ(action("mnuFast")->isChecked(), row.fast) << row.item;
        EXPECT_EQ(form.state().scrollSpeed, row.speed) << row.item;
    }
}

TEST_F(ScrollSpeedMenu, ChoosingTheCheckedSpeedAgainKeepsItChecked) {
    action("mnuMedium")->trigger();
    EXPECT_TRUE(action("mnuMedium")->isChecked());
    action("mnuSlow")->trigger();
    action("mnuSlow")->trigger();
    EXPECT_TRUE(action("mnuSlow")->isChecked());
    EXPECT_EQ(form.state().scrollSpeed, 0.003F);
}

TEST_F(ScrollSpeedMenu, IsReachedFromTheKeyboard) {
    showAndActivate();
    // Alt+Z opens Zoom; the right arrow goes on to Scroll Speed, whose caption has no
    // access key of its own.
    QTest::keyClick(&form, Qt::Key_Z, Qt::AltModifier);
    QMenu* zoom = control<QMenu>("mnuZoom");
    ASSERT_TRUE(eventually([&] { return zoom->isVisible(); }));
    QTest::keyClick(zoom, Qt::Key_Right);
    QMenu* speed = control<QMenu>("mnuScroll");
    ASSERT_TRUE(eventually([&] { return speed->isVisible(); }));
    ASSERT_EQ(speed->activeAction(), action("mnuSlow")) << "opened on its first item";
    QTest::keyClick(speed, Qt::Key_Down);
    QTest::keyClick(speed, Qt::Key_Down);
    QTest::keyClick(speed, Qt::Key_Return);
    EXPECT_TRUE(eventually([&] { return form.state().scrollSpeed == 0.009F; }));
    EXPECT_TRUE(action("mnuFast")->isChecked());
    EXPECT_FALSE(action("mnuMedium")->isChecked());
}
