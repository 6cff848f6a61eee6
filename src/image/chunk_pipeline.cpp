#include "image/chunk_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tessara {

bool pipeChunks(int count, std::size_t bufferBytes, int ring, const ChunkMaker& make,
                const ChunkTaker& take) {
    ring = std::max(ring, 1);
    std::vector<std::vector<char>> buffers(static_cast<std::size_t>(ring),
                                           std::vector<char>(bufferBytes, '\0'));
    std::vector<qint64> sizes(static_cast<std::size_t>(ring), 0);
    std::mutex mutex;
    std::condition_variable changed;
    int made = 0;
    int taken = 0;
    bool stopped = false;
    std::exception_ptr makerFailure;  // ends the stream; passed on to the caller
    auto slot = [ring](int index) { return static_cast<std::size_t>(index % ring); };

    std::thread maker([&] {
        for (int index = 0; index < count; ++index) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || index - taken < ring; });
                if (stopped) {
                    return;
                }
            }
            try {
                sizes[slot(index)] = make(index, buffers[slot(index)].data());
            } catch (...) {
                const std::lock_guard lock(mutex);
                makerFailure = std::current_exception();
                changed.notify_all();
                return;
            }
            {
                const std::lock_guard lock(mutex);
                made = index + 1;
            }
            changed.notify_all();
        }
    });

    bool ok = true;
    std::exception_ptr failure;
    for (int index = 0; index < count && ok; ++index) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return made > index || makerFailure; });
            if (made <= index) {
                break;
            }
        }
        try {
            ok = take(buffers[slot(index)].data(), sizes[slot(index)]);
        } catch (...) {
            failure = std::current_exception();
            ok = false;
        }
        {
            const std::lock_guard lock(mutex);
            taken = index + 1;
            stopped = !ok;
        }
        changed.notify_all();
    }
    maker.join();
    if (makerFailure) {
        std::rethrow_exception(makerFailure);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return ok;
}

}  // namespace tessara
