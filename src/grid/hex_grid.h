// The hex grid: drawing one hexagon cell, drawing a whole grid, and the palette its lines
// are drawn in.
#pragma once

#include <QColor>
#include <optional>

#include "core/numeric.h"
#include "grid/grid_geometry.h"
#include "image/picture_box.h"

namespace tessara {

// Draws one cell with the surface's pen, in its scale. (x, y) is the upper end of the
// hexagon's left flat and `size` its flat-to-flat width. With flatOnly 0 the outline is
// drawn as one path from the lower end of the left flat, round by the bottom, the right
// flat and the top, back to the upper end of the left flat; the left flat itself is left
// out, as it is the right flat of the neighbour. Any other flatOnly draws only the right
// flat, upwards. Each coordinate is worked out in double precision and passed as a Single.
void draw_hex(PictureBox& surface, Long x, Long y, Single size, Integer flatOnly);

// The segments draw_hex draws, in its order, each end exactly as it passes it on.
void traceHex(Long x, Long y, Single size, Integer flatOnly, const SegmentSink& sink);

// Draws every cell of the plan, column by column, each column from top to bottom.
void drawGrid(PictureBox& surface, const GridPlan& plan);

// Colour n of the palette the colour list offers: the dark halves of the sixteen-colour
// palette, so "yellow" (6) is an olive and "white" (7) a light grey. Nothing outside 0..7.
std::optional<QColor> QBColor(int n);

}  // namespace tessara
