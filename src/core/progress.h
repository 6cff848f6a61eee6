// Long work (loading, gridding, saving, exporting, printing a map of hundreds of megapixels)
// says how far it has got, step by step, and learns whether the user asked to stop. The
// window shows it in a progress dialog; everything else passes noProgress().
#pragma once

#include <QString>

namespace tessara {

class Progress {
  public:
    virtual ~Progress() = default;
    // A new step of the work, in words for the user ("Writing tmp.bmp"); it starts at 0.
    virtual void step(const QString& what) = 0;
    // How far the step has got, from 0 to 1. False once the user has asked to stop: work
    // that can stop without changing anything then throws WorkCancelled.
    virtual bool advance(double fraction) = 0;
};

// Raised by work stopped at the user's request; nothing was changed.
struct WorkCancelled {};

// Reports nowhere and never stops.
Progress& noProgress();

// Reports `fraction` of the current step, throwing WorkCancelled when the user asked to stop.
inline void advanceOrStop(Progress& progress, double fraction) {
    if (!progress.advance(fraction)) {
        throw WorkCancelled{};
    }
}

}  // namespace tessara
