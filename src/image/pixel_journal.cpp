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

void PixelJournal::clear() {
    runs_ = {};  // the memory goes back, not only the contents
    pixels_ = {};
}

}  // namespace tessara
