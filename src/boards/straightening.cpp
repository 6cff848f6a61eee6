#include "boards/straightening.h"

#include <QPolygonF>
#include <cmath>

#include "image/picture_memory.h"

namespace tessara {
namespace {

bool isShiftedLine(const GridOptions& options, long long line) {
    const bool even = line % 2 == 0;
    return options.shifted == ShiftedLines::First ? even : !even;
}

// The fitted grid in its frame, scaled to the target's sizes: the centre of cell 0 of a
// shifted line at `along0`, that of line 0 at `across0`.
struct ScaledGrid {
    double along0 = 0;
    double across0 = 0;
    double along = 0;  // the target's sizes, as doubles
    double pitch = 0;
};

// From the offset the hexes are placed from: a far one less whole periods, so that the
// board and its definition are those of the same grid moved by no more than a period.
ScaledGrid scaledGrid(const GridLayout& layout, const Straightening& s) {
    const QPointF offset = frameOffset(layout);
    const double halfFlat = kHalfFlat * layout.options.stretch * layout.hexSize;
    return {s.scaleAlong * offset.x(), s.scaleAcross * (offset.y() + halfFlat),
            static_cast<double>(s.sizes.along), s.sizes.pitch};
}

// A canvas that starts on the lattice starts up to a hex before the picture: hexes larger
// than the picture would make a board of mostly blank padding.
bool hexLargerThanPicture(const GridLayout& layout, double pitch) {
    const QRectF frame = layout.placement.frameBounds(layout.pictureArea());
    return layout.hexSize > frame.width() || pitch > frame.height();
}

// The picture's pixel centres in the scaled frame: x along the lines, y across.
QRectF scaledExtent(const GridLayout& layout, const Straightening& s) {
    const double w = layout.picture.width() - 1;
    const double h = layout.picture.height() - 1;
    QPolygonF corners;
    for (const QPointF corner : {QPointF(0, 0), QPointF(w, 0), QPointF(0, h), QPointF(w, h)}) {
        const QPointF frame = layout.placement.toFrame(corner);
        corners << QPointF(frame.x() * s.scaleAlong, frame.y() * s.scaleAcross);
    }
    return corners.boundingRect();
}

// Where the board's first pixel lies in the scaled frame, and which hex comes first.
struct BoardStart {
    double along = 0;
    double across = 0;
    long long line = 0;
    long long cell = 0;
    QPointF centre;  // the first hex's centre from the start: along, across
};

// Board pixel 0 is named by its centre, half a target pixel from where the target's canvas
// starts (straightening.h).
constexpr double kPixelCentre = 0.5;

// A canvas starting on the lattice, at `origin` from a shifted line's hex: the first line
// and cell whose canvas holds the extent's first pixel.
BoardStart latticeStart(const GridLayout& layout, const ScaledGrid& g, const QRectF& extent,
                        const BoardOrigin& origin) {
    BoardStart start;
    const double top = g.across0 + origin.across;
    start.line = static_cast<long long>(std::floor((extent.top() - kPixelCentre - top) / g.pitch));
    start.across = top + static_cast<double>(start.line) * g.pitch + kPixelCentre;
    const double left = g.along0 + origin.along;
    start.cell =
        static_cast<long long>(std::floor((extent.left() - kPixelCentre - left) / g.along));
    start.along = left + static_cast<double>(start.cell) * g.along + kPixelCentre;
    const bool shifted = isShiftedLine(layout.options, start.line);
    // The first hex of a line not shifted lies half a hex on from where the shifted ones do.
    start.centre = {-origin.along + (shifted ? 0 : g.along / 2), -origin.across};
    return start;
}

// A canvas starting on a whole pixel before the extent, with a shifted line's hex centre on
// a whole pixel of it.
BoardStart vassalStart(const GridLayout& layout, const ScaledGrid& g, const QRectF& extent) {
    BoardStart start;
    start.along = g.along0 + kPixelCentre + std::floor(extent.left() - g.along0 - kPixelCentre);
    start.across = g.across0 + kPixelCentre + std::floor(extent.top() - g.across0 - kPixelCentre);
    start.line = static_cast<long long>(std::ceil((start.across - g.across0) / g.pitch));
    if (!isShiftedLine(layout.options, start.line)) {
        ++start.line;
    }
    start.cell = static_cast<long long>(std::ceil((start.along - g.along0) / g.along));
    start.centre = {
        g.along0 + static_cast<double>(start.cell) * g.along - start.along + kPixelCentre,
        g.across0 + static_cast<double>(start.line) * g.pitch - start.across + kPixelCentre};
    return start;
}

QTransform boardTransform(const GridLayout& layout, const Straightening& s,
                          const BoardStart& start) {
    const QTransform scaled(s.scaleAlong, 0, 0, s.scaleAcross, -start.along, -start.across);
    const QTransform swap = s.columns ? QTransform(0, 1, 1, 0, 0, 0) : QTransform();
    return layout.placement.transform().inverted() * scaled * swap;
}

}  // namespace

GridLayout asFittedLayout(const GridLayout& layout) {
    if (layout.fitted() || layout.problem != GridProblem::None) {
        return layout;
    }
    GridOptions options;
    options.hexPixels = layout.hexSize;
    return layoutGrid(static_cast<Single>(layout.picture.width()),
                      static_cast<Single>(layout.picture.height()), 1, 1, options);
}

Straightening straighten(const GridLayout& given, const BoardFormat& format) {
    Straightening s;
    s.format = &format;
    const GridLayout layout = asFittedLayout(given);
    if (layout.problem != GridProblem::None || !(layout.hexSize > 0)) {
        s.problem = BoardProblem::NoGrid;
        return s;
    }
    s.columns = layout.options.orientation == GridOrientation::Columns;
    const double h = layout.hexSize;
    const double p = kRowPitch * layout.options.stretch * h;
    s.sizes = format.sizesFor(h, p);
    if (!format.sizeProblem(s.sizes).isEmpty()) {
        s.problem = BoardProblem::HexTooSmall;
        return s;
    }
    const BoardOrigin origin = format.origin(s.sizes);
    if (origin.onLattice && hexLargerThanPicture(layout, p)) {
        s.problem = BoardProblem::HexLargerThanMap;
        return s;
    }
    s.scaleAlong = s.sizes.along / h;
    s.scaleAcross = s.sizes.pitch / p;
    const ScaledGrid grid = scaledGrid(layout, s);
    const QRectF extent = scaledExtent(layout, s);
    const BoardStart start = origin.onLattice ? latticeStart(layout, grid, extent, origin)
                                              : vassalStart(layout, grid, extent);
    const double along = std::ceil(extent.right() - start.along - 1e-9) + 1;
    const double across = std::ceil(extent.bottom() - start.across - 1e-9) + 1;
    if (along > kLongestSide || across > kLongestSide) {
        s.problem = BoardProblem::BoardTooLarge;
        return s;
    }
    s.board = s.columns ? QSize(static_cast<int>(across), static_cast<int>(along))
                        : QSize(static_cast<int>(along), static_cast<int>(across));
    s.firstLine = static_cast<int>(start.line);
    s.firstCell = static_cast<int>(start.cell);
    s.firstLineShifted = isShiftedLine(layout.options, start.line);
    s.firstCentre = s.columns ? start.centre.transposed() : start.centre;
    s.toBoard = boardTransform(layout, s, start);
    return s;
}

}  // namespace tessara
