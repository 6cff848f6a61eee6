#include "window/edit_history.h"

namespace tessara {

EditHistory::~EditHistory() = default;

void EditHistory::push(QUndoCommand* step) {
    std::unique_ptr<QUndoCommand> owned(step);
    owned->redo();
    steps_.resize(done_);
    QUndoCommand* last = steps_.empty() ? nullptr : steps_.back().get();
    if (last == nullptr || owned->id() == -1 || last->id() != owned->id() ||
        !last->mergeWith(owned.get())) {
        steps_.push_back(std::move(owned));
    }
    done_ = steps_.size();
    forgetOldest();
    emit changed();
}

void EditHistory::undo() {
    if (canUndo()) {
        steps_[--done_]->undo();
        emit changed();
    }
}

void EditHistory::redo() {
    if (canRedo()) {
        steps_[done_++]->redo();
        emit changed();
    }
}

void EditHistory::clear() {
    steps_.clear();
    done_ = 0;
    emit changed();
}

size_t EditHistory::bytes() const {
    size_t total = 0;
    for (const auto& step : steps_) {
        if (const auto* pictures = dynamic_cast<const PictureStep*>(step.get())) {
            total += pictures->bytes();
        }
    }
    return total;
}

// Undoing past a forgotten picture would leave the map wrong, so the steps before it go too.
void EditHistory::forgetOldest() {
    while (bytes() > kHistoryMemory) {
        size_t pictures = 0;
        size_t oldest = steps_.size();
        for (size_t i = 0; i < steps_.size(); ++i) {
            if (dynamic_cast<const PictureStep*>(steps_[i].get()) != nullptr) {
                oldest = pictures++ == 0 ? i : oldest;
            }
        }
        if (pictures < 2) {
            return;  // the newest is kept whatever it takes
        }
        steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(oldest) + 1);
        done_ -= oldest + 1;
    }
}

}  // namespace tessara
