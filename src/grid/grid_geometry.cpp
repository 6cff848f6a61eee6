#include "grid/grid_geometry.h"

#include <optional>

namespace tessara {
namespace {

// Int(value) + 2 as a count, or nothing when it exceeds the largest count.
std::optional<Integer> countOf(double value) {
    const std::optional<Integer> count = wholeToInteger<Integer>(floorInt(value) + 2);
    if (!count || *count > kMaxCells) {
        return std::nullopt;
    }
    return count;
}

}  // namespace

Single hexWidth(Single pictureWidth, Single hexSize, Single mapSize) {
    return toSingle(static_cast<double>(pictureWidth) * hexSize / mapSize);
}

GridPlan planGrid(Single pictureWidth, Single pictureHeight, Single hexSize, Single mapSize) {
    GridPlan plan;
    if (!(pictureWidth > 0 && pictureHeight > 0)) {
        plan.problem = GridProblem::NoPictureArea;
        return plan;
    }
    plan.hexWidth = hexWidth(pictureWidth, hexSize, mapSize);
    const double h = plan.hexWidth;
    // A width that is 0 as a Single gives infinite counts, which are refused below.
    const std::optional<Integer> rows = countOf(pictureHeight / (h * kRowPitch));
    const std::optional<Integer> columns = countOf(pictureWidth / h);
    if (!rows || !columns) {
        plan.problem = GridProblem::TooManyCells;
        return plan;
    }
    plan.rows = *rows;
    plan.columns = *columns;
    return plan;
}

HexCell cellAt(int column, int row, Single hexWidth) {
    const double h = hexWidth;
    HexCell cell;
    // Within a plan the coordinates stay within a few hex widths of the picture, far
    // inside the 32-bit range.
    cell.y = roundToLong((row - 1) * kRowPitch * h).value_or(0);
    if (row % 2 == 1) {
        cell.x = roundToLong((column - 1) * h - h / 2).value_or(0);
        cell.flatOnly = 0;
    } else {
        cell.x = roundToLong((column - 1) * h).value_or(0);
        cell.flatOnly = 1;
    }
    return cell;
}

Single mapHeightOf(Single pictureWidth, Single pictureHeight, Single mapSize) {
    return toSingle(static_cast<double>(pictureHeight) * mapSize / pictureWidth);
}

}  // namespace tessara
