// A scroll bar whose arrow keys follow its direction. Qt turns a scroll bar's keys around so
// that Page Up goes towards the minimum, and for a horizontal bar that turns the Left and
// Right arrows around as well: Right would scroll left. Here Left goes towards the minimum
// and Right towards the maximum (mirrored in a right-to-left layout); the page keys and
// Home and End stay as Qt has them. It also shows when it has the keyboard focus.
#pragma once

#include <QScrollBar>

namespace tessara {

class ScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    using QScrollBar::QScrollBar;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tessara
