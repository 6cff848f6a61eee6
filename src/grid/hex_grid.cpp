#include "grid/hex_grid.h"

#include <array>

namespace tessara {
namespace {

// Fractions of the width, from the upper end of the left flat.
constexpr double kSide = 0.57735;      // lower ends of the flats
constexpr double kBottom = 0.86603;    // the bottom vertex
constexpr double kTop = -0.28868;      // the top vertex, above the flats
constexpr double kLoneFlat = 0.57736;  // the lone right flat is this long
constexpr double kMiddle = 0.5;        // the top and bottom vertices
constexpr double kRight = 1.0;         // the right flat

// A coordinate plus `size` times a fraction, in double precision, passed on as a Single.
Single offset(Long base, Single size, double fraction) {
    return toSingle(base + static_cast<double>(size) * fraction);
}

}  // namespace

void draw_hex(PictureBox& surface, Long x, Long y, Single size, Integer flatOnly) {
    const auto left = static_cast<Single>(x);
    const auto top = static_cast<Single>(y);
    const Single right = offset(x, size, kRight);
    if (flatOnly != 0) {
        surface.Line(right, offset(y, size, kLoneFlat), right, top);
        return;
    }
    const Single middle = offset(x, size, kMiddle);
    const Single sideEnd = offset(y, size, kSide);
    surface.Line(left, sideEnd, middle, offset(y, size, kBottom));
    surface.LineTo(right, sideEnd);
    surface.LineTo(right, top);
    surface.LineTo(middle, offset(y, size, kTop));
    surface.LineTo(left, top);
}

void drawGrid(PictureBox& surface, const GridPlan& plan) {
    // int counters: a 16-bit one would overflow one step past the largest count.
    for (int column = 1; column <= plan.columns; ++column) {
        for (int row = 1; row <= plan.rows; ++row) {
            const HexCell cell = cellAt(column, row, plan.hexWidth);
            draw_hex(surface, cell.x, cell.y, plan.hexWidth, cell.flatOnly);
        }
    }
}

std::optional<QColor> QBColor(int n) {
    static constexpr std::array<QRgb, 8> kPalette = {
        qRgb(0, 0, 0),   qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0), qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
    };
    if (n < 0 || n >= static_cast<int>(kPalette.size())) {
        return std::nullopt;
    }
    return QColor(kPalette[static_cast<size_t>(n)]);
}

}  // namespace tessara
