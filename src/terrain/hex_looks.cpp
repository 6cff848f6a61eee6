#include "terrain/hex_looks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <numeric>

#include "core/parallel_work.h"
#include "terrain/lab_colour.h"

namespace tessara {
namespace {

constexpr double kNumberMargin = 0.03;  // of the hex size, kept clear around a number
constexpr int kParts = kPartsAcross * kPartsAcross;
constexpr double kSmallestPart = 0.3;  // of the largest part: smaller ones are slivers

// A hex's own axes on the picture, and what of it is read.
struct HexFrame {
    QPointF centre;
    QPointF right;  // unit vectors, turned with the grid
    QPointF up;
    std::array<QPointF, 6> inner;  // the inner hexagon's corners
    double reachRight = 0;         // how far the inner hexagon reaches along the axes
    double reachUp = 0;
    double bandLow = 0;  // the box the number takes: distances up from the centre,
    double bandHigh = 0;
    double bandHalfWidth = 0;  // and either side of it
};

double dot(QPointF a, QPointF b) {
    return a.x() * b.x() + a.y() * b.y();
}

HexFrame frameOf(const GridLayout& grid, const HexNumbering& numbering, const MapHex& hex) {
    HexFrame frame;
    frame.centre = hex.centre;
    const double turn = grid.options.rotation * std::numbers::pi / 180;
    frame.right = {std::cos(turn), std::sin(turn)};
    frame.up = {std::sin(turn), -std::cos(turn)};
    const std::array<QPointF, 6> corners = hexCorners(grid, hex.hex.line, hex.hex.cell);
    const QPointF placed = hexCentre(grid, hex.hex.line, hex.hex.cell);
    for (size_t k = 0; k < corners.size(); ++k) {
        const QPointF spoke = (corners[k] - placed) * kInnerShare;
        frame.inner[k] = hex.centre + spoke;
        frame.reachRight = std::max(frame.reachRight, std::abs(dot(spoke, frame.right)));
        frame.reachUp = std::max(frame.reachUp, std::abs(dot(spoke, frame.up)));
    }
    const double size = numberSize(grid, numbering);
    const double clear = size / 2 + kNumberMargin * grid.hexSize;
    const double middle =
        dot(labelMiddle(grid, numbering, hex.centre, size) - hex.centre, frame.up);
    // Digits are about 0.6 of their height wide in the usual fonts.
    frame.bandHalfWidth =
        0.3 * size * static_cast<double>(hex.number.size()) + kNumberMargin * grid.hexSize;
    switch (numbering.position) {
        case NumberPosition::Top:
            frame.bandLow = middle - clear;
            frame.bandHigh = INFINITY;
            break;
        case NumberPosition::Bottom:
            frame.bandLow = -INFINITY;
            frame.bandHigh = middle + clear;
            break;
        case NumberPosition::Centre:
            frame.bandLow = -clear;
            frame.bandHigh = clear;
            break;
    }
    return frame;
}

// Where a horizontal line crosses the inner hexagon, which is convex.
bool crossing(const HexFrame& frame, double y, double& from, double& to) {
    from = INFINITY;
    to = -INFINITY;
    for (size_t k = 0; k < frame.inner.size(); ++k) {
        const QPointF a = frame.inner[k];
        const QPointF b = frame.inner[(k + 1) % frame.inner.size()];
        if ((a.y() <= y) == (b.y() <= y)) {
            continue;
        }
        const double x = a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
        from = std::min(from, x);
        to = std::max(to, x);
    }
    return from <= to;
}

QRgb pixelAt(const QImage& picture, int x, int y) {
    if (picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32) {
        return reinterpret_cast<const QRgb*>(picture.constScanLine(y))[x];
    }
    return picture.pixel(x, y);
}

// Pixels of a row, first to last.
struct PixelRun {
    int y = 0;
    int first = 0;
    int last = 0;
};

// The Lab colours of the pixels a hex reads, and of those right of and below them, for
// the change to the next pixel: in a box one column and row wider than the rows read,
// within the picture. The rest of the box, outside the inner hexagon or under the number,
// is never worked out.
class LabBox {
  public:
    // The runs read, row after row and left to right in a row.
    void read(const QImage& picture, QRect box, const std::vector<PixelRun>& runs) {
        wide_ = box.adjusted(0, 0, 1, 1) & picture.rect();
        colours_.resize(std::max(colours_.size(), static_cast<size_t>(wide_.width()) *
                                                      static_cast<size_t>(wide_.height())));
        size_t above = 0;  // the first run of the row above
        for (int y = wide_.top(); y <= wide_.bottom(); ++y) {
            while (above < runs.size() && runs[above].y < y - 1) {
                ++above;
            }
            // A row's own runs and the pixel after each, and the runs of the row above.
            needed_.clear();
            for (size_t i = above; i < runs.size() && runs[i].y <= y; ++i) {
                needed_.push_back(
                    {y, runs[i].first, runs[i].y == y ? runs[i].last + 1 : runs[i].last});
            }
            std::sort(needed_.begin(), needed_.end(),
                      [](const PixelRun& a, const PixelRun& b) { return a.first < b.first; });
            for (size_t i = 0; i < needed_.size();) {
                int last = needed_[i].last;
                size_t next = i + 1;
                for (; next < needed_.size() && needed_[next].first <= last + 1; ++next) {
                    last = std::max(last, needed_[next].last);
                }
                readRow(picture, y, std::max(needed_[i].first, wide_.left()),
                        std::min(last, wide_.right()));
                i = next;
            }
        }
    }
    int left() const { return wide_.left(); }
    int right() const { return wide_.right(); }
    // Row y's colours from column left(); none past the last row.
    const LabColour* row(int y) const {
        return y <= wide_.bottom() ? &colours_[index(wide_.left(), y)] : nullptr;
    }

