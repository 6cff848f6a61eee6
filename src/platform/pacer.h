// The pace of the drag-pan loop. Between two passes the loop hands control to its pacer,
// which dispatches the application's events as they come (the release that ends the drag
// among them) until the next pass is due. So the loop neither keeps a processor busy nor
// pans faster on a faster machine. The program paces with Qt's event loop and a timer;
// tests count passes with a scripted stand-in.
#pragma once

#include <chrono>
#include <functional>

namespace tessara {

// One pass every 5 ms: 200 passes a second, so that at Medium a press at the edge of the
// viewport crosses the whole range in about two seconds.
inline constexpr std::chrono::milliseconds kDragPassInterval{5};

class Pacer {
  public:
    virtual ~Pacer() = default;
    // Dispatches events until the next pass is due, then every event still pending. Returns
    // early, without dispatching more, as soon as `over` says the loop has ended.
    virtual void awaitNextPass(const std::function<bool()>& over) = 0;
};

}  // namespace tessara
