// Paces a loop with Qt's event loop: between passes the thread sleeps until an event comes
// or a timer says the next pass is due.
#pragma once

#include <chrono>

#include "platform/pacer.h"

namespace tessara {

class QtPacer : public Pacer {
  public:
    // One pass every `interval`; zero runs pass after pass as fast as events are dispatched.
    explicit QtPacer(std::chrono::milliseconds interval = kDragPassInterval);
    void awaitNextPass(const std::function<bool()>& over) override;

  private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point due_{};  // of the next pass
};

}  // namespace tessara
