// The Edit menu: Undo and Redo of the window's history, named after the step they take
// back or do again, and greyed when there is none.
#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;

namespace tessara {

class EditHistory;

class EditMenu : public QObject {
    Q_OBJECT
  public:
    EditMenu(QWidget* window, EditHistory* history);
    QMenu* menu() const { return menu_; }

  private:
    void follow();

    EditHistory* history_;
    QMenu* menu_;
    QAction* undo_;
    QAction* redo_;
};

}  // namespace tessara
