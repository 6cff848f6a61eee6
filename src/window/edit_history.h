// What Edit, Undo and Redo take back and do again: the changes of the grid's options and
// the grids drawn into the map, one history for the window. Each step is a QUndoCommand
// (its text names it: "Undo Generate Hex Grid"); steps of one kind made one after another
// merge as QUndoStack merges them. Steps that keep pictures are bounded by memory: when they
// keep more than kHistoryMemory together, the oldest are forgotten with every step before
// them, the newest always kept.
#pragma once

#include <QObject>
#include <QUndoCommand>
#include <memory>
#include <vector>

namespace tessara {

inline constexpr size_t kHistoryMemory = size_t{512} << 20;

// A step that keeps pixels, and says how many bytes it keeps.
class PictureStep : public QUndoCommand {
  public:
    using QUndoCommand::QUndoCommand;
    virtual size_t bytes() const = 0;
};

class EditHistory : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~EditHistory() override;

    // Does the step (its redo) and keeps it; the steps that were undone are dropped.
    void push(QUndoCommand* step);
    void undo();
    void redo();
    void clear();

    int count() const { return static_cast<int>(steps_.size()); }
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    QString undoText() const { return canUndo() ? steps_[done_ - 1]->text() : QString(); }
    QString redoText() const { return canRedo() ? steps_[done_]->text() : QString(); }
    // The bytes the steps keep pixels in.
    size_t bytes() const;

  signals:
    void changed();

  private:
    void forgetOldest();

    std::vector<std::unique_ptr<QUndoCommand>> steps_;
    size_t done_ = 0;  // the steps done: the first ones
};

}  // namespace tessara
