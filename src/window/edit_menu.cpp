#include "window/edit_menu.h"

#include <QMenu>

#include "window/edit_history.h"
#include "window/menu_items.h"

namespace tessara {

EditMenu::EditMenu(QWidget* window, EditHistory* history)
    : QObject(window), history_(history), menu_(new QMenu(QStringLiteral("&Edit"), window)) {
    menu_->setObjectName(QStringLiteral("mnuEdit"));
    undo_ = item(menu_, "mnuUndo", {});
    undo_->setShortcut(QKeySequence::Undo);
    redo_ = item(menu_, "mnuRedo", {});
    redo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo_, &QAction::triggered, history, &EditHistory::undo);
    connect(redo_, &QAction::triggered, history, &EditHistory::redo);
    connect(history, &EditHistory::changed, this, &EditMenu::follow);
    follow();
}

void EditMenu::follow() {
    const auto caption = [](const QString& verb, const QString& step) {
        return step.isEmpty() ? verb : verb + u' ' + step;
    };
    undo_->setText(caption(QStringLiteral("&Undo"), history_->undoText()));
    undo_->setEnabled(history_->canUndo());
    redo_->setText(caption(QStringLiteral("&Redo"), history_->redoText()));
    redo_->setEnabled(history_->canRedo());
}

}  // namespace tessara