  private:
    void readRow(const QImage& picture, int y, int first, int last) {
        if (first > last) {
            return;
        }
        const auto count = static_cast<size_t>(last - first + 1);
        LabColour* const to = &colours_[index(first, y)];
        if (picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32) {
            toLab(reinterpret_cast<const QRgb*>(picture.constScanLine(y)) + first, count, to);
            return;
        }
        row_.resize(count);
        for (int x = first; x <= last; ++x) {
            row_[static_cast<size_t>(x - first)] = picture.pixel(x, y);
        }
        toLab(row_.data(), count, to);
    }
    size_t index(int x, int y) const {
        return static_cast<size_t>(y - wide_.top()) * static_cast<size_t>(wide_.width()) +
               static_cast<size_t>(x - wide_.left());
    }
    QRect wide_;
    std::vector<LabColour> colours_;
    std::vector<PixelRun> needed_;  // of one row
    std::vector<QRgb> row_;         // the pixels of a picture of another format
};

// The pixels of a hex read so far, part by part: their colours, channel by channel, and the
// sums of the changes of lightness. Each part has room for every pixel of the box, so that
// adding one is a store and a count.
struct HexPixels {
    std::array<std::vector<float>, 3> lab;  // [channel]: part p's from p * room
    size_t room = 0;
    std::array<size_t, kParts> count{};
    std::array<double, kParts> change{};
    std::array<std::array<float, kParts>, 3> median{};  // [channel][part]
    MedianFinder medians;
    std::vector<PixelRun> runs;  // read in the box about the inner hexagon
    LabBox colours;

