// The Scroll Speed menu: one of three speeds is checked; a new speed applies from the next
// press, a drag already running keeps the steps of its own press.
#include <QAction>

#include "view/drag_pan.h"
#include "window/main_window.h"

namespace tessara {
namespace {

void checkOnly(QAction* chosen, std::initializer_list<QAction*> items) {
    for (QAction* item : items) {
        item->setChecked(item == chosen);
    }
}

}  // namespace

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
