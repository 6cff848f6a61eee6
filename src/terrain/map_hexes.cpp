#include "terrain/map_hexes.h"

#include <algorithm>
#include <cstdlib>

namespace tessara {

std::vector<MapHex> mapHexes(const GridLayout& layout, const HexNumbering& numbering) {
    const double width = layout.picture.width();
    const double height = layout.picture.height();
    const NumberingFrame frame = numberingFrame(layout, width, height);
    const NumberRange range = numberRange(layout, frame, numbering);
    // Padded as the numbers drawn on the map are, so that a hex is named as it reads.
    const int columnWidth = std::max(paddedWidth(range.firstColumn), paddedWidth(range.lastColumn));
    const int rowWidth = std::max(paddedWidth(range.firstRow), paddedWidth(range.lastRow));
    std::vector<MapHex> hexes;
    hexes.reserve(static_cast<size_t>(frame.count));
    const HexRange lines = hexesOver(layout, layout.pictureArea());
    for (int line = lines.firstLine; line <= lines.lastLine; ++line) {
        for (int cell = lines.firstCell; cell <= lines.lastCell; ++cell) {
            const GridHex hex{line, cell};
            const QPointF centre = hexCentre(layout, hex);
            if (centre.x() < 0 || centre.y() < 0 || centre.x() >= width || centre.y() >= height) {
                continue;
            }
            const auto [column, row] = columnAndRow(layout, frame, numbering, hex);
            hexes.push_back({hex, centre, column, row,
                             hexLabel(numbering, column, row, columnWidth, rowWidth)});
        }
    }
    return hexes;
}

GridLayout cornersGrid(const GridLayout& layout) {
    GridLayout grid = layout;
    if (!layout.fitted()) {
        grid.options.hexPixels = layout.hexSize;
    }
    return grid;
}

bool areNeighbours(const GridLayout& layout, GridHex a, GridHex b) {
    // Along a line, neighbours are one cell apart; on the next line, half a hex either way.
    if (a.line == b.line) {
        return std::abs(a.cell - b.cell) == 1;
    }
    return std::abs(a.line - b.line) == 1 &&
           std::abs(halfHexesAlong(layout, a) - halfHexesAlong(layout, b)) == 1;
}

}  // namespace tessara
