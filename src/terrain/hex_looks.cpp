#include "terrain/hex_looks.h"

#include <algorithm>
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

// The pixels of one part: their colours, and the sum of the changes of lightness.
struct PartPixels {
    std::array<std::vector<float>, 3> lab;
    double change = 0;

    void clear() {
        for (auto& channel : lab) {
            channel.clear();
        }
        change = 0;
    }
    size_t count() const { return lab[0].size(); }
    Look look() {
        const auto n = static_cast<double>(count());
        return {medianOf(lab[0]), medianOf(lab[1]), medianOf(lab[2]),
                static_cast<float>(change / n)};
    }
};

// The Lab colours of a box of the picture, with one more column and row where the picture
// has them, for the change to the next pixel.
class LabBox {
  public:
    LabBox(const QImage& picture, QRect box) : wide_(box.adjusted(0, 0, 1, 1) & picture.rect()) {
        colours_.resize(static_cast<size_t>(wide_.width()) * static_cast<size_t>(wide_.height()));
        for (int y = wide_.top(); y <= wide_.bottom(); ++y) {
            for (int x = wide_.left(); x <= wide_.right(); ++x) {
                colours_[index(x, y)] = toLab(pixelAt(picture, x, y));
            }
        }
    }
    const LabColour& at(int x, int y) const { return colours_[index(x, y)]; }
    // How much lightness changes to the pixels right of and below (x, y).
    float change(int x, int y) const {
        const float l = at(x, y).l;
        float sum = 0;
        if (x < wide_.right()) {
            sum += std::abs(at(x + 1, y).l - l);
        }
        if (y < wide_.bottom()) {
            sum += std::abs(at(x, y + 1).l - l);
        }
        return sum;
    }

  private:
    size_t index(int x, int y) const {
        return static_cast<size_t>(y - wide_.top()) * static_cast<size_t>(wide_.width()) +
               static_cast<size_t>(x - wide_.left());
    }
    QRect wide_;
    std::vector<LabColour> colours_;
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

int partOf(const HexFrame& frame, QPointF spoke) {
    const auto slot = [](double along, double reach) {
        const int i = static_cast<int>(std::floor((along + reach) / (2 * reach) * kPartsAcross));
        return std::clamp(i, 0, kPartsAcross - 1);
    };
    return slot(dot(spoke, frame.right), frame.reachRight) +
           kPartsAcross * slot(dot(spoke, frame.up), frame.reachUp);
}

// The colour of a hex is the median of all the pixels read, which a road or a name across
// it moves less than it moves the parts it crosses; its texture, the median of its parts'.
Look wholeLook(std::array<PartPixels, kParts>& pixels, const std::vector<Look>& parts) {
    Look whole{};
    std::vector<float> values;
    for (size_t channel = 0; channel < 3; ++channel) {
        values.clear();
        for (const PartPixels& part : pixels) {
            values.insert(values.end(), part.lab[channel].begin(), part.lab[channel].end());
        }
        whole[channel] = values.empty() ? parts.front()[channel] : medianOf(values);
    }
    values.clear();
    for (const Look& part : parts) {
        values.push_back(part[3]);
    }
    whole[3] = medianOf(values);
    return whole;
}

bool inside(const std::array<QPointF, 6>& corners, QPointF point) {
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
            if (inside(whole, spoke)) {
                weights[static_cast<size_t>(partOf(frame, spoke))] += 1;
            }
        }
    }
    return weights;
}

HexLook lookOf(const QImage& picture, const HexFrame& frame,
               const std::array<float, kParts>& weights, std::array<PartPixels, kParts>& parts) {
    for (PartPixels& part : parts) {
        part.clear();
    }
    const QRect box = boxOf(frame) & picture.rect();
    const LabBox colours(picture, box);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        double from = 0, to = 0;
        if (!crossing(frame, y + 0.5, from, to)) {
            continue;
        }
        const int first = std::max(box.left(), static_cast<int>(std::ceil(from - 0.5)));
        const int last = std::min(box.right(), static_cast<int>(std::floor(to - 0.5)));
        for (int x = first; x <= last; ++x) {
            const QPointF spoke = QPointF(x + 0.5, y + 0.5) - frame.centre;
            const double up = dot(spoke, frame.up);
            if (up >= frame.bandLow && up <= frame.bandHigh &&
                std::abs(dot(spoke, frame.right)) <= frame.bandHalfWidth) {
                continue;
            }
            PartPixels& part = parts[static_cast<size_t>(partOf(frame, spoke))];
            const LabColour& c = colours.at(x, y);
            part.lab[0].push_back(c.l);
            part.lab[1].push_back(c.a);
            part.lab[2].push_back(c.b);
            part.change += colours.change(x, y);
        }
    }
    size_t largest = 0;
    for (const PartPixels& part : parts) {
        largest = std::max(largest, part.count());
    }
    HexLook look;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].count() > 0 &&
            static_cast<double>(parts[i].count()) >= kSmallestPart * largest) {
            look.parts.push_back(parts[i].look());
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
    look.whole = wholeLook(parts, look.parts);
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
            std::array<PartPixels, kParts> parts;
            const size_t first = static_cast<size_t>(chunk) * kChunk;
            for (size_t i = first; i < std::min(hexes.size(), first + kChunk); ++i) {
                looks[i] = lookOf(picture, frameOf(grid, numbering, hexes[i]), weights, parts);
            }
        },
        [](int) { return true; });
    return looks;
}

float medianOf(std::vector<float>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

float lookDistance(const Look& a, const Look& b) {
    float sum = 0;
    for (size_t i = 0; i < kLookSize; ++i) {
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    }
    return sum;
}

}  // namespace tessara
