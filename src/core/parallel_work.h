// Work made of many independent items (the tiles of a photo) spread over the machine's
// processors, while the calling thread reports progress and learns whether the user asked
// to stop.
#pragma once

#include <functional>

namespace tessara {

// Runs work(0) .. work(count - 1), each exactly once, on up to `threads` threads (0: one a
// processor). The calling thread calls `finished(done)` for done = 1 .. count as the items
// end, whichever thread ran them; when that returns false no further item is started, and
// the call returns false once the items begun are done. The first exception an item throws
// is passed on, after every thread has stopped, and no report follows it.
bool runInParallel(int count, const std::function<void(int)>& work,
                   const std::function<bool(int done)>& finished, int threads = 0);

}  // namespace tessara
