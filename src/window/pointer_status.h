// What the status line says of the pointer over the map: the picture pixel under it, and the
// hex under it while the preview shows.
#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

#include "grid/grid_layout.h"
#include "grid/hex_numbers.h"

namespace tessara {

// `at` in picture pixels, shown `zoom` screen pixels to the picture's pixel; `layout` the
// grid shown, if any, on a picture of `picture` pixels.
QString pointerStatus(QPointF at, double zoom, const GridLayout* layout,
                      const HexNumbering& numbering, QSize picture);

}  // namespace tessara
