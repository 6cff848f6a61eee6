// The mark that shows which control has the keyboard focus, for the controls the style
// draws none on (the viewport and the scroll bars): an outline inside the widget's edge.
#pragma once

#include <QWidget>

namespace tessara {

// Draws the mark on `widget` when it has the focus; call at the end of its paint event.
void paintFocusMark(QWidget* widget);

}  // namespace tessara
