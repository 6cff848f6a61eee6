#include "view/image_control.h"

#include <QWheelEvent>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tessara {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);  // the pointer's place on the map is shown as it moves
    place();
}

void ImageControl::setLeft(Single twips) {
    place_.Left = twips;
    place();
}
void ImageControl::setTop(Single twips) {
    place_.Top = twips;
    place();
}
void ImageControl::setWidth(Single twips) {
    place_.Width = twips;
    place();
}
void ImageControl::setHeight(Single twips) {
    place_.Height = twips;
    place();
}

void ImageControl::setPicture(Picture picture) {
    picture_ = std::move(picture);
    update();
}

void ImageControl::setOverlay(Overlay overlay) {
    overlay_ = std::move(overlay);
    update();
}

void ImageControl::place() {
    setGeometry(toPixels(place_));
}

void ImageControl::paintEvent(QPaintEvent* event) {
    if (picture_.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    const QImage& image = picture_.image();
    const double sx = static_cast<double>(image.width()) / width();
    const double sy = static_cast<double>(image.height()) / height();
    QPainter painter(this);
    // Pixels are sampled, not smoothed: a repaint stays cheap at every zoom and the grid's
    // colour stays exactly the chosen one.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const QRect& target : event->region()) {
        const QRectF source(target.x() * sx, target.y() * sy, target.width() * sx,
                            target.height() * sy);
        painter.drawImage(QRectF(target), image, source);
    }
    if (overlay_) {
        painter.setClipRegion(event->region());
        painter.scale(1 / sx, 1 / sy);
        const QRectF exposed = event->region().boundingRect();
        overlay_(painter, QRectF(exposed.x() * sx, exposed.y() * sy, exposed.width() * sx,
                                 exposed.height() * sy));
    }
}

Integer buttonNumber(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return kLeftButton;
        case Qt::RightButton:
            return kRightButton;
        case Qt::MiddleButton:
            return kMiddleButton;
        default:
            return 0;
    }
}

Integer shiftState(Qt::KeyboardModifiers modifiers) {
    Integer state = 0;
    if (modifiers & Qt::ShiftModifier) {
        state |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        state |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        state |= 4;
    }
    return state;
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position() * static_cast<double>(kTwipsPerPixel);
    emit mouseDown(buttonNumber(event->button()), shiftState(event->modifiers()),
                   static_cast<Single>(at.x()), static_cast<Single>(at.y()));
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = event->position() * static_cast<double>(kTwipsPerPixel);
    emit mouseUp(buttonNumber(event->button()), shiftState(event->modifiers()),
                 static_cast<Single>(at.x()), static_cast<Single>(at.y()));
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position() * static_cast<double>(kTwipsPerPixel);
    emit mouseMoved(static_cast<Single>(at.x()), static_cast<Single>(at.y()));
}

void ImageControl::leaveEvent(QEvent* /*event*/) {
    emit pointerLeft();
}

void ImageControl::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();  // the viewport's own scrolling, if any
        return;
    }
    // A notch is 15 degrees, 120 eighths; touchpads send it in smaller parts.
    constexpr int kNotch = 120;
    wheelEighths_ += event->angleDelta().y();
    const int steps = wheelEighths_ / kNotch;
    wheelEighths_ -= steps * kNotch;
    if (steps != 0) {
        const QPointF at = event->position() * static_cast<double>(kTwipsPerPixel);
        emit zoomWheel(steps, static_cast<Single>(at.x()), static_cast<Single>(at.y()));
    }
    event->accept();
}

}  // namespace tessara
