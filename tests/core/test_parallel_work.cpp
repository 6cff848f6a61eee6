// Independent items spread over threads while the calling thread reports each one's end.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "core/parallel_work.h"

using namespace tessara;

TEST(ParallelWork, EveryItemRunsOnceAndEachEndIsReportedInOrder) {
    const struct {
        int count;
        int threads;
        int stopAt;   // the report that answers stop; 0 for none
        int thrower;  // the item that throws; -1 for none
    } rows[] = {
        {0, 0, 0, -1},   {1, 1, 0, -1},     {1, 4, 0, -1},     {200, 1, 0, -1}, {200, 3, 0, -1},
        {200, 2, 1, -1}, {200, 2, 150, -1}, {200, 2, 200, -1}, {200, 2, 0, 0},  {200, 2, 0, 199},
    };
    for (const auto& row : rows) {
        const auto trace = testing::Message()
                           << row.count << " items on " << row.threads << " threads, stop "
                           << row.stopAt << ", throw " << row.thrower;
        std::vector<std::atomic<int>> runs(static_cast<size_t>(row.count));
        std::vector<int> reports;
        const auto work = [&](int item) {
            ++runs[static_cast<size_t>(item)];
            if (item == row.thrower) {
                throw std::runtime_error("item");
            }
        };
        const auto finished = [&](int done) {
            reports.push_back(done);
            return done != row.stopAt;
        };
        bool going = false;
        bool thrown = false;
        try {
            going = runInParallel(row.count, work, finished, row.threads);
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        EXPECT_EQ(thrown, row.thrower >= 0) << trace;
        EXPECT_EQ(going, row.thrower < 0 && row.stopAt == 0) << trace;
        int ran = 0;
        for (const auto& r : runs) {
            EXPECT_LE(r, 1) << trace;
            ran += r;
        }
        if (row.stopAt == 0 && row.thrower < 0) {
            EXPECT_EQ(ran, row.count) << trace;
        }
        // 1, 2, 3 ... with no report after the stop.
        for (size_t k = 0; k < reports.size(); ++k) {
            EXPECT_EQ(reports[k], static_cast<int>(k) + 1) << trace;
        }
        if (row.stopAt > 0) {
            EXPECT_EQ(static_cast<int>(reports.size()), row.stopAt) << trace;
        }
    }
}
