// One change of how the grid is fitted and numbered, as the undo history keeps it: the
// options before and after, put back by Undo and again by Redo. Changes of the same kind
// made one after another (nudges, or edits of one field) are one step of the history.
#pragma once

#include <QUndoCommand>
#include <functional>

#include "grid/grid_options.h"
#include "grid/hex_numbers.h"

namespace tessara {

struct GridFit {
    GridOptions options;
    HexNumbering numbering;
    friend bool operator==(const GridFit&, const GridFit&) = default;
};

class OptionsChange : public QUndoCommand {
  public:
    using Apply = std::function<void(const GridFit&)>;
    // `kind` above 0 joins the change to the one before it of the same kind and text.
    OptionsChange(const QString& text, GridFit before, GridFit after, Apply apply, int kind = -1)
        : QUndoCommand(text),
          before_(std::move(before)),
          after_(std::move(after)),
          apply_(std::move(apply)),
          kind_(kind) {}

    void undo() override { apply_(before_); }
    void redo() override { apply_(after_); }
    int id() const override { return kind_; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* later = static_cast<const OptionsChange*>(other);
        if (later->text() != text()) {
            return false;
        }
        after_ = later->after_;
        return true;
    }

  private:
    GridFit before_;
    GridFit after_;
    Apply apply_;
    int kind_;
};

}  // namespace tessara
