#include "grid/grid_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "grid/hex_grid.h"

namespace tessara {
namespace {

bool columnsOf(const GridLayout& layout) {
    return layout.options.orientation == GridOrientation::Columns;
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

// The frame's rectangle that holds `area`: u across its width, v down its height.
QRectF frameArea(const GridLayout& layout, const QRectF& area) {
    if (layout.placement.turned()) {
        return layout.placement.frameBounds(area);
    }
    return columnsOf(layout) ? QRectF(area.top(), area.left(), area.height(), area.width()) : area;
}

GridLayout layoutFitted(GridLayout layout, Single width, Single height) {
    const double h = layout.hexSize;
    if (!(h > 0) || !std::isfinite(h)) {
        layout.problem = GridProblem::TooManyCells;
        return layout;
    }
    layout.picture = QSizeF(width, height);
    layout.placement = GridPlacement(layout.options, layout.picture);
    const QRectF frame = frameArea(layout, QRectF(0, 0, width, height));
    const Span lines = linesOver(layout, frame.top(), frame.bottom());
    const Span cells = cellsOver(layout, frame.left(), frame.right());
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

// The button's grid: row and column, each counted from 1, of a hexagon.
HexCell planCell(const GridLayout& layout, GridHex hex) {
    return cellAt(hex.cell + 1, hex.line + 1, layout.plan.hexWidth);
}

// The cells of `line` whose centres lie on the picture, as the interval of the cell index:
// the line crosses the picture's rectangle once, as any straight line does.
Span centredCells(const GridLayout& layout, int line) {
    const QPointF start = hexCentre(layout, line, 0);
    const QPointF step = hexCentre(layout, line, 1) - start;
    Span span{static_cast<double>(layout.firstCell), static_cast<double>(layout.lastCell)};
    const auto clip = [&span](double from, double along, double size) {
        if (std::abs(along) < 1e-12) {
            if (from < 0 || from >= size) {
                span = {1, 0};
            }
            return;
        }
        const double a = -from / along;
        const double b = (size - from) / along;
        span.first = std::max(span.first, std::ceil(std::min(a, b)));
        span.last = std::min(span.last, std::floor(std::max(a, b)));
    };
    clip(start.x(), step.x(), layout.picture.width());
    clip(start.y(), step.y(), layout.picture.height());
    return span;
}

struct Counts {
    int lines = 0;
    int cells = 0;
};

Counts centredCounts(const GridLayout& layout) {
    Counts counts;
    double first = INFINITY;
    double last = -INFINITY;
    for (int line = layout.firstLine; line <= layout.lastLine; ++line) {
        const Span cells = centredCells(layout, line);
        if (cells.first <= cells.last) {
            ++counts.lines;
            first = std::min(first, cells.first);
            last = std::max(last, cells.last);
        }
    }
    counts.cells = counts.lines > 0 ? static_cast<int>(last - first + 1) : 0;
    return counts;
}

// A fitted grid's lines and cells along them: those with hex centres on the picture when the
// grid is turned, every one the fit holds otherwise.
Counts fittedCounts(const GridLayout& layout) {
    if (layout.placement.turned()) {
        return centredCounts(layout);
    }
    return {layout.lastLine - layout.firstLine + 1, layout.lastCell - layout.firstCell + 1};
}

}  // namespace

// The lattice repeats every hex along a line, and every two lines across them, as every
// other line is shifted.
QPointF frameOffset(const GridLayout& layout) {
    const GridOptions& options = layout.options;
    const QPointF given = options.orientation == GridOrientation::Rows
                              ? QPointF(options.offsetX, options.offsetY)
                              : QPointF(options.offsetY, options.offsetX);
    return {withinReach(given.x(), layout.hexSize), withinReach(given.y(), 2 * linePitch(layout))};
}

double GridLayout::flatsApart() const {
    return options.skew == 0 ? hexSize : hexSize * std::cos(options.skew * std::numbers::pi / 180);
}

Integer GridLayout::rows() const {
    if (!fitted()) {
        return plan.rows;
    }
    const Counts counts = fittedCounts(*this);
    return static_cast<Integer>(columnsOf(*this) ? counts.cells : counts.lines);
}

Integer GridLayout::columns() const {
    if (!fitted()) {
        return plan.columns;
    }
    const Counts counts = fittedCounts(*this);
    return static_cast<Integer>(columnsOf(*this) ? counts.lines : counts.cells);
}

GridLayout layoutGrid(Single pictureWidth, Single pictureHeight, Single hexSize, Single mapSize,
                      const GridOptions& options) {
    GridLayout layout;
    layout.options = options;
    if (!options.placedByDefault()) {
        if (!(pictureWidth > 0 && pictureHeight > 0)) {
            layout.problem = GridProblem::NoPictureArea;
            return layout;
        }
        layout.hexSize = options.hexPixels.value_or(hexWidth(pictureWidth, hexSize, mapSize));
        return layoutFitted(layout, pictureWidth, pictureHeight);
    }
    layout.picture = QSizeF(pictureWidth, pictureHeight);
    layout.plan = planGrid(pictureWidth, pictureHeight, hexSize, mapSize);
    layout.problem = layout.plan.problem;
    layout.hexSize = layout.plan.hexWidth;
    return layout;
}

HexRange hexesOver(const GridLayout& layout, const QRectF& area) {
    if (!layout.fitted()) {
        return {0, layout.plan.rows - 1, 0, layout.plan.columns - 1};
    }
    const QRectF frame = frameArea(layout, area);
    const Span lines = linesOver(layout, frame.top(), frame.bottom());
    const Span cells = cellsOver(layout, frame.left(), frame.right());
    // Compared as doubles: an area far off the grid gives spans beyond any int.
    return {static_cast<int>(std::max<double>(layout.firstLine, lines.first)),
            static_cast<int>(std::min<double>(layout.lastLine, lines.last)),
            static_cast<int>(std::max<double>(layout.firstCell, cells.first)),
            static_cast<int>(std::min<double>(layout.lastCell, cells.last))};
}

bool mayCross(const GridLayout& layout, GridHex hex, const QRectF& area) {
    if (!layout.fitted()) {
        const double h = layout.plan.hexWidth;
        const HexCell cell = planCell(layout, hex);
        return QRectF(cell.x, cell.y - h, 2 * h, 2 * h).intersects(area);
    }
    // A turned hexagon lies within its outer circle, however it leans.
    const double reach = layout.hexSize * std::max(1.0, layout.options.stretch) * 2;
    return area.adjusted(-reach, -reach, reach, reach).contains(hexCentre(layout, hex));
}

QPointF hexCentre(const GridLayout& layout, GridHex hex) {
    if (!layout.fitted()) {
        const HexCell cell = planCell(layout, hex);
        const double h = layout.plan.hexWidth;
        return {cell.x + h / 2, cell.y + kHalfFlat * h};
    }
    return hexCentre(layout, hex.line, hex.cell);
}

GridHex hexAt(const GridLayout& layout, QPointF point) {
    GridLayout grid = layout;
    if (!layout.fitted()) {
        grid.options.hexPixels = layout.hexSize;  // the same hexes, placed in floating point
    }
    const double h = grid.hexSize;
    const double stretch = grid.options.stretch;
    const QPointF frame = grid.placement.toFrame(point);
    const QPointF offset = frameOffset(grid);
    const double middle = std::round((frame.y() - offset.y() - halfFlat(grid)) / linePitch(grid));
    GridHex nearest;
    double best = INFINITY;
    for (const double line : {middle - 1, middle, middle + 1}) {
        const int j = static_cast<int>(line);
        const double shift = isShifted(grid.options, j) ? 0 : h / 2;
        const int cell = static_cast<int>(std::round((frame.x() - offset.x() - shift) / h));
        const QPointF centre = grid.placement.toFrame(hexCentre(grid, j, cell));
        const double du = centre.x() - frame.x();
        const double dv = (centre.y() - frame.y()) / stretch;
        if (du * du + dv * dv < best) {
            best = du * du + dv * dv;
            nearest = {j, cell};
        }
    }
    return nearest;
}

int halfHexesAlong(const GridLayout& layout, GridHex hex) {
    // The button's odd rows, counted from 1, are its shifted ones, as the first lines are.
    const bool shifted = !layout.fitted() ? hex.line % 2 == 0 : isShifted(layout.options, hex.line);
    return 2 * hex.cell + (shifted ? 0 : 1);
}

void traceSides(const GridLayout& layout, GridHex hex, const SegmentSink& sink) {
    if (!layout.fitted()) {
        const HexCell cell = planCell(layout, hex);
        traceHex(cell.x, cell.y, layout.plan.hexWidth, cell.flatOnly, sink);
        return;
    }
    // Shifted lines draw every side but the flat before each hexagon; the others only the
    // flat after it, as their other sides belong to the shifted lines' hexagons.
    const std::array<QPointF, 6> c = hexCorners(layout, hex.line, hex.cell);
    if (!isShifted(layout.options, hex.line)) {
        sink(c[3], c[4]);
        return;
    }
    for (int k = 1; k < 6; ++k) {
        sink(c[k], c[(k + 1) % 6]);
    }
}

QPointF hexCentre(const GridLayout& layout, int line, int cell) {
    const double h = layout.hexSize;
    const QPointF offset = frameOffset(layout);
    const double u = offset.x() + cell * h + (isShifted(layout.options, line) ? 0 : h / 2);
    const double v = offset.y() + halfFlat(layout) + line * linePitch(layout);
    return layout.placement.toPicture(u, v);
}

std::array<QPointF, 6> hexCorners(const GridLayout& layout, int line, int cell) {
    const double h = layout.hexSize;
    const double half = h / 2;
    const double a = halfFlat(layout);
    static constexpr std::array<std::array<double, 2>, 6> kCorners = {
        {{-1, -1}, {-1, 1}, {0, 2}, {1, 1}, {1, -1}, {0, -2}}};
    const QPointF offset = frameOffset(layout);
    const double u = offset.x() + cell * h + (isShifted(layout.options, line) ? 0 : h / 2);
    const double v = offset.y() + a + line * linePitch(layout);
    std::array<QPointF, 6> corners;
    for (size_t k = 0; k < corners.size(); ++k) {
        corners[k] = layout.placement.toPicture(u + kCorners[k][0] * half, v + kCorners[k][1] * a);
    }
    return corners;
}

void traceGrid(const GridLayout& layout, const QRectF& area, const SegmentSink& sink) {
    forEachHex(layout, area, [&](GridHex hex) { traceSides(layout, hex, sink); });
}

void traceDrawn(const GridLayout& layout, const SegmentSink& sink) {
    if (!layout.fitted()) {
        // The plan overshoots the picture: every cell of it is drawn.
        traceGrid(layout, QRectF(-1e9, -1e9, 2e9, 2e9), sink);
        return;
    }
    traceGrid(layout, layout.pictureArea(), [&sink](QPointF from, QPointF to) {
        sink(QPointF(toSingle(from.x()), toSingle(from.y())),
             QPointF(toSingle(to.x()), toSingle(to.y())));
    });
}

void drawLayout(PictureBox& surface, const GridLayout& layout) {
    traceDrawn(layout, [&surface](QPointF from, QPointF to) {
        surface.Line(toSingle(from.x()), toSingle(from.y()), toSingle(to.x()), toSingle(to.y()));
    });
}

}  // namespace tessara
