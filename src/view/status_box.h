// The map view's status: a small box in the view's bottom-left corner that says where the
// pointer is on the map (and the hex under it while fitting), and what the last grid
// command did that the user should know. It lies over the map without moving any control,
// and hides when it has nothing to say.
#pragma once

#include <QLabel>
#include <QTimer>

namespace tessara {

class StatusBox : public QLabel {
    Q_OBJECT
  public:
    // Shown over `view`, at its bottom-left corner.
    explicit StatusBox(QWidget* view);

    // A message, shown until the next one or for half a minute.
    void setMessage(const QString& message);
    // The pointer's place; empty when the pointer left the map.
    void setPointer(const QString& pointer);
    QString message() const { return message_; }
    QString pointer() const { return pointer_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refresh();

    QString message_;
    QString pointer_;
    QTimer expiry_;
};

}  // namespace tessara
