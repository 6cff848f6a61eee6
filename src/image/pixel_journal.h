// What a drawing made in place covered: the pixels as they were before each write, so that
// the drawing can be taken back without a copy of the whole picture.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

namespace tessara {

class PixelJournal {
  public:
    // Keeps the `count` pixels from `at` on, which lies `offset` pixels into the picture,
    // before they are written over.
    void keep(const QRgb* at, qsizetype offset, int count) {
        runs_.push_back(static_cast<std::uint64_t>(offset) | static_cast<std::uint64_t>(count)
                                                                 << kOffsetBits);
        pixels_.insert(pixels_.end(), at, at + count);
    }
    // Puts every kept pixel back into the picture whose first pixel is `bits`, and forgets
    // them. The oldest copy of a pixel written twice is put back last.
    void restore(QRgb* bits);
    // Exchanges every kept pixel with the picture's, keeping what the picture held instead.
    // Newest first takes a drawing back (the oldest copy of a pixel written twice lands
    // last); done again oldest first, it puts the drawing back: an undo and its redo.
    void exchange(QRgb* bits, bool newestFirst);
    bool empty() const { return runs_.empty(); }
    void clear();
    // Memory the kept pixels take.
    size_t bytes() const {
        return runs_.size() * sizeof(std::uint64_t) + pixels_.size() * sizeof(QRgb);
    }

  private:
    // A run is its offset (a picture of 32767 x 32767 has fewer than 2^30 pixels) and, above
    // it, its length: eight bytes, as a grid keeps a million runs of a few pixels each.
    static constexpr int kOffsetBits = 40;
    std::vector<std::uint64_t> runs_;
    std::vector<QRgb> pixels_;
};

}  // namespace tessara
