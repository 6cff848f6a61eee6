// Work made of many independent items (the tiles of a photo) spread over the machine's
// processors, while the calling thread reports progress and learns whether the user asked
// to stop.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

namespace tessara {

// Runs work(0) .. work(count - 1), each exactly once, on up to `threads` threads (0: one a
// processor). The calling thread calls `finished(done)` for done = 1 .. count as the items
// end, whichever thread ran them; when that returns false no further item is started, and
// the call returns false once the items begun are done. The first exception an item throws
// is passed on, after every thread has stopped, and no report follows it.
bool runInParallel(int count, const std::function<void(int)>& work,
                   const std::function<bool(int done)>& finished, int threads = 0);

// Runs work(k, part) for k = 0 .. count - 1 as runInParallel does, each item filling a part
// of its own; the parts joined in the order of k, as one thread going through the items in
// order would have made them.
template <class T>
std::vector<T> joinedInOrder(int count, const std::function<void(int, std::vector<T>&)>& work) {
    std::vector<std::vector<T>> parts(static_cast<size_t>(std::max(count, 0)));
    runInParallel(
        count, [&](int k) { work(k, parts[static_cast<size_t>(k)]); }, [](int) { return true; });
    std::vector<T> all;
    for (const std::vector<T>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

}  // namespace tessara
