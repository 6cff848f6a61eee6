// The grid's outline drawn over the map in the viewport, without touching the picture.
#pragma once

#include <QColor>
#include <QRectF>

#include "grid/grid_layout.h"

class QPainter;

namespace tessara {

// More cells than this in view make each hexagon a few screen pixels wide at most; the
// outline is then drawn as a repeating pattern instead of line by line, so that a frame
// takes the same time whatever the map's size.
inline constexpr double kPreviewCellBudget = 20000;

// Draws the outline of the cells in `area` (picture pixels) with a one-pixel line; the
// painter maps picture pixels to the screen.
void paintGridPreview(QPainter& painter, const GridLayout& layout, const QRectF& area,
                      const QColor& colour);

}  // namespace tessara
