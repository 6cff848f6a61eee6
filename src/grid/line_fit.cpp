#include "grid/line_fit.h"

#include <QLineF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/parallel_work.h"
#include "grid/lattice_vectors.h"
#include "grid/line_cutter.h"
#include "grid/map_darkness.h"

namespace tessara {
namespace {

// A pass over the whole picture measures at most this many cuts, one over a smaller circle a
// third as many; the last round makes passes until the outline moves by less than kSettled
// pixels anywhere on the picture, at most kLastPasses.
constexpr int kMostCuts = 8000;
constexpr int kLastPasses = 4;
constexpr double kSettled = 0.01;
constexpr double kGrowth = 2.5;  // the circle's radius from one round to the next
// A printed grid's lines are found by this many cuts at least along each direction of
// sides, and by this share of the cuts that cross a clear line.
constexpr int kFewestNear = 20;
// Six numbers are fitted to no fewer cuts than this.
constexpr int kFewestCuts = 30;
constexpr double kNearShare = 0.7;
// The grid found must explain most of the printed lines, not those of one part of a sheet
// that holds two grids. The picture is cut into kTiles x kTiles tiles; in a tile that fits
// the grid nearly all the cuts that cross a line find it on the outline, in one of another
// grid almost none, so a tile fits when kTileFit of them do. Of the lines printed, found at
// kProbes x kProbes points a tile whatever grid they belong to, the tiles that fit must hold
// kLeastExplained. Every scan of one grid the tests draw has all its lines in tiles that fit,
// margins, titles, labels, roads and woods and all; two grids side by side leave a third
// of the lines or more outside them, whichever of the two is found. The share between keeps
// room for a legend or a table printed on a map beside its grid.
constexpr int kTiles = 4;
constexpr int kProbes = 12;
constexpr double kTileFit = 0.4;
constexpr double kLeastExplained = 0.75;

// One cut across a side: where its printed line's centre lies from the predicted one.
struct Cut {
    QPointF lattice;  // the cut's middle in lattice coordinates
    QPointF at;       // and in picture pixels
    QPointF normal;   // across the side, unit length, in picture pixels
    double offset = 0;
    double contrast = 0;  // the line's darkness above the paper's beside it; 0 for no line
    // The same for any line that crosses the cut, whether it runs along the side or not: a
    // line printed there, which the grid may or may not explain.
    double seen = 0;
    int side = 0;  // which of the three directions of sides
};

// Measures the printed line across the side at `at` into the cut: the darkness of any line
// crossing it always, its offset and normal only when a line runs along the side.
bool measure(const LineCutter& cutter, QPointF at, QPointF along, QPointF normal, Cut& cut) {
    LineCrossing crossing;
    const bool found = cutter.measure(at, along, normal, crossing);
    cut.seen = crossing.seen;
    if (found) {
        cut.offset = crossing.offset;
        cut.contrast = crossing.contrast;
        cut.normal = normal;
    }
    return found;
}

// Cuts across every side whose own corner lies within `radius` of `centre`; on a large
// circle only the cells of every few lines and along every few cells, evenly spread.
std::vector<Cut> cutsWithin(const MapDarkness& map, const LineCutter& cutter,
                            const HexLattice& lattice, QPointF centre, double radius, int most) {
    // The circle's square, cut to the picture, in lattice coordinates.
    const QRectF square = QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius))
                              .intersected(QRectF(0, 0, map.width(), map.height()));
    double lowI = INFINITY, highI = -INFINITY, lowJ = INFINITY, highJ = -INFINITY;
    for (const QPointF corner :
         {square.topLeft(), square.topRight(), square.bottomLeft(), square.bottomRight()}) {
        const QPointF c = lattice.coordinatesOf(corner);
        lowI = std::min(lowI, c.x());
        highI = std::max(highI, c.x());
        lowJ = std::min(lowJ, c.y());
        highJ = std::max(highJ, c.y());
    }
    const int firstI = static_cast<int>(std::floor(lowI)) - 1;
    const int firstJ = static_cast<int>(std::floor(lowJ)) - 1;
    const int lastI = static_cast<int>(std::ceil(highI)) + 1;
    const int lastJ = static_cast<int>(std::ceil(highJ)) + 1;
    const double side = length(lattice.a) / std::sqrt(3.0);
    const std::vector<double> places = cutter.places(side);
    const double cells =
        std::min(std::numbers::pi * radius * radius, square.width() * square.height()) /
        lattice.cellArea();
    const int every = std::max(1, static_cast<int>(std::ceil(std::sqrt(
                                      cells * 3 * static_cast<double>(places.size()) / most))));
    // A row of cells to a processor, the rows' cuts then taken in order: the same cuts as
    // one thread makes.
    const int rows = lastJ >= firstJ ? (lastJ - firstJ) / every + 1 : 0;
    return joinedInOrder<Cut>(rows, [&](int row, std::vector<Cut>& cuts) {
        const int j = firstJ + row * every;
        for (int i = firstI; i <= lastI; i += every) {
            const QPointF own = QPointF(i, j) + kOwnCorner;
            if (length(lattice.at(own) - centre) > radius) {
                continue;
            }
            for (int s = 0; s < 3; ++s) {
                const QPointF end = QPointF(i, j) + kSideEnds[static_cast<size_t>(s)];
                const QPointF step = lattice.at(end) - lattice.at(own);
                const QPointF along = step / length(step);
                const QPointF normal(-along.y(), along.x());
                for (const double place : places) {
                    Cut cut;
                    cut.lattice = own + place * (end - own);
                    cut.side = s;
                    cut.normal = normal;
                    const QPointF at = lattice.at(cut.lattice);
                    cut.at = at;
                    if (map.holds(at, cutter.half() + 3)) {
                        if (!measure(cutter, at, along, normal, cut)) {
                            cut.contrast = 0;
                        }
                        cuts.push_back(cut);
                    }
                }
            }
        }
    });
}