    void clear(size_t most) {
        room = most;
        for (std::vector<float>& channel : lab) {
            channel.resize(std::max(channel.size(), kParts * room));
        }
        count.fill(0);
        change.fill(0);
    }
    void add(size_t part, const LabColour& c, float toNext) {
        const size_t at = part * room + count[part]++;
        lab[0][at] = c.l;
        lab[1][at] = c.a;
        lab[2][at] = c.b;
        change[part] += toNext;
    }
    std::span<const float> values(size_t channel, size_t part) const {
        return {lab[channel].data() + part * room, count[part]};
    }
    void findMedians() {
        for (size_t channel = 0; channel < 3; ++channel) {
            for (size_t part = 0; part < kParts; ++part) {
                median[channel][part] = count[part] == 0 ? 0 : medians.of(values(channel, part));
            }
        }
    }
    // Once the medians are found.
    Look partLook(size_t part) const {
        return {median[0][part], median[1][part], median[2][part],
                static_cast<float>(change[part] / static_cast<double>(count[part]))};
    }
};

QRect boxOf(const HexFrame& frame) {
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (const QPointF corner : frame.inner) {
        left = std::min(left, corner.x());
        right = std::max(right, corner.x());
        top = std::min(top, corner.y());
        bottom = std::max(bottom, corner.y());
    }
    return QRect(QPoint(static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top))),
                 QPoint(static_cast<int>(std::floor(right)), static_cast<int>(std::floor(bottom))));
}

inline int partOf(const HexFrame& frame, QPointF spoke) {
    const auto slot = [](double along, double reach) {
        // Cut towards 0 rather than floored: below 0, both are clamped to 0.
        const int i = static_cast<int>((along + reach) / (2 * reach) * kPartsAcross);
        return std::clamp(i, 0, kPartsAcross - 1);
    };
    return slot(dot(spoke, frame.right), frame.reachRight) +
           kPartsAcross * slot(dot(spoke, frame.up), frame.reachUp);
}

// The colour of a hex is the median of all the pixels read, which a road or a name across
// it moves less than it moves the parts it crosses; its texture, the median of its parts'.
Look wholeLook(HexPixels& pixels, const std::vector<Look>& parts) {
    Look whole{};
    const bool any = std::any_of(pixels.count.begin(), pixels.count.end(),
                                 [](size_t count) { return count > 0; });
    for (size_t channel = 0; channel < 3; ++channel) {
        std::array<std::span<const float>, kParts> sets;
        for (size_t part = 0; part < kParts; ++part) {
            sets[part] = pixels.values(channel, part);
        }
        whole[channel] =
            any ? pixels.medians.ofAll(sets, pixels.median[channel]) : parts.front()[channel];
    }
    std::vector<float> textures;
    for (const Look& part : parts) {
        textures.push_back(part[3]);
    }
    whole[3] = pixels.medians.of(textures);
    return whole;
}

// How much of the whole hex each part stands for: the points of the hex that fall in it,
// the ring outside the inner hexagon going to the parts along its edge. Counted on a
// lattice of points, the same for every hex of a grid however it is turned.
std::array<float, kParts> partWeights(const HexFrame& frame) {
    constexpr int kLattice = 24;
    std::array<QPointF, 6> whole;
    double reach = 0;
    for (size_t k = 0; k < whole.size(); ++k) {
        whole[k] = (frame.inner[k] - frame.centre) / kInnerShare;
        reach = std::max({reach, std::abs(whole[k].x()), std::abs(whole[k].y())});
    }
    std::array<float, kParts> weights{};
    for (int i = 0; i < kLattice; ++i) {
        for (int j = 0; j < kLattice; ++j) {
            const QPointF spoke(reach * (2 * (i + 0.5) / kLattice - 1),
                                reach * (2 * (j + 0.5) / kLattice - 1));
            if (insideHexagon(whole, spoke)) {
                weights[static_cast<size_t>(partOf(frame, spoke))] += 1;
            }
        }
    }
    return weights;
}

bool underNumber(const HexFrame& frame, QPointF spoke) {
    const double up = dot(spoke, frame.up);
    return up >= frame.bandLow && up <= frame.bandHigh &&
           std::abs(dot(spoke, frame.right)) <= frame.bandHalfWidth;
}

