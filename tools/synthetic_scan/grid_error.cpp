#include "grid_error.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

#include "grid/grid_layout.h"

namespace tessara::synthetic {
namespace {

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    return QLineF(p, a + t * ab).length();
}

struct Nearest {
    double vertex = INFINITY;
    double side = INFINITY;
};

// The nearest vertex and side of the grid to `p`: among the hexes of the three lines and
// three cells along them around the one whose centre is nearest in the grid's frame.
Nearest nearestOf(const GridLayout& layout, QPointF p) {
    const GridOptions& o = layout.options;
    const bool rows = o.orientation == GridOrientation::Rows;
    const double h = layout.hexSize;
    const QPointF frame = layout.placement.toFrame(p);
    const double offsetU = rows ? o.offsetX : o.offsetY;
    const double offsetV = rows ? o.offsetY : o.offsetX;
    const int middle = static_cast<int>(std::lround(
        (frame.y() - offsetV - kHalfFlat * o.stretch * h) / (kRowPitch * o.stretch * h)));
    Nearest nearest;
    for (int line = middle - 1; line <= middle + 1; ++line) {
        const bool shifted = (line % 2 == 0) == (o.shifted == ShiftedLines::First);
        const int cell =
            static_cast<int>(std::lround((frame.x() - offsetU - (shifted ? 0 : h / 2)) / h));
        for (int c = cell - 1; c <= cell + 1; ++c) {
            const std::array<QPointF, 6> corners = hexCorners(layout, line, c);
            for (size_t k = 0; k < corners.size(); ++k) {
                nearest.vertex = std::min(nearest.vertex, QLineF(p, corners[k]).length());
                nearest.side =
                    std::min(nearest.side, distanceToSegment(p, corners[k], corners[(k + 1) % 6]));
            }
        }
    }
    return nearest;
}

}  // namespace

GridError gridError(const GridOptions& known, const GridOptions& found, QSize picture,
                    const QRectF& area, int sides) {
    const GridLayout want = layoutGrid(picture.width(), picture.height(), 1, 1, known);
    const GridLayout got = layoutGrid(picture.width(), picture.height(), 1, 1, found);
    int all = 0;
    traceGrid(want, area, [&all](QPointF, QPointF) { ++all; });
    const int stride = sides > 0 ? std::max(1, all / sides) : 1;
    GridError error;
    double sum = 0;
    int index = 0;
    const auto measure = [&](double distance) {
        error.max = std::max(error.max, distance);
        sum += distance;
        ++error.points;
    };
    traceGrid(want, area, [&](QPointF from, QPointF to) {
        if (index++ % stride != 0) {
            return;
        }
        if (area.contains(from)) {
            measure(nearestOf(got, from).vertex);
        }
        for (const double t : {0.25, 0.5, 0.75}) {
            const QPointF along = from + t * (to - from);
            if (area.contains(along)) {
                measure(nearestOf(got, along).side);
            }
        }
    });
    error.mean = error.points > 0 ? sum / error.points : INFINITY;
    if (error.points == 0) {
        error.max = INFINITY;
    }
    return error;
}

}  // namespace tessara::synthetic