using Vector6 = std::array<double, 6>;

// How a cut's offset changes with the six numbers: origin x, y, step a x, y, step b x, y.
Vector6 gradientOf(const Cut& cut) {
    const double nx = cut.normal.x();
    const double ny = cut.normal.y();
    const double u = cut.lattice.x();
    const double v = cut.lattice.y();
    return {nx, ny, u * nx, u * ny, v * nx, v * ny};
}

// Solves the normal equations by Gaussian elimination with partial pivoting.
std::optional<Vector6> solve(std::array<Vector6, 6> m, Vector6 r) {
    for (size_t c = 0; c < 6; ++c) {
        size_t pivot = c;
        for (size_t k = c + 1; k < 6; ++k) {
            if (std::abs(m[k][c]) > std::abs(m[pivot][c])) {
                pivot = k;
            }
        }
        if (!(std::abs(m[pivot][c]) > 1e-12)) {
            return std::nullopt;
        }
        std::swap(m[c], m[pivot]);
        std::swap(r[c], r[pivot]);
        for (size_t k = c + 1; k < 6; ++k) {
            const double f = m[k][c] / m[c][c];
            for (size_t j = c; j < 6; ++j) {
                m[k][j] -= f * m[c][j];
            }
            r[k] -= f * r[c];
        }
    }
    Vector6 x{};
    for (size_t c = 6; c-- > 0;) {
        double s = r[c];
        for (size_t j = c + 1; j < 6; ++j) {
            s -= m[c][j] * x[j];
        }
        x[c] = s / m[c][c];
    }
    return x;
}

double dot(const Vector6& a, const Vector6& b) {
    double s = 0;
    for (size_t i = 0; i < 6; ++i) {
        s += a[i] * b[i];
    }
    return s;
}