// The pixels the hex reads: those of the inner hexagon but those of the number's box.
void findRuns(const HexFrame& frame, QRect box, std::vector<PixelRun>& runs) {
    runs.clear();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        double from = 0, to = 0;
        if (!crossing(frame, y + 0.5, from, to)) {
            continue;
        }
        const int first = std::max(box.left(), static_cast<int>(std::ceil(from - 0.5)));
        const int last = std::min(box.right(), static_cast<int>(std::floor(to - 0.5)));
        for (int x = first; x <= last; ++x) {
            if (underNumber(frame, QPointF(x + 0.5, y + 0.5) - frame.centre)) {
                continue;
            }
            if (!runs.empty() && runs.back().y == y && runs.back().last == x - 1) {
                runs.back().last = x;
            } else {
                runs.push_back({y, x, x});
            }
        }
    }
}

void addRun(const HexFrame& frame, PixelRun run, HexPixels& pixels) {
    const LabColour* const here = pixels.colours.row(run.y);
    const LabColour* const below = pixels.colours.row(run.y + 1);
    const int left = pixels.colours.left(), right = pixels.colours.right();
    for (int x = run.first; x <= run.last; ++x) {
        const auto i = static_cast<size_t>(x - left);
        const float l = here[i].l;
        float toNext = 0;
        if (x < right) {
            toNext += std::abs(here[i + 1].l - l);
        }
        if (below != nullptr) {
            toNext += std::abs(below[i].l - l);
        }
        const QPointF spoke = QPointF(x + 0.5, run.y + 0.5) - frame.centre;
        pixels.add(static_cast<size_t>(partOf(frame, spoke)), here[i], toNext);
    }
}

HexLook lookOf(const QImage& picture, const HexFrame& frame,
               const std::array<float, kParts>& weights, HexPixels& pixels) {
    const QRect box = boxOf(frame) & picture.rect();
    findRuns(frame, box, pixels.runs);
    pixels.colours.read(picture, box, pixels.runs);
    pixels.clear(static_cast<size_t>(box.width()) * static_cast<size_t>(box.height()));
    for (const PixelRun& run : pixels.runs) {
        addRun(frame, run, pixels);
    }
    const size_t largest = *std::max_element(pixels.count.begin(), pixels.count.end());
    pixels.findMedians();
    HexLook look;
    for (size_t i = 0; i < kParts; ++i) {
        if (pixels.count[i] > 0 &&
            static_cast<double>(pixels.count[i]) >= kSmallestPart * largest) {
            look.parts.push_back(pixels.partLook(i));
            look.weights.push_back(weights[i]);
        }
    }
    const float total = std::accumulate(look.weights.begin(), look.weights.end(), 0.0F);
    for (float& weight : look.weights) {
        weight = total > 0 ? weight / total : 1.0F / static_cast<float>(look.weights.size());
    }
    if (look.parts.empty()) {
        // A hex too small for its inner hexagon to hold a pixel: its centre pixel it is.
        const QPoint at = frame.centre.toPoint();
        const LabColour c = toLab(pixelAt(picture, std::clamp(at.x(), 0, picture.width() - 1),
                                          std::clamp(at.y(), 0, picture.height() - 1)));
        look.parts.push_back({c.l, c.a, c.b, 0});
        look.weights.push_back(1);
    }
    look.whole = wholeLook(pixels, look.parts);
    return look;
}

}  // namespace

std::vector<HexLook> readHexLooks(const QImage& picture, const GridLayout& layout,
                                  const HexNumbering& numbering, const std::vector<MapHex>& hexes) {
    const GridLayout grid = cornersGrid(layout);
    std::vector<HexLook> looks(hexes.size());
    if (hexes.empty()) {
        return looks;
    }
    // The hexes of a grid all have one shape, so their parts stand for the same shares.
    const std::array<float, kParts> weights = partWeights(frameOf(grid, numbering, hexes.front()));
    // Hexes are read apart from each other, a few hundred at a time on each processor.
    constexpr size_t kChunk = 256;
    const auto chunks = static_cast<int>((hexes.size() + kChunk - 1) / kChunk);
    runInParallel(
        chunks,
        [&](int chunk) {
            HexPixels pixels;
            const size_t first = static_cast<size_t>(chunk) * kChunk;
            for (size_t i = first; i < std::min(hexes.size(), first + kChunk); ++i) {
                looks[i] = lookOf(picture, frameOf(grid, numbering, hexes[i]), weights, pixels);
            }
        },
        [](int) { return true; });
    return looks;
}

