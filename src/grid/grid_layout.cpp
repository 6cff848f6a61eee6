#include "grid/grid_layout.h"

#include <cmath>

#include "grid/hex_grid.h"

namespace tessara {
namespace {

bool columnsOf(const GridLayout& layout) {
    return layout.options.orientation == GridOrientation::Columns;
}

// A point of the lines' frame in picture pixels.
QPointF toPicture(const GridLayout& layout, double u, double v) {
    return columnsOf(layout) ? QPointF(v, u) : QPointF(u, v);
}

bool isShifted(const GridOptions& options, int line) {
    const bool even = line % 2 == 0;  // line 0 is the first, also for lines above it
    return options.shifted == ShiftedLines::First ? even : !even;
}

double halfFlat(const GridLayout& layout) {
    return kHalfFlat * layout.options.stretch * layout.hexSize;
}

double linePitch(const GridLayout& layout) {
    return kRowPitch * layout.options.stretch * layout.hexSize;
}

// An offset of more than kMaxCells periods of the lattice, less whole periods: the grid is
// the same, and the lines and cells over the picture are counted from near it, in an int,
// however far the grid was moved. Nearer offsets are kept as given, so that the grid's
// pixels stay exactly those they always were.
double withinReach(double offset, double period) {
    return std::abs(offset) > kMaxCells * period ? std::fmod(offset, period) : offset;
}

// The offset along the lines (u) and across them (v). The lattice repeats every hex along
// a line, and every two lines across them, as every other line is shifted.
QPointF frameOffset(const GridLayout& layout) {
    const GridOptions& options = layout.options;
    const QPointF given = options.orientation == GridOrientation::Rows
                              ? QPointF(options.offsetX, options.offsetY)
                              : QPointF(options.offsetY, options.offsetX);
    return {withinReach(given.x(), layout.hexSize), withinReach(given.y(), 2 * linePitch(layout))};
}

struct Span {
    double first;
    double last;
};

// The lines, and the cells along them, whose hexagons may cross [from, to] of the frame,
// with one more on each side so that every side crossing it is drawn.
Span linesOver(const GridLayout& layout, double from, double to) {
    const double centre = frameOffset(layout).y() + halfFlat(layout);
    const double reach = 2 * halfFlat(layout);
    const double pitch = linePitch(layout);
    return {std::floor((from - centre - reach) / pitch) - 1,
            std::ceil((to - centre + reach) / pitch) + 1};
}

Span cellsOver(const GridLayout& layout, double from, double to) {
    const double h = layout.hexSize;
    const double start = frameOffset(layout).x();
    return {std::floor((from - start - h) / h) - 1, std::ceil((to - start + h) / h) + 1};
}

bool withinCount(const Span& span) {
    return std::isfinite(span.first) && std::isfinite(span.last) &&
           span.last - span.first + 1 <= kMaxCells;
}

GridLayout layoutFitted(GridLayout layout, Single width, Single height) {
    const double h = layout.hexSize;
    if (!(h > 0) || !std::isfinite(h)) {
        layout.problem = GridProblem::TooManyCells;
        return layout;
    }
    const bool columns = columnsOf(layout);
    const double along = columns ? height : width;
    const double across = columns ? width : height;
    const Span lines = linesOver(layout, 0, across);
    const Span cells = cellsOver(layout, 0, along);
    if (!withinCount(lines) || !withinCount(cells)) {
        layout.problem = GridProblem::TooManyCells;
        return layout;
    }
    layout.firstLine = static_cast<int>(lines.first);
    layout.lastLine = static_cast<int>(lines.last);
    layout.firstCell = static_cast<int>(cells.first);
    layout.lastCell = static_cast<int>(cells.last);
    return layout;
}

void traceFitted(const GridLayout& layout, const QRectF& area, const SegmentSink& sink) {
    const bool columns = columnsOf(layout);
    const Span lines = linesOver(layout, columns ? area.left() : area.top(),
                                 columns ? area.right() : area.bottom());
    const Span cells = cellsOver(layout, columns ? area.top() : area.left(),
                                 columns ? area.bottom() : area.right());
    const int firstLine = std::max(layout.firstLine, static_cast<int>(lines.first));
    const int lastLine = std::min(layout.lastLine, static_cast<int>(lines.last));
    const int firstCell = std::max(layout.firstCell, static_cast<int>(cells.first));
    const int lastCell = std::min(layout.lastCell, static_cast<int>(cells.last));
    // Shifted lines draw every side but the flat before each hexagon; the others only the
    // flat after it, as their other sides belong to the shifted lines' hexagons.
    for (int cell = firstCell; cell <= lastCell; ++cell) {
        for (int line = firstLine; line <= lastLine; ++line) {
            const std::array<QPointF, 6> c = hexCorners(layout, line, cell);
            if (!isShifted(layout.options, line)) {
                sink(c[3], c[4]);
                continue;
            }
            for (int k = 1; k < 6; ++k) {
                sink(c[k], c[(k + 1) % 6]);
            }
        }
    }
}

void tracePlan(const GridPlan& plan, const QRectF& area, const SegmentSink& sink) {
    const double h = plan.hexWidth;
    for (int column = 1; column <= plan.columns; ++column) {
        for (int row = 1; row <= plan.rows; ++row) {
            const HexCell cell = cellAt(column, row, plan.hexWidth);
            const QRectF bounds(cell.x, cell.y - h, 2 * h, 2 * h);
            if (bounds.intersects(area)) {
                traceHex(cell.x, cell.y, plan.hexWidth, cell.flatOnly, sink);
            }
        }
    }
}

}  // namespace

Integer GridLayout::rows() const {
    if (!fitted()) {
        return plan.rows;
    }
    return static_cast<Integer>(columnsOf(*this) ? lastCell - firstCell + 1
                                                 : lastLine - firstLine + 1);
}

Integer GridLayout::columns() const {
    if (!fitted()) {
        return plan.columns;
    }
    return static_cast<Integer>(columnsOf(*this) ? lastLine - firstLine + 1
                                                 : lastCell - firstCell + 1);
}

GridLayout layoutGrid(Single pictureWidth, Single pictureHeight, Single hexSize, Single mapSize,
                      const GridOptions& options) {
    GridLayout layout;
    layout.options = options;
    if (!options.isDefault()) {
        if (!(pictureWidth > 0 && pictureHeight > 0)) {
            layout.problem = GridProblem::NoPictureArea;
            return layout;
        }
        layout.hexSize = options.hexPixels.value_or(hexWidth(pictureWidth, hexSize, mapSize));
        return layoutFitted(layout, pictureWidth, pictureHeight);
    }
    layout.plan = planGrid(pictureWidth, pictureHeight, hexSize, mapSize);
    layout.problem = layout.plan.problem;
    layout.hexSize = layout.plan.hexWidth;
    return layout;
}

QPointF hexCentre(const GridLayout& layout, int line, int cell) {
    const double h = layout.hexSize;
    const QPointF offset = frameOffset(layout);
    const double u = offset.x() + cell * h + (isShifted(layout.options, line) ? 0 : h / 2);
    const double v = offset.y() + halfFlat(layout) + line * linePitch(layout);
    return toPicture(layout, u, v);
}

std::array<QPointF, 6> hexCorners(const GridLayout& layout, int line, int cell) {
    const double half = layout.hexSize / 2;
    const double a = halfFlat(layout);
    static constexpr std::array<std::array<double, 2>, 6> kCorners = {
        {{-1, -1}, {-1, 1}, {0, 2}, {1, 1}, {1, -1}, {0, -2}}};
    const QPointF centre = hexCentre(layout, line, cell);
    const bool columns = columnsOf(layout);
    std::array<QPointF, 6> corners;
    for (size_t k = 0; k < corners.size(); ++k) {
        const double du = kCorners[k][0] * half;
        const double dv = kCorners[k][1] * a;
        corners[k] = centre + (columns ? QPointF(dv, du) : QPointF(du, dv));
    }
    return corners;
}

void traceGrid(const GridLayout& layout, const QRectF& area, const SegmentSink& sink) {
    if (layout.problem != GridProblem::None) {
        return;
    }
    if (layout.fitted()) {
        traceFitted(layout, area, sink);
    } else {
        tracePlan(layout.plan, area, sink);
    }
}

void drawLayout(PictureBox& surface, const GridLayout& layout) {
    if (!layout.fitted()) {
        drawGrid(surface, layout.plan);
        return;
    }
    const QRectF whole(0, 0, surface.ScaleWidth(), surface.ScaleHeight());
    traceFitted(layout, whole, [&surface](QPointF from, QPointF to) {
        surface.Line(toSingle(from.x()), toSingle(from.y()), toSingle(to.x()), toSingle(to.y()));
    });
}

}  // namespace tessara
