#include "grid/grid_measure.h"

#include <QLineF>
#include <cmath>

#include "grid/grid_geometry.h"
#include "grid/grid_layout.h"
#include "grid/grid_placement.h"

namespace tessara {
namespace {

// `value` less the whole number of periods that brings it nearest to 0.
double nearestToZero(double value, double period) {
    return value - std::round(value / period) * period;
}

}  // namespace

std::optional<double> hexSizeFromCentres(QPointF first, QPointF second, double hexesApart) {
    const double distance = QLineF(first, second).length();
    if (!(distance > 0) || !(hexesApart > 0)) {
        return std::nullopt;
    }
    return distance / hexesApart;
}

GridOptions centredOn(GridOptions options, double hexPixels, QPointF centre) {
    options.hexPixels = hexPixels;
    const bool columns = options.orientation == GridOrientation::Columns;
    const double along = columns ? centre.y() : centre.x();
    const double across = columns ? centre.x() : centre.y();
    // Line 0 of the offset; it is the shifted one when the first lines are shifted.
    const double shift = options.shifted == ShiftedLines::First ? 0 : hexPixels / 2;
    const double u = nearestToZero(along - shift, hexPixels);
    const double v = nearestToZero(across - kHalfFlat * options.stretch * hexPixels,
                                   2 * kRowPitch * options.stretch * hexPixels);
    options.offsetX = columns ? v : u;
    options.offsetY = columns ? u : v;
    return options;
}

GridOptions anchoredAt(GridOptions options, double hexPixels, QPointF point, QSizeF picture) {
    // The point where the grid stands upright, as centredOn takes it.
    const QPointF frame = GridPlacement(options, picture).toFrame(point);
    const bool columns = options.orientation == GridOrientation::Columns;
    return centredOn(options, hexPixels, columns ? QPointF(frame.y(), frame.x()) : frame);
}

std::optional<double> mapWidthFromScaleBar(QPointF first, QPointF second, double barLength,
                                           int pictureWidth) {
    const double distance = QLineF(first, second).length();
    if (!(distance > 0) || !(barLength > 0)) {
        return std::nullopt;
    }
    return pictureWidth * barLength / distance;
}

}  // namespace tessara
