// Calibrating a grid from points the user clicks on the map: two hex centres a known number
// of hexes apart along a row (or a column), or the two ends of the map's scale bar.
#pragma once

#include <QPointF>
#include <QSizeF>
#include <optional>

#include "grid/grid_options.h"

namespace tessara {

// The hex size in pixels, flat to flat, when `first` and `second` are the centres of two
// hexes `hexesApart` apart along one line: the distance between them over that count.
// Nothing when the points coincide or the count is not above 0.
std::optional<double> hexSizeFromCentres(QPointF first, QPointF second, double hexesApart);

// The options with that hex size and an offset that puts a hex centre on `centre`. The
// offset is the smallest of the equivalent ones (the grid repeats every hex along a line and
// every two lines across), so that nudging it stays easy.
GridOptions centredOn(GridOptions options, double hexPixels, QPointF centre);

// The options with that hex size and the smallest offset that puts a hex centre on `point`
// of a picture of `picture` pixels, the grid turned and leaning as the options say.
GridOptions anchoredAt(GridOptions options, double hexPixels, QPointF point, QSizeF picture);

// The map's width in distance units when the scale bar, `barLength` units long, runs from
// `first` to `second` on a picture `pictureWidth` pixels wide. Nothing when the points
// coincide or the length is not above 0.
std::optional<double> mapWidthFromScaleBar(QPointF first, QPointF second, double barLength,
                                           int pictureWidth);

}  // namespace tessara