// Reorders `values`.
double medianOf(std::vector<double>& values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The change to the six numbers that best moves the predicted lines onto the measured
// ones, reweighting the cuts (Tukey's biweight) so that labels, roads and paper without
// lines drop out. `residuals` receives each cut's distance from the changed lines.
std::optional<Vector6> robustStep(const std::vector<Cut>& cuts, double least,
                                  std::vector<double>& residuals) {
    std::vector<double> weights(cuts.size());
    for (size_t i = 0; i < cuts.size(); ++i) {
        weights[i] = cuts[i].contrast >= least ? 1 : 0;
    }
    residuals.assign(cuts.size(), 0);
    std::optional<Vector6> step;
    for (int round = 0; round < 6; ++round) {
        std::array<Vector6, 6> m{};
        Vector6 r{};
        int counted = 0;
        for (size_t i = 0; i < cuts.size(); ++i) {
            if (weights[i] <= 0) {
                continue;
            }
            ++counted;
            const Vector6 g = gradientOf(cuts[i]);
            for (size_t p = 0; p < 6; ++p) {
                for (size_t q = 0; q < 6; ++q) {
                    m[p][q] += weights[i] * g[p] * g[q];
                }
                r[p] += weights[i] * g[p] * cuts[i].offset;
            }
        }
        step = solve(m, r);
        if (!step || counted < kFewestCuts) {
            return std::nullopt;
        }
        std::vector<double> spread;
        for (size_t i = 0; i < cuts.size(); ++i) {
            residuals[i] = cuts[i].offset - dot(gradientOf(cuts[i]), *step);
            if (cuts[i].contrast >= least) {
                spread.push_back(std::abs(residuals[i]));
            }
        }
        const double limit = 4.685 * std::max(0.05, 1.4826 * medianOf(spread));
        for (size_t i = 0; i < cuts.size(); ++i) {
            const double t = residuals[i] / limit;
            weights[i] =
                cuts[i].contrast >= least && std::abs(t) < 1 ? (1 - t * t) * (1 - t * t) : 0;
        }
    }
    return step;
}

// How far the step moves the outline at the picture's corners, the farthest from the middle.
double largestMove(const HexLattice& lattice, const Vector6& step,
                   const std::array<QPointF, 4>& corners) {
    double most = 0;
    for (const QPointF corner : corners) {
        const QPointF c = lattice.coordinatesOf(corner);
        const QPointF move = QPointF(step[0], step[1]) + c.x() * QPointF(step[2], step[3]) +
                             c.y() * QPointF(step[4], step[5]);
        most = std::max(most, length(move));
    }
    return most;
}

// Whether the lattice's steps are still within a tenth of the start's: a fit that has to move
// them further has lost the printed lines.
bool stillClose(const HexLattice& lattice, const HexLattice& start) {
    const double reach = 0.1 * length(start.a);
    return length(lattice.a - start.a) < reach && length(lattice.b - start.b) < reach &&
           std::isfinite(lattice.origin.x()) && std::isfinite(lattice.origin.y());
}

void apply(HexLattice& lattice, const Vector6& step) {
    lattice.origin += QPointF(step[0], step[1]);
    lattice.a += QPointF(step[2], step[3]);
    lattice.b += QPointF(step[4], step[5]);
}

// Whether the fitted outline runs along printed lines: along each of the three directions
// of sides, most cuts that cross a clear line find it within half a pixel of the outline.
// A square grid's lines run along two directions at most, and an outline forced onto them
// finds lines only where they cross its sides, at a slant, which the cuts refuse.
bool followsLines(const std::vector<Cut>& cuts, const std::vector<double>& residuals,
                  double least) {
    std::array<int, 3> clear{};
    std::array<int, 3> near{};
    for (size_t i = 0; i < cuts.size(); ++i) {
        if (cuts[i].contrast >= least) {
            const auto side = static_cast<size_t>(cuts[i].side);
            ++clear[side];
            near[side] += std::abs(residuals[i]) < 0.5 ? 1 : 0;
        }
    }
    for (size_t s = 0; s < 3; ++s) {
        if (near[s] < kFewestNear || near[s] < kNearShare * clear[s]) {
            return false;
        }
    }
    return true;
}

using Tiles = std::array<int, kTiles * kTiles>;

size_t tileOf(QPointF at, const MapDarkness& map) {
    const int column = std::clamp(static_cast<int>(at.x() * kTiles / map.width()), 0, kTiles - 1);
    const int row = std::clamp(static_cast<int>(at.y() * kTiles / map.height()), 0, kTiles - 1);
    return static_cast<size_t>(row * kTiles + column);
}

// The printed lines of each tile, whatever grid they belong to: how many of a regular array
// of points have a line across a short cut along the picture's rows or down its columns.
Tiles linesPrinted(const MapDarkness& map, const LineCutter& cutter, double least) {
    Tiles lines{};
    const int across = kTiles * kProbes;
    for (int row = 0; row < across; ++row) {
        for (int column = 0; column < across; ++column) {
            const QPointF at((column + 0.5) * map.width() / across,
                             (row + 0.5) * map.height() / across);
            if (!map.holds(at, cutter.half() + 3)) {
                continue;
            }
            Cut alongRows;
            Cut downColumns;
            measure(cutter, at, QPointF(0, 1), QPointF(1, 0), alongRows);
            measure(cutter, at, QPointF(1, 0), QPointF(0, 1), downColumns);
            lines[tileOf(at, map)] += std::max(alongRows.seen, downColumns.seen) >= least ? 1 : 0;
        }
    }
    return lines;
}

// How much of the printed lines the fitted outline explains. The picture is cut into tiles;
// a tile fits the grid when a good share of the fit's cuts there that cross a line find it
// on the outline, and the share explained is that of the lines printed in the tiles that fit.
double explainedShare(const MapDarkness& map, const LineCutter& cutter,
                      const std::vector<Cut>& cuts, const std::vector<double>& residuals,
                      double least) {
    Tiles crossed{};
    Tiles near{};
    for (size_t i = 0; i < cuts.size(); ++i) {
        if (cuts[i].seen >= least) {
            const size_t tile = tileOf(cuts[i].at, map);
            ++crossed[tile];
            near[tile] += cuts[i].contrast >= least && std::abs(residuals[i]) < 0.5 ? 1 : 0;
        }
    }
    const Tiles lines = linesPrinted(map, cutter, least);
    int all = 0;
    int explained = 0;
    for (size_t t = 0; t < lines.size(); ++t) {
        all += lines[t];
        explained += crossed[t] > 0 && near[t] >= kTileFit * crossed[t] ? lines[t] : 0;
    }
    return all > 0 ? static_cast<double>(explained) / all : 0;
}

}  // namespace

