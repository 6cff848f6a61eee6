// The image control that shows the map: it stretches a shared picture to its own size and
// is placed in twips inside its container. It paints only the part of the stretched picture
// that is exposed, straight from the full-resolution picture, so no scaled copy of the map
// is ever made, whatever its size.
#pragma once

#include <QWidget>
#include <functional>

#include "core/numeric.h"
#include "core/twips.h"
#include "image/picture.h"

namespace tessara {

// Mouse buttons as the mouse handlers number them.
enum MouseButton : Integer { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

class ImageControl : public QWidget {
    Q_OBJECT
  public:
    explicit ImageControl(QWidget* parent = nullptr);

    Single Left() const { return place_.Left; }
    Single Top() const { return place_.Top; }
    Single Width() const { return place_.Width; }
    Single Height() const { return place_.Height; }
    void setLeft(Single twips);
    void setTop(Single twips);
    void setWidth(Single twips);
    void setHeight(Single twips);

    const Picture& picture() const { return picture_; }
    void setPicture(Picture picture);

    // Drawn over the picture at every repaint, without touching it: the painter draws in
    // the picture's pixels, and `area` is the part of the picture being repainted.
    using Overlay = std::function<void(QPainter& painter, const QRectF& area)>;
    void setOverlay(Overlay overlay);

  signals:
    // Button as numbered above; x and y in twips from the image's top-left corner.
    void mouseDown(Integer button, Integer shift, Single x, Single y);
    void mouseUp(Integer button, Integer shift, Single x, Single y);
    // The pointer moved over the image, with or without a button held.
    void mouseMoved(Single x, Single y);
    void pointerLeft();
    // The wheel turned with Ctrl held: `steps` notches away from the user (negative towards).
    void zoomWheel(int steps, Single x, Single y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void place();

    TwipsRect place_;
    Picture picture_;
    Overlay overlay_;
    int wheelEighths_ = 0;  // of a degree, turned with Ctrl held and not yet a whole notch
};

// The button number of a Qt mouse button; 0 for buttons the program does not know.
Integer buttonNumber(Qt::MouseButton button);
// The shift state: 1 Shift, 2 Ctrl, 4 Alt, added together.
Integer shiftState(Qt::KeyboardModifiers modifiers);

}  // namespace tessara
