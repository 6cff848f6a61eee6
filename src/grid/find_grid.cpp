#include "grid/find_grid.h"

#include <QLineF>
#include <array>
#include <cmath>

#include "grid/lattice_fit.h"
#include "grid/lattice_search.h"
#include "grid/lattice_vectors.h"
#include "grid/line_correlation.h"
#include "grid/line_fit.h"
#include "grid/map_darkness.h"

namespace tessara {
namespace {

// Too small a picture to hold a few hexes of the smallest printed size.
constexpr int kSmallestSide = 48;

// The lattice read as rows or as columns: the step to the neighbour along the lines is the
// one nearest to the picture's x (rows) or y (columns) axis; the next line lies down (rows)
// or to the right (columns).
LatticeOnPicture readAs(const HexLattice& lattice, GridOrientation orientation) {
    const bool rows = orientation == GridOrientation::Rows;
    const std::array<QPointF, 6> steps = {lattice.a,  lattice.b,  lattice.b - lattice.a,
                                          -lattice.a, -lattice.b, lattice.a - lattice.b};
    QPointF along = steps[0];
    const auto lead = [rows](QPointF s) { return (rows ? s.x() : s.y()) / QLineF({}, s).length(); };
    for (const QPointF s : steps) {
        if (lead(s) > lead(along)) {
            along = s;
        }
    }
    // The neighbour 60 degrees round from `along`, on the side of the next line.
    QPointF next = steps[0];
    for (const QPointF s : steps) {
        const bool following = rows ? cross(along, s) > 0 : cross(along, s) < 0;
        if (following && QPointF::dotProduct(along, s) > 0) {
            next = s;
        }
    }
    return {orientation, lattice.origin, along, next - along / 2};
}

double turnOf(const LatticeOnPicture& lattice) {
    const QPointF s = lattice.along;
    return lattice.orientation == GridOrientation::Rows ? std::atan2(s.y(), s.x())
                                                        : std::atan2(-s.x(), s.y());
}

std::optional<GridOptions> optionsFor(const HexLattice& lattice, QSize picture) {
    LatticeOnPicture first = readAs(lattice, GridOrientation::Rows);
    LatticeOnPicture second = readAs(lattice, GridOrientation::Columns);
    if (std::abs(turnOf(second)) < std::abs(turnOf(first))) {
        std::swap(first, second);
    }
    if (std::optional<GridOptions> options = optionsForLattice(first, QSizeF(picture))) {
        return options;
    }
    return optionsForLattice(second, QSizeF(picture));
}

double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale + 0.0;  // -0 is 0
}

GridOptions rounded(GridOptions options) {
    options.hexPixels = rounded(*options.hexPixels, kFoundDecimals);
    options.stretch = rounded(options.stretch, kFoundDecimals);
    options.rotation = rounded(options.rotation, kFoundDecimals);
    options.skew = rounded(options.skew, kFoundDecimals);
    options.offsetX = rounded(options.offsetX, kFoundOffsetDecimals);
    options.offsetY = rounded(options.offsetY, kFoundOffsetDecimals);
    return options;
}

}  // namespace

std::optional<GridOptions> findPrintedGrid(const QImage& map, Progress& progress) {
    progress.step(QStringLiteral("Looking for the printed grid"));
    advanceOrStop(progress, 0);
    if (map.width() < kSmallestSide || map.height() < kSmallestSide) {
        return std::nullopt;
    }
    const MapDarkness darkness(map);
    std::optional<HexLattice> start;
    {
        const LineWindow window = lineWindow(darkness);
        advanceOrStop(progress, 0.2);
        start = searchLattice(window);
    }
    advanceOrStop(progress, 0.3);
    if (!start) {
        return std::nullopt;
    }
    const std::optional<HexLattice> fitted = fitPrintedLines(darkness, *start, progress, 0.3, 1);
    if (!fitted) {
        return std::nullopt;
    }
    const std::optional<GridOptions> options = optionsFor(*fitted, map.size());
    return options ? std::optional(rounded(*options)) : std::nullopt;
}

}  // namespace tessara
