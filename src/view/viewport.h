// The viewport picture box: a sunken frame that takes the keyboard focus, with an inner
// area that clips the map image placed inside it.
#pragma once

#include <QFrame>

namespace tessara {

class Viewport : public QFrame {
    Q_OBJECT
  public:
    explicit Viewport(QWidget* parent = nullptr);
    // The area inside the border; the image is placed relative to its top-left corner.
    QWidget* inner() const { return inner_; }

  signals:
    void lostFocus();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* inner_;
};

}  // namespace tessara
