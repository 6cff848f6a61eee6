// What the user chose for a grid: the two sizes typed in, checked, and the pen picked
// from the two lists.
#pragma once

#include <QColor>
#include <QLocale>
#include <QString>
#include <array>
#include <optional>

#include "core/numeric.h"
#include "grid/grid_options.h"
#include "image/line_dashes.h"

namespace tessara {

struct GridSizes {
    Single mapSize = 0;  // M: the map's horizontal dimension, in distance units
    Single hexSize = 0;  // S: the distance between a hexagon's flats, in the same units
};

enum class GridSizeProblem {
    None,
    MapSize,  // not a number, or not above 0
    HexSize,  // not a number, not above 0, or not below the map size
};

struct GridSizeCheck {
    GridSizeProblem problem = GridSizeProblem::None;
    GridSizes sizes;  // valid when there is no problem
};

// Reads both texts as numbers in the user's locale. The map size is checked first, so
// when both are wrong the problem is the map size.
GridSizeCheck checkGridSizes(const QString& mapText, const QString& hexText,
                             const QLocale& locale = QLocale());

// The choices of the colour and thickness lists, in their order; colour n is QBColor(n).
inline constexpr std::array<const char*, 8> kColourNames = {"black", "blue",    "green",  "cyan",
                                                            "red",   "magenta", "yellow", "white"};
inline constexpr std::array<Integer, 7> kLineWidths = {1, 2, 3, 5, 10, 15, 20};

struct GridPen {
    Integer width = 1;  // pixels
    QColor colour;
};

// The pen for the list positions chosen; nothing when a list has no valid selection.
std::optional<GridPen> gridPen(int colourIndex, int thicknessIndex,
                               const std::array<Integer, 7>& lineWidths);

// The colour the lines are drawn in: the options' own, or else the pen's from the list.
QColor lineColourOf(const GridPen& pen, const GridOptions& options);

// How a line of the style is dashed; LineStyle::None draws no line at all.
DashStyle dashStyleOf(LineStyle style);

}  // namespace tessara
