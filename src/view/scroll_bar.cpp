#include "view/scroll_bar.h"

#include <QKeyEvent>

#include "view/focus_mark.h"

namespace tessara {

void ScrollBar::keyPressEvent(QKeyEvent* event) {
    const bool leftOrRight = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (orientation() != Qt::Horizontal || !leftOrRight) {
        QScrollBar::keyPressEvent(event);
        return;
    }
    const bool towardsMax = (event->key() == Qt::Key_Right) != isRightToLeft();
    triggerAction(towardsMax ? SliderSingleStepAdd : SliderSingleStepSub);
    event->accept();
}

void ScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    paintFocusMark(this);
}

}  // namespace tessara
