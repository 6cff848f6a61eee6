#include "core/parallel_work.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tessara {

bool runInParallel(int count, const std::function<void(int)>& work,
                   const std::function<bool(int done)>& finished, int threads) {
    if (threads <= 0) {
        threads = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    }
    std::mutex lock;
    std::condition_variable changed;
    int next = 0;
    int done = 0;
    bool stop = false;
    std::exception_ptr failure;
    const auto helper = [&] {
        std::unique_lock<std::mutex> held(lock);
        while (!stop && next < count) {
            const int item = next++;
            held.unlock();
            std::exception_ptr thrown;
            try {
                work(item);
            } catch (...) {
                thrown = std::current_exception();
            }
            held.lock();
            if (thrown && !failure) {
                failure = thrown;
                stop = true;
            }
            ++done;
            changed.notify_all();
        }
    };
    std::vector<std::thread> helpers;
    for (int k = 0; k < std::min(threads, count); ++k) {
        helpers.emplace_back(helper);
    }
    // The calling thread only reports, once an item, so that the reports are the same on
    // every run however the items fall to the threads.
    bool going = true;
    {
        std::unique_lock<std::mutex> held(lock);
        for (int reported = 0; reported < count && !stop;) {
            changed.wait(held, [&] { return done > reported || stop; });
            while (reported < done && !stop) {
                ++reported;
                held.unlock();
                const bool on = finished(reported);
                held.lock();
                if (!on) {
                    going = false;
                    stop = true;
                }
            }
        }
    }
    for (std::thread& h : helpers) {
        h.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return going;
}

}  // namespace tessara
