#include "photo/printed_fit.h"

#include <QSizeF>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "grid/hex_lattice.h"
#include "grid/lattice_fit.h"
#include "grid/line_cutter.h"
#include "grid/map_darkness.h"

namespace tessara {
namespace {

// Beyond this from the grid's side a line is another one (a road, a contour, the table).
constexpr double kOnSide = 1.0;
constexpr int kPrintedSides = 4;
// The cuts keep clear of the picture's edge, where a cut would run off it.
constexpr double kEdge = 16;

struct SideCut {
    std::array<std::pair<int, int>, 2> hexes;  // the two the side lies between
    LineCrossing crossing;
    QPointF middle;  // of the side, where it was cut
};

// The two hexes each of a cell's sides (kSideEnds) lies between, as steps from the cell.
constexpr std::array<std::array<std::pair<int, int>, 2>, 3> kBetween{
    {{{{1, 0}, {0, 1}}}, {{{0, 0}, {1, 0}}}, {{{0, 0}, {0, 1}}}}};

std::vector<SideCut> sideCuts(const QImage& picture, const GridOptions& options) {
    const double h = *options.hexPixels;
    const LatticeOnPicture l = latticeOf(options, h, QSizeF(picture.size()));
    const HexLattice lattice{l.centre, l.along, l.across + l.along / 2};
    const MapDarkness map(picture);
    const LineCutter cutter(map, h);
    std::vector<SideCut> cuts;
    const int reach = static_cast<int>(std::max(picture.width(), picture.height()) / h) + 2;
    for (int i = -2 * reach; i <= 2 * reach; ++i) {
        for (int j = -2 * reach; j <= 2 * reach; ++j) {
            const QPointF own = lattice.at(QPointF(i, j) + kOwnCorner);
            for (size_t s = 0; s < kSideEnds.size(); ++s) {
                const QPointF side = lattice.at(QPointF(i, j) + kSideEnds[s]) - own;
                const QPointF along = side / std::hypot(side.x(), side.y());
                const QPointF middle = own + side / 2;
                SideCut cut;
                cut.middle = middle;
                if (map.holds(middle, kEdge) &&
                    cutter.measure(middle, along, {-along.y(), along.x()}, cut.crossing)) {
                    for (size_t k = 0; k < 2; ++k) {
                        cut.hexes[k] = {i + kBetween[s][k].first, j + kBetween[s][k].second};
                    }
                    cuts.push_back(cut);
                }
            }
        }
    }
    return cuts;
}

}  // namespace

PrintedFit printedFit(const QImage& picture, const GridOptions& options) {
    const std::vector<SideCut> cuts = sideCuts(picture, options);
    std::vector<LineCrossing> crossings;
    for (const SideCut& cut : cuts) {
        crossings.push_back(cut.crossing);
    }
    const double least = leastContrast(crossings);
    std::vector<double> offsets;
    std::vector<double> onSides;
    std::map<std::pair<int, int>, int> printedSides;
    PrintedFit lines;
    for (const SideCut& cut : cuts) {
        if (cut.crossing.contrast < least) {
            continue;
        }
        offsets.push_back(std::abs(cut.crossing.offset));
        if (std::abs(cut.crossing.offset) <= kOnSide) {
            onSides.push_back(std::abs(cut.crossing.offset));
            if (onSides.back() >= lines.worst) {
                lines.worst = onSides.back();
                lines.worstAt = cut.middle;
            }
            ++printedSides[cut.hexes[0]];
            ++printedSides[cut.hexes[1]];
        }
    }
    std::sort(offsets.begin(), offsets.end());
    std::sort(onSides.begin(), onSides.end());
    lines.median = onSides.empty() ? INFINITY : onSides[onSides.size() / 2];
    lines.cuts = static_cast<int>(offsets.size());
    for (const double d : offsets) {
        lines.mean += d / static_cast<double>(std::max<size_t>(1, offsets.size()));
    }
    lines.ninetyFifth = offsets.empty() ? INFINITY : offsets[offsets.size() * 95 / 100];
    lines.hexes = static_cast<int>(
        std::count_if(printedSides.begin(), printedSides.end(),
                      [](const auto& hex) { return hex.second >= kPrintedSides; }));
    return lines;
}

}  // namespace tessara
