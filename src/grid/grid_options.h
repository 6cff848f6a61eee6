// How the grid is fitted to a printed map: which way the hexagons stand, where the grid
// starts, which lines are shifted, how much the hexagons are stretched across the lines,
// the hex size in pixels when the user set it, and how far the grid is turned and leans
// (grid_placement.h). Every option at its default is the grid of the Generate Hex Grid
// button as it always was.
#pragma once

#include <optional>

namespace tessara {

enum class GridOrientation {
    Rows,     // vertical flats: hexagons side by side in rows, as the button always drew
    Columns,  // horizontal flats: the same hexagons turned by 90 degrees, in columns
};

// Which lines (rows, or columns) are shifted: the first lies half a hex towards the
// picture's left (top) edge, the second the other way.
enum class ShiftedLines { First, Second };

inline constexpr double kMinStretch = 0.5;
inline constexpr double kMaxStretch = 2.0;
inline constexpr double kMaxRotation = 45;  // degrees either way
inline constexpr double kMaxSkew = 10;

struct GridOptions {
    GridOrientation orientation = GridOrientation::Rows;
    double offsetX = 0;  // pixels; the whole grid moves by this much
    double offsetY = 0;
    ShiftedLines shifted = ShiftedLines::First;
    double stretch = 1;               // line pitch over that of regular hexes
    std::optional<double> hexPixels;  // flat to flat, in pixels; unset: W x S / M
    double rotation = 0;              // degrees, clockwise on the screen
    double skew = 0;                  // degrees the lines across the rows (columns) lean

    bool isDefault() const { return *this == GridOptions{}; }
    bool turned() const { return rotation != 0 || skew != 0; }
    friend bool operator==(const GridOptions&, const GridOptions&) = default;
};

}  // namespace tessara
