// Grids placed by hand for the board tests: every option that moves the hexes in one call.
#pragma once

#include "grid/grid_layout.h"

namespace tessara::test {

inline GridOptions placed(GridOrientation orientation, double hex, double stretch, double x,
                          double y, ShiftedLines shifted, double rotation = 0, double skew = 0) {
    GridOptions options{orientation, x, y, shifted, stretch, hex};
    options.rotation = rotation;
    options.skew = skew;
    return options;
}

// The grid so placed over a picture of `size` pixels.
inline GridLayout laid(QSize size, GridOrientation orientation, double hex, double stretch,
                       double x, double y, ShiftedLines shifted, double rotation = 0,
                       double skew = 0) {
    return layoutGrid(size.width(), size.height(), 1, 1,
                      placed(orientation, hex, stretch, x, y, shifted, rotation, skew));
}

}  // namespace tessara::test
