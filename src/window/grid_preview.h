// The grid's outline drawn over the map in the viewport, without touching the picture.
#pragma once

#include <QColor>
#include <QRectF>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/hex_numbers.h"

class QPainter;

namespace tessara {

// More cells than this in view make each hexagon a few screen pixels wide at most; the
// outline is then drawn as a repeating pattern instead of line by line, so that a frame
// takes the same time whatever the map's size.
inline constexpr double kPreviewCellBudget = 20000;

// Draws the outline of the cells in `area` (picture pixels) with a one-pixel line over a
// three-pixel one of a contrasting shade, so that it stands out over a printed grid of its
// own colour; the painter maps picture pixels to the screen. The lines are dashed as a pen
// `penWidth` pixels wide dashes them, at the options' opacity; a grid of no lines shows none.
void paintGridPreview(QPainter& painter, const GridLayout& layout, const QRectF& area,
                      const QColor& colour, int penWidth = 1);

// Draws the numbers of the hexes in `area` when they are large enough on the screen to read,
// as Generate Hex Grid would draw them into a picture of `picture` pixels, at the options'
// opacity.
void paintNumberPreview(QPainter& painter, const GridLayout& layout, const HexNumbering& numbering,
                        const QSizeF& picture, const QRectF& area, const QColor& gridColour);

// Marks the points clicked so far while measuring (picture pixels) with small crosses.
void paintMarks(QPainter& painter, const std::vector<QPointF>& points, const QColor& colour);

}  // namespace tessara
