#include "image/pixel_journal.h"

#include <algorithm>

namespace tessara {

void PixelJournal::restore(QRgb* bits) {
    size_t end = pixels_.size();
    for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
        const auto offset = static_cast<qsizetype>(*run & ((std::uint64_t{1} << kOffsetBits) - 1));
        const auto count = static_cast<size_t>(*run >> kOffsetBits);
        end -= count;
        std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(end), count, bits + offset);
    }
    clear();
}

void PixelJournal::exchange(QRgb* bits, bool newestFirst) {
    const auto swapRun = [&](std::uint64_t run, size_t start) {
        const auto offset = static_cast<qsizetype>(run & ((std::uint64_t{1} << kOffsetBits) - 1));
        const auto count = static_cast<std::ptrdiff_t>(run >> kOffsetBits);
        const auto kept = pixels_.begin() + static_cast<std::ptrdiff_t>(start);
        std::swap_ranges(kept, kept + count, bits + offset);
    };
    if (newestFirst) {
        size_t end = pixels_.size();
        for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
            end -= static_cast<size_t>(*run >> kOffsetBits);
            swapRun(*run, end);
        }
        return;
    }
    size_t start = 0;
    for (const std::uint64_t run : runs_) {
        swapRun(run, start);
        start += static_cast<size_t>(run >> kOffsetBits);
    }
}

void PixelJournal::clear() {
    runs_ = {};  // the memory goes back, not only the contents
    pixels_ = {};
}

}  // namespace tessara
