// Panning by holding the right button on the map: the press runs a loop that moves both
// scroll bars a little each pass until the release, or a loss of focus by the viewport,
// clears `dragging`. The loop is a nested event loop: every other handler can run inside it.
#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>

#include "view/drag_pan.h"
#include "view/image_control.h"
#include "window/main_window.h"

namespace tessara {
namespace {

// One pass for one bar; the bar's change handler moves the image when the value changes.
Single panBar(QScrollBar& bar, Single pos, Single step) {
    const BarStep next = advanceBar(pos, step, bar.minimum(), bar.maximum());
    bar.setValue(next.value);
    return next.pos;
}

}  // namespace

void Form1::Imgdisplay_MouseDown(Integer button, Integer /*shift*/, Single x, Single y) {
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

}  // namespace tessara
