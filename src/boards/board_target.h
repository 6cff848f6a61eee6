// The programs a straightened board is made for, and the whole-pixel hexes each can draw.
// Both draw an upright grid only, in whole pixels:
//   Tiled (a hexagonal map): tiles `along` pixels flat to flat, even, as its renderer drops
//     an odd pixel; a side of `side` pixels, even, so that the lines of neighbouring rows
//     meet; the tiles twice as tall as the side, and the rows 3/2 side apart.
//   VASSAL (a HexGrid): dy, flat to flat along a column, and dx, column to column.
// In the grid's own frame (grid_placement.h), `along` runs along a line (a row, or a
// column) and `pitch` across the lines.
#pragma once

namespace tessara {

enum class BoardTarget { Tiled, Vassal };

// The smallest hex a target draws legibly, flat to flat, and the smallest line pitch.
inline constexpr int kMinTargetHex = 8;
inline constexpr int kMinTargetPitch = 6;

struct TargetSizes {
    int along = 0;  // flat to flat along a line
    int pitch = 0;  // from one line's centres to the next's
    int side = 0;   // Tiled's hexsidelength (2/3 of the pitch); 0 for VASSAL

    bool drawable() const { return along >= kMinTargetHex && pitch >= kMinTargetPitch; }
    friend bool operator==(const TargetSizes&, const TargetSizes&) = default;
};

// The whole-pixel sizes nearest a fitted grid's: `along` flat to flat and `pitch` between
// lines, both in pixels. A half way between two is taken to the even one.
TargetSizes nearestSizes(BoardTarget target, double along, double pitch);

}  // namespace tessara