std::optional<HexLattice> fitPrintedLines(const MapDarkness& map, HexLattice lattice,
                                          Progress& progress, double fromFraction,
                                          double toFraction) {
    const HexLattice start = lattice;
    const LineCutter cutter(map, length(lattice.a));
    const QPointF centre = lattice.origin;
    const std::array<QPointF, 4> corners = {QPointF(0, 0), QPointF(map.width(), 0),
                                            QPointF(0, map.height()),
                                            QPointF(map.width(), map.height())};
    double farthest = 0;
    for (const QPointF corner : corners) {
        farthest = std::max(farthest, length(corner - centre));
    }
    std::vector<double> radii;
    for (double r = std::max(5 * length(lattice.a), 50.0);; r *= kGrowth) {
        radii.push_back(std::min(r, farthest));
        if (r >= farthest) {
            break;
        }
    }
    double least = -1;
    std::vector<Cut> cuts;
    std::vector<double> residuals;
    const double passes = 2.0 * static_cast<double>(radii.size()) + 1;
    int pass = 0;
    for (size_t round = 0; round < radii.size(); ++round) {
        const bool last = round + 1 == radii.size();
        for (int repeat = 0; repeat < (last ? kLastPasses : 2); ++repeat) {
            cuts = cutsWithin(map, cutter, lattice, centre, radii[round],
                              last ? kMostCuts : kMostCuts / 3);
            if (least < 0) {
                least = leastContrast(cuts);
            }
            const std::optional<Vector6> step = robustStep(cuts, least, residuals);
            if (!step) {
                return std::nullopt;
            }
            const double moved = largestMove(lattice, *step, corners);
            apply(lattice, *step);
            if (!stillClose(lattice, start)) {
                return std::nullopt;  // the lines pulled the outline off: not this lattice
            }
            advanceOrStop(progress, fromFraction + (toFraction - fromFraction) *
                                                       std::min(1.0, ++pass / passes));
            if (last && repeat > 0 && moved < kSettled) {
                break;
            }
        }
    }
    if (!followsLines(cuts, residuals, least) ||
        explainedShare(map, cutter, cuts, residuals, least) < kLeastExplained) {
        return std::nullopt;
    }
    return lattice;
}

}  // namespace tessara
