#include "view/focus_mark.h"

#include <QPainter>

namespace tessara {

void paintFocusMark(QWidget* widget) {
    if (!widget->hasFocus()) {
        return;
    }
    // An outline in the highlight colour, as the style marks a focused text box; the
    // style's own focus frame would tint the whole of the viewport.
    QPainter painter(widget);
    painter.setPen(QPen(widget->palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(widget->rect()).adjusted(1, 1, -1, -1));
}

}  // namespace tessara
