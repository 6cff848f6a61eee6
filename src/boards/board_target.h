// The whole-pixel hexes a program draws over a straightened board. Tiled, VASSAL and Foundry
// draw an upright grid only, of hexes whole pixels flat to flat; in the grid's own frame
// (grid_placement.h) `along` runs along a line (a row, or a column) and `pitch` across the
// lines. Each program's own rules are its board format's (board_format.h).
#pragma once

namespace tessara {

// The smallest hex Tiled and VASSAL draw legibly, flat to flat, and the smallest line pitch.
inline constexpr int kMinTargetHex = 8;
inline constexpr int kMinTargetPitch = 6;

struct TargetSizes {
    int along = 0;     // flat to flat along a line
    double pitch = 0;  // from one line's centres to the next's: whole pixels but for Foundry
    int side = 0;      // Tiled's hexsidelength (2/3 of the pitch); 0 for the others

    friend bool operator==(const TargetSizes&, const TargetSizes&) = default;
};

// The multiple of `step` nearest `value`, a half way taken to the even one; 0 for a value
// that is not a finite positive number, or too large to count.
int nearestMultiple(double value, int step);

}  // namespace tessara
