#include "photo/photo_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/parallel_work.h"
#include "grid/hex_lattice.h"
#include "grid/line_cutter.h"
#include "grid/map_darkness.h"
#include "photo/photo_fit.h"

namespace tessara {
namespace {

constexpr int kMostCuts = 12000;
constexpr int kMostPasses = 8;
constexpr double kSettled = 0.01;  // pixels the outline moves by in the last pass
constexpr int kFewestNear = 20;
constexpr double kNearShare = 0.7;
constexpr double kNear = 0.5;  // pixels

double length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

struct Cut {
    QPointF lattice;
    QPointF at;
    QPointF normal;
    double offset = 0;
    double contrast = 0;  // 0: no line along the side here
    int side = 0;
};

// Measures the line across the side at cut.at; a contrast of 0 where none runs along it.
void measure(const LineCutter& cutter, QPointF along, Cut& cut) {
    LineCrossing crossing;
    const bool found = cutter.measure(cut.at, along, cut.normal, crossing);
    cut.offset = found ? crossing.offset : cut.offset;
    cut.contrast = found ? crossing.contrast : 0;
}

// Cuts across the three sides every cell owns, for the cells in `cells` (every few lines
// and cells when there are many), wherever the model puts them on the photo.
std::vector<Cut> cutsOf(const MapDarkness& map, const PhotoGrid& grid, const QRectF& cells) {
    const int firstI = static_cast<int>(std::floor(cells.left()));
    const int lastI = static_cast<int>(std::ceil(cells.right()));
    const int firstJ = static_cast<int>(std::floor(cells.top()));
    const int lastJ = static_cast<int>(std::ceil(cells.bottom()));
    const double all = 3.0 * 3 * (lastI - firstI + 1) * (lastJ - firstJ + 1);
    const int every = std::max(1, static_cast<int>(std::ceil(std::sqrt(all / kMostCuts))));
    // A row of cells to a processor, the rows' cuts then taken in order: the same cuts as
    // one thread makes.
    const int rows = lastJ >= firstJ ? (lastJ - firstJ) / every + 1 : 0;
    return joinedInOrder<Cut>(rows, [&](int row, std::vector<Cut>& cuts) {
        const int j = firstJ + row * every;
        for (int i = firstI; i <= lastI; i += every) {
            const QPointF own = QPointF(i, j) + kOwnCorner;
            const std::optional<QPointF> from = grid.toPhoto(own);
            const std::optional<QPointF> next = grid.toPhoto(QPointF(i + 1, j));
            const std::optional<QPointF> centre = grid.toPhoto(QPointF(i, j));
            if (!from || !next || !centre || !map.holds(*from, 1)) {
                continue;
            }
            const LineCutter cutter(map, length(*next - *centre));
            for (int s = 0; s < 3; ++s) {
                const QPointF end = QPointF(i, j) + kSideEnds[static_cast<size_t>(s)];
                const std::optional<QPointF> to = grid.toPhoto(end);
                if (!to) {
                    continue;
                }
                const double side = length(*to - *from);
                const QPointF along = (*to - *from) / side;
                for (const double place : cutter.places(side)) {
                    Cut cut;
                    cut.side = s;
                    cut.lattice = own + place * (end - own);
                    const std::optional<QPointF> at = grid.toPhoto(cut.lattice);
                    if (!at || !map.holds(*at, cutter.half() + cutter.spread() + 2)) {
                        continue;
                    }
                    cut.at = *at;
                    cut.normal = QPointF(-along.y(), along.x());
                    measure(cutter, along, cut);
                    cuts.push_back(cut);
                }
            }
        }
    });
}

// How far the outline moved between two grids, at the cuts.
double largestMove(const PhotoGrid& before, const PhotoGrid& after, const std::vector<Cut>& cuts) {
    double most = 0;
    for (const Cut& cut : cuts) {
        const std::optional<QPointF> a = before.toPhoto(cut.lattice);
        const std::optional<QPointF> b = after.toPhoto(cut.lattice);
        most = a && b ? std::max(most, length(*b - *a)) : INFINITY;
    }
    return most;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return INFINITY;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(share * values.size()))];
}

}  // namespace

std::optional<LineFit> fitPhotoLines(const MapDarkness& photo, const PhotoGrid& start,
                                     const QRectF& cells, Progress& progress, double fromFraction,
                                     double toFraction) {
    PhotoGrid grid = start;
    double least = -1;
    std::vector<Cut> cuts;
    FitReport report;
    for (int pass = 0; pass < kMostPasses; ++pass) {
        cuts = cutsOf(photo, grid, cells);
        if (least < 0) {
            least = leastContrast(cuts);
        }
        std::vector<Observation> seen;
        for (const Cut& cut : cuts) {
            if (cut.contrast >= least) {
                seen.push_back({cut.lattice, cut.normal,
                                QPointF::dotProduct(cut.normal, cut.at) + cut.offset});
            }
        }
        // The lens term waits until the homography has drawn the outline onto the lines.
        std::optional<PhotoGrid> fitted =
            fitObservations(grid, seen, Loss::Tukey, 0.25, 4, pass > 0);
        // A warped grid's mesh then follows what the nine numbers leave, they held.
        if (fitted && !fitted->warp.empty()) {
            fitted = fitWarpObservations(*fitted, seen, Loss::Tukey, 0.25, 2);
        }
        if (!fitted) {
            return std::nullopt;
        }
        const double moved = largestMove(grid, *fitted, cuts);
        grid = *fitted;
        advanceOrStop(progress,
                      fromFraction + (toFraction - fromFraction) * (pass + 1) / kMostPasses);
        if (pass > 1 && moved < kSettled) {
            break;
        }
    }
    // The lines measured once more on the settled outline: how many it runs along.
    cuts = cutsOf(photo, grid, cells);
    std::array<int, 3> clear{};
    std::array<int, 3> near{};
    std::vector<double> distances;
    for (const Cut& cut : cuts) {
        if (cut.contrast >= least) {
            const auto s = static_cast<size_t>(cut.side);
            ++clear[s];
            near[s] += std::abs(cut.offset) < kNear ? 1 : 0;
            distances.push_back(std::abs(cut.offset));
        }
    }
    for (size_t s = 0; s < 3; ++s) {
        if (near[s] < kFewestNear || near[s] < kNearShare * clear[s]) {
            return std::nullopt;
        }
    }
    return LineFit{grid, near[0] + near[1] + near[2], percentile(distances, 0.5),
                   percentile(distances, 0.95)};
}

}  // namespace tessara
