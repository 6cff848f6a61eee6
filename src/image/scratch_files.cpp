#include "image/scratch_files.h"

#include <unistd.h>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

namespace tessara {

// A scratch file's name, formatted beforehand, so that a handler reads only these flags and
// bytes.
struct ScratchSlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> named{false};
    char path[PATH_MAX] = {};
};

namespace {

// A few writes may run at once (a pair of files holds three scratch files at a time); one
// beyond them is not remembered.
ScratchSlot scratchSlots[8];

// While files are put in place together, the signal that came meanwhile, handled once they
// are all there; 0 for none.
std::atomic<int> holdingSignals{0};
std::atomic<int> heldSignal{0};

}  // namespace

RememberedScratch::RememberedScratch(const QByteArray& path) {
    if (path.size() >= PATH_MAX) {
        return;
    }
    for (ScratchSlot& slot : scratchSlots) {
        bool free = false;
        if (slot.taken.compare_exchange_strong(free, true)) {
            std::memcpy(slot.path, path.constData(), static_cast<size_t>(path.size()) + 1);
            slot.named.store(true);
            slot_ = &slot;
            return;
        }
    }
}

RememberedScratch::~RememberedScratch() {
    if (slot_ != nullptr) {
        slot_->named.store(false);
        slot_->taken.store(false);
    }
}

EndingSignalsHeld::EndingSignalsHeld() {
    holdingSignals.fetch_add(1);
}

EndingSignalsHeld::~EndingSignalsHeld() {
    if (holdingSignals.fetch_sub(1) == 1) {
        if (const int signal = heldSignal.exchange(0); signal != 0) {
            removeScratchFilesAndRaise(signal);
        }
    }
}

void removeScratchFilesAndRaise(int signal) {
    // Looked at again once the signal is noted: a hold that ended meanwhile may not have seen
    // it.
    if (holdingSignals.load() > 0) {
        heldSignal.store(signal);
        if (holdingSignals.load() > 0) {
            return;
        }
    }
    for (const ScratchSlot& slot : scratchSlots) {
        if (slot.named.load()) {
            ::unlink(slot.path);
        }
    }
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(signal, &byDefault, nullptr);
    ::raise(signal);  // delivered as the handler returns
}

}  // namespace tessara
