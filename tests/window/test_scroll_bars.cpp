#include <gtest/gtest.h>

#include "support/form_fixture.h"
#include "view/offset_rule.h"

using namespace tessara;
using namespace tessara::test;

class ScrollBars : public FormTest {
  protected:
    void SetUp() override {
        showAndActivate();
        form.picMap().setPicture(Picture(QImage(2000, 1500, QImage::Format_RGB32)));
        form.mnuNormal_Click();
    }
};

TEST_F(ScrollBars, ArrowKeysMoveOneAndPageKeysTen) {
    struct Row {
        const char* bar;
        Qt::Key key;
        int expected;
    } const rows[] = {
        {"HScroll1", Qt::Key_Right, 1},     {"HScroll1", Qt::Key_Right, 2},
        {"HScroll1", Qt::Key_PageDown, 12}, {"HScroll1", Qt::Key_Left, 11},
        {"HScroll1", Qt::Key_PageUp, 1},    {"HScroll1", Qt::Key_PageUp, 0},
        {"HScroll1", Qt::Key_Left, 0},      {"VScroll2", Qt::Key_Down, 1},
        {"VScroll2", Qt::Key_PageDown, 11}, {"VScroll2", Qt::Key_Up, 10},
        {"VScroll2", Qt::Key_PageUp, 0},
    };
    for (const auto& row : rows) {
        auto* bar = control<QScrollBar>(row.bar);
        bar->setFocus();
        QTest::keyClick(bar, row.key);
        EXPECT_EQ(bar->value(), row.expected) << row.bar << " key " << row.key;
    }
}

TEST_F(ScrollBars, KeysAtTheFarEndStayAtMax) {
    hbar()->setValue(95);
    hbar()->setFocus();
    QTest::keyClick(hbar(), Qt::Key_PageDown);
    EXPECT_EQ(hbar()->value(), 100);
    QTest::keyClick(hbar(), Qt::Key_Right);
    EXPECT_EQ(hbar()->value(), 100);
}

TEST_F(ScrollBars, AKeyMovesTheImageInItsOwnDirectionOnly) {
    const TwipsRect view = form.placeOf("Picture1");
    hbar()->setFocus();
    QTest::keyClick(hbar(), Qt::Key_PageDown);
    EXPECT_EQ(image()->Left(), imageOffset(30000, view.Width, 10, 100));
    EXPECT_EQ(image()->Top(), 0.0F);
    vbar()->setFocus();
    QTest::keyClick(vbar(), Qt::Key_Down);
    EXPECT_EQ(image()->Top(), imageOffset(22500, view.Height, 1, 100));
    EXPECT_EQ(image()->Left(), imageOffset(30000, view.Width, 10, 100));
}
