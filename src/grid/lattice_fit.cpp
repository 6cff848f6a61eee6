#include "grid/lattice_fit.h"

#include <cmath>
#include <numbers>

#include "grid/grid_geometry.h"
#include "grid/grid_layout.h"
#include "grid/grid_measure.h"
#include "grid/grid_placement.h"
#include "grid/lattice_vectors.h"

namespace tessara {
namespace {

constexpr double kDegrees = 180 / std::numbers::pi;
// Turns and leans below this many degrees are rounding, not a crooked scan.
constexpr double kNoAngle = 1e-9;

double snapped(double degrees) {
    return std::abs(degrees) < kNoAngle ? 0 : degrees;
}

// Solves a x + b y = p for the numbers x and y; nothing when a and b are parallel.
std::optional<std::pair<double, double>> solve(QPointF a, QPointF b, QPointF p) {
    const double determinant = cross(a, b);
    if (!(std::abs(determinant) > 1e-12 * QPointF::dotProduct(a, a) * QPointF::dotProduct(b, b)) ||
        !std::isfinite(determinant)) {
        return std::nullopt;
    }
    const QPointF solution = coordinatesOn(a, b, p);
    return std::pair{solution.x(), solution.y()};
}

}  // namespace

std::optional<GridOptions> optionsForLattice(const LatticeOnPicture& lattice, QSizeF picture) {
    const bool columns = lattice.orientation == GridOrientation::Columns;
    const QPointF along = lattice.along;
    const QPointF across = lattice.across / kRowPitch;  // a regular hex's line pitch is 1
    const double h = length(along);
    if (!(h > 0) || !std::isfinite(h)) {
        return std::nullopt;
    }
    // The turn brings the step along the lines onto the frame's u: x for rows, y for columns.
    const double turn =
        columns ? std::atan2(-along.x(), along.y()) : std::atan2(along.y(), along.x());
    const QPointF upright = turned(across, -turn);
    // Upright, the step across is (s h tan(skew), s h) for rows and (s h, s h tan(skew)) for
    // columns.
    const double pitch = columns ? upright.x() : upright.y();
    const double lean = columns ? upright.y() : upright.x();
    if (!(pitch > 0)) {
        return std::nullopt;  // the steps lie on one line, or the grid is mirrored
    }
    GridOptions options;
    options.orientation = lattice.orientation;
    options.stretch = pitch / h;
    options.rotation = snapped(turn * kDegrees);
    options.skew = snapped(std::atan(lean / pitch) * kDegrees);
    if (!(options.stretch >= kMinStretch && options.stretch <= kMaxStretch) ||
        !(std::abs(options.rotation) <= kMaxRotation) || !(std::abs(options.skew) <= kMaxSkew)) {
        return std::nullopt;
    }
    return anchoredAt(options, h, lattice.centre, picture);
}

LatticeOnPicture latticeOf(const GridOptions& options, double hexPixels, QSizeF picture) {
    const bool columns = options.orientation == GridOrientation::Columns;
    const GridPlacement placement(options, picture);
    const double u = (columns ? options.offsetY : options.offsetX) +
                     (options.shifted == ShiftedLines::First ? 0 : hexPixels / 2);
    const double v =
        (columns ? options.offsetX : options.offsetY) + kHalfFlat * options.stretch * hexPixels;
    const QPointF centre = placement.toPicture(u, v);
    return {options.orientation, centre, placement.toPicture(u + hexPixels, v) - centre,
            placement.toPicture(u, v + kRowPitch * options.stretch * hexPixels) - centre};
}

std::optional<LatticeOnPicture> latticeThrough(GridOrientation orientation, QPointF first,
                                               QPointF second, HexSteps toSecond, QPointF third,
                                               HexSteps toThird) {
    const QPointF d1 = second - first;
    const QPointF d2 = third - first;
    // Three points on one line make no lattice, whatever steps were typed.
    if (!(std::abs(cross(d1, d2)) >
          1e-6 * QPointF::dotProduct(d1, d1) + 1e-6 * QPointF::dotProduct(d2, d2))) {
        return std::nullopt;
    }
    // d1 = a1 A + b1 B and d2 = a2 A + b2 B, for the steps A along and B across: per
    // coordinate, two equations in A's and B's coordinate.
    const std::optional<std::pair<double, double>> x =
        solve({toSecond.along, toThird.along}, {toSecond.across, toThird.across}, {d1.x(), d2.x()});
    const std::optional<std::pair<double, double>> y =
        solve({toSecond.along, toThird.along}, {toSecond.across, toThird.across}, {d1.y(), d2.y()});
    if (!x || !y) {
        return std::nullopt;
    }
    return LatticeOnPicture{orientation, first, {x->first, y->first}, {x->second, y->second}};
}

HexSteps stepsBetween(const LatticeOnPicture& lattice, QPointF first, QPointF point) {
    const std::optional<std::pair<double, double>> steps =
        solve(lattice.along, lattice.across, point - first);
    if (!steps) {
        return {};
    }
    const double across = std::round(steps->second);
    const bool odd = std::fmod(std::abs(across), 2) == 1;
    const double along = odd ? std::floor(steps->first) + 0.5 : std::round(steps->first);
    return {along, across};
}

}  // namespace tessara
