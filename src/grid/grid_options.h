// How the grid is fitted to a printed map: which way the hexagons stand, where the grid
// starts, which lines are shifted, how much the hexagons are stretched across the lines,
// the hex size in pixels when the user set it, and how far the grid is turned and leans
// (grid_placement.h); and how its lines look over the map: their colour, style and opacity.
// Every option at its default is the grid of the Generate Hex Grid button as it always was.
#pragma once

#include <QColor>
#include <optional>

namespace tessara {

enum class GridOrientation {
    Rows,     // vertical flats: hexagons side by side in rows, as the button always drew
    Columns,  // horizontal flats: the same hexagons turned by 90 degrees, in columns
};

// Which lines (rows, or columns) are shifted: the first lies half a hex towards the
// picture's left (top) edge, the second the other way.
enum class ShiftedLines { First, Second };

// How the lines are drawn: solid, in dashes or dots even along each side of a hex, or not at
// all, for a map that carries a printed grid and needs only the numbers.
enum class LineStyle { Solid, Dashed, Dotted, None };

inline constexpr int kMinOpacity = 10;  // percent: a grid fainter than this cannot be seen
inline constexpr int kMaxOpacity = 100;

inline constexpr double kMinStretch = 0.5;
inline constexpr double kMaxStretch = 2.0;
inline constexpr double kMaxRotation = 45;  // degrees either way
inline constexpr double kMaxSkew = 10;

struct GridOptions {
    GridOrientation orientation = GridOrientation::Rows;
    double offsetX = 0;  // pixels; the whole grid moves by this much
    double offsetY = 0;
    ShiftedLines shifted = ShiftedLines::First;
    double stretch = 1;                              // line pitch over that of regular hexes
    std::optional<double> hexPixels = std::nullopt;  // flat to flat, in pixels; unset: W x S / M
    double rotation = 0;                             // degrees, clockwise on the screen
    double skew = 0;            // degrees the lines across the rows (columns) lean
    int opacity = kMaxOpacity;  // percent of the lines' and numbers' colour over the map
    std::optional<QColor> lineColour = std::nullopt;  // unset: the colour of the window's list
    LineStyle lineStyle = LineStyle::Solid;

    bool isDefault() const { return *this == GridOptions{}; }
    // Every option that places the hexagons at its default, whatever the lines look like:
    // the hexagons lie where the button always drew them.
    bool placedByDefault() const {
        GridOptions place = *this;
        place.opacity = kMaxOpacity;
        place.lineColour.reset();
        place.lineStyle = LineStyle::Solid;
        return place.isDefault();
    }
    bool turned() const { return rotation != 0 || skew != 0; }
    friend bool operator==(const GridOptions&, const GridOptions&) = default;
};

}  // namespace tessara
