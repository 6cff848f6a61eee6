// A step of the undo history that puts one value back as it was, and again as it became:
// the whole of what a command changed, held as a value before and after.
#pragma once

#include <QUndoCommand>
#include <functional>

namespace tessara {

template <typename Value>
class ValueStep : public QUndoCommand {
  public:
    using Put = std::function<void(const Value&)>;
    ValueStep(const QString& text, Value before, Value after, Put put)
        : QUndoCommand(text),
          before_(std::move(before)),
          after_(std::move(after)),
          put_(std::move(put)) {}
    void undo() override { put_(before_); }
    void redo() override { put_(after_); }

  private:
    Value before_;
    Value after_;
    Put put_;
};

}  // namespace tessara
