// The scratch files being written now, known by name to the handlers of the signals that end
// the program, so that a Ctrl-C, a kill or a closed terminal leaves none behind; and a hold
// on those signals for the moment several files are put in place together.
#pragma once

#include <QByteArray>

namespace tessara {

struct ScratchSlot;

// Remembers the name of a scratch file while it lives, for removeScratchFilesAndRaise.
class RememberedScratch {
  public:
    explicit RememberedScratch(const QByteArray& path);
    ~RememberedScratch();
    RememberedScratch(const RememberedScratch&) = delete;
    RememberedScratch& operator=(const RememberedScratch&) = delete;

  private:
    ScratchSlot* slot_ = nullptr;
};

// While one lives, a signal that ends the program (removeScratchFilesAndRaise) waits, on
// whichever thread it comes, and is handled when the last one ends: the few renames that
// put several files in place together all happen before the program ends.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
};

// For the handlers of the signals that end a program (SIGINT, SIGTERM, SIGHUP): removes
// every scratch file remembered, so that none is left beside its target, then ends the
// process by `signal` as its default action does. Safe in a signal handler.
void removeScratchFilesAndRaise(int signal);

}  // namespace tessara
