// Scrolling the map. The scroll bars place the image by the offset rule, each in its own
// direction only. Holding the right button on the map pans: the press runs a loop that moves
// both scroll bars a little each pass until the release, or a loss of focus by the viewport,
// clears `dragging`; the loop is a nested event loop, so every other handler can run inside
// it. The Scroll Speed menu checks one of three speeds; a new speed applies from the next
// press, a drag already running keeps the steps of its own press.
#include <QAction>
#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>
#include <initializer_list>

#include "view/drag_pan.h"
#include "view/image_control.h"
#include "view/offset_rule.h"
#include "window/grid_fitting.h"
#include "window/main_window.h"

namespace tessara {
namespace {

// One pass for one bar; the bar's change handler moves the image when the value changes.
Single panBar(QScrollBar& bar, Single pos, Single step) {
    const BarStep next = advanceBar(pos, step, bar.minimum(), bar.maximum());
    bar.setValue(next.value);
    return next.pos;
}

void checkOnly(QAction* chosen, std::initializer_list<QAction*> items) {
    for (QAction* item : items) {
        item->setChecked(item == chosen);
    }
}

}  // namespace

void Form1::HScroll1_Change() {
    Imgdisplay->setLeft(imageOffset(Imgdisplay->Width(), picture1Place_->Width(), HScroll1->value(),
                                    HScroll1->maximum()));
}

void Form1::VScroll2_Change() {
    Imgdisplay->setTop(imageOffset(Imgdisplay->Height(), picture1Place_->Height(),
                                   VScroll2->value(), VScroll2->maximum()));
}

void Form1::Imgdisplay_MouseDown(Integer button, Integer /*shift*/, Single x, Single y) {
    if (button == kLeftButton && fitting_->clickedAt(x, y)) {
        return;  // a point measured
    }
    if (button != kRightButton) {
        return;
    }
    state_.dragging = true;
    Single hPos = static_cast<Single>(HScroll1->value());
    Single vPos = static_cast<Single>(VScroll2->value());
    const Single hStep =
        dragStep(Imgdisplay->Left(), x, picture1Place_->Width(), state_.scrollSpeed);
    const Single vStep =
        dragStep(Imgdisplay->Top(), y, picture1Place_->Height(), state_.scrollSpeed);

    // Closing the window (File, Exit included) ends the drag at once, and once the window
    // is closed or destroyed the loop touches nothing of it again.
    Pacer& pacer = services_.pacer;
    const QPointer<Form1> self(this);
    const auto gone = [&self] { return self.isNull() || !self->isVisible(); };
    const auto over = [&] { return gone() || !self->state_.dragging; };
    for (;;) {
        pacer.awaitNextPass(over);
        if (over()) {
            return;
        }
        hPos = panBar(*HScroll1, hPos, hStep);
        QCoreApplication::processEvents();
        if (gone()) {
            return;
        }
        vPos = panBar(*VScroll2, vPos, vStep);
    }
}

void Form1::Imgdisplay_MouseUp(Integer button, Integer /*shift*/, Single /*x*/, Single /*y*/) {
    if (button == kRightButton) {
        state_.dragging = false;
    }
}

void Form1::Picture1_LostFocus() {
    state_.dragging = false;
}

void Form1::mnuSlow_Click() {
    checkOnly(mnuSlow, {mnuSlow, mnuMedium, mnuFast});
    state_.scrollSpeed = scrollSpeedFactor(ScrollSpeed::Slow);
}

void Form1::mnuMedium_Click() {
    checkOnly(mnuMedium, {mnuSlow, mnuMedium, mnuFast});
    state_.scrollSpeed = scrollSpeedFactor(ScrollSpeed::Medium);
}

void Form1::mnuFast_Click() {
    checkOnly(mnuFast, {mnuSlow, mnuMedium, mnuFast});
    state_.scrollSpeed = scrollSpeedFactor(ScrollSpeed::Fast);
}

}  // namespace tessara