float medianOf(std::span<const float> values) {
    return MedianFinder().of(values);
}

float MedianFinder::of(std::span<const float> values) {
    return nth(values, values.size() / 2);
}

// The median lies between the least and the greatest of the sets' medians: at least half
// the values are at most the greatest (half of each set's), and at least half are at least
// the least. So only the values between those two need be ordered.
float MedianFinder::ofAll(std::span<const std::span<const float>> sets,
                          std::span<const float> medians) {
    float least = INFINITY, greatest = -INFINITY;
    size_t count = 0;
    for (size_t i = 0; i < sets.size(); ++i) {
        if (!sets[i].empty()) {
            least = std::min(least, medians[i]);
            greatest = std::max(greatest, medians[i]);
            count += sets[i].size();
        }
    }
    between_.resize(std::max(between_.size(), count));
    size_t below = 0, kept = 0;
    for (const std::span<const float> set : sets) {
        for (const float value : set) {
            // Written whether kept or not: a branch here would be mispredicted often.
            below += value < least ? 1 : 0;
            between_[kept] = value;
            kept += (value >= least) & (value <= greatest) ? 1 : 0;
        }
    }
    return nth({between_.data(), kept}, count / 2 - below);
}

// Quickselect, each round splitting the values into the lesser and the greater than the
// pivot, in scratch_, without a branch on how they compare: the colours of a part's pixels,
// scattered about its median, would have the processor guess wrong half the time. Those
// equal to the pivot are left out, which ends a flat colour's search at once. Pivots chosen
// badly round after round hand the rest to std::nth_element, whose worst is n log n.
float MedianFinder::nth(std::span<const float> values, size_t k) {
    const size_t count = values.size();
    scratch_.resize(std::max(scratch_.size(), 4 * count));
    // Each round reads what the last one kept and splits it into the other half of scratch_.
    float* into = scratch_.data();
    float* spare = scratch_.data() + 2 * count;
    const float* from = values.data();
    float* kept = nullptr;
    size_t n = count;
    for (auto rounds = 2 * static_cast<int>(std::bit_width(count)); rounds > 0; --rounds) {
        const float a = from[0], b = from[n / 2], c = from[n - 1];
        const float pivot = std::max(std::min(a, b), std::min(std::max(a, b), c));
        float* const lesser = into;
        float* const greater = into + count;
        size_t less = 0, more = 0;
        for (size_t i = 0; i < n; ++i) {
            const float value = from[i];
            lesser[less] = value;
            less += value < pivot ? 1 : 0;
            greater[more] = value;
            more += value > pivot ? 1 : 0;
        }
        if (k < less) {
            kept = lesser;
            n = less;
        } else if (k < n - more) {
            return pivot;
        } else {
            k -= n - more;
            kept = greater;
            n = more;
        }
        from = kept;
        std::swap(into, spare);
    }
    std::nth_element(kept, kept + k, kept + n);
    return kept[k];
}

float lookDistance(const Look& a, const Look& b) {
    float sum = 0;
    for (size_t i = 0; i < kLookSize; ++i) {
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    }
    return sum;
}

bool insideHexagon(const std::array<QPointF, 6>& corners, QPointF point) {
    bool left = false, right = false;
    for (size_t k = 0; k < corners.size(); ++k) {
        const QPointF a = corners[k];
        const QPointF edge = corners[(k + 1) % corners.size()] - a;
        const double cross = edge.x() * (point.y() - a.y()) - edge.y() * (point.x() - a.x());
        left = left || cross < 0;
        right = right || cross > 0;
    }
    return !(left && right);
}

}  // namespace tessara
