#include "grid/grid_parameters.h"

#include "core/text_to_number.h"
#include "grid/hex_grid.h"

namespace tessara {

GridSizeCheck checkGridSizes(const QString& mapText, const QString& hexText,
                             const QLocale& locale) {
    const std::optional<Single> mapSize = textToSingle(mapText, locale);
    if (!mapSize || !(*mapSize > 0)) {
        return {GridSizeProblem::MapSize, {}};
    }
    const std::optional<Single> hexSize = textToSingle(hexText, locale);
    if (!hexSize || !(*hexSize > 0) || !(*hexSize < *mapSize)) {
        return {GridSizeProblem::HexSize, {}};
    }
    return {GridSizeProblem::None, {*mapSize, *hexSize}};
}

std::optional<GridPen> gridPen(int colourIndex, int thicknessIndex,
                               const std::array<Integer, 7>& lineWidths) {
    const std::optional<QColor> colour = QBColor(colourIndex);
    if (!colour || thicknessIndex < 0 || thicknessIndex >= static_cast<int>(lineWidths.size())) {
        return std::nullopt;
    }
    return GridPen{lineWidths[static_cast<size_t>(thicknessIndex)], *colour};
}

QColor lineColourOf(const GridPen& pen, const GridOptions& options) {
    return options.lineColour.value_or(pen.colour);
}

DashStyle dashStyleOf(LineStyle style) {
    switch (style) {
        case LineStyle::Dashed:
            return DashStyle::Dashed;
        case LineStyle::Dotted:
            return DashStyle::Dotted;
        case LineStyle::Solid:
        case LineStyle::None:
            break;
    }
    return DashStyle::Solid;
}

}  // namespace tessara
