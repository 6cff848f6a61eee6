#include "view/viewport.h"

#include "view/focus_mark.h"

namespace tessara {

Viewport::Viewport(QWidget* parent) : QFrame(parent), inner_(new QWidget(this)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    inner_->setObjectName(QStringLiteral("Picture1Inner"));
    inner_->setGeometry(contentsRect());
}

void Viewport::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    inner_->setGeometry(contentsRect());
}

void Viewport::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    emit lostFocus();
}

void Viewport::paintEvent(QPaintEvent* event) {
    // The map covers everything inside the border, so the mark goes on the border itself.
    QFrame::paintEvent(event);
    paintFocusMark(this);
}

}  // namespace tessara
