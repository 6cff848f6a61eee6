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

template <class Segment>
void eachSegment(Long x, Long y, Single size, Integer flatOnly, Segment&& segment) {
    const auto left = static_cast<Single>(x);
    const auto top = static_cast<Single>(y);
    const Single right = offset(x, size, kRight);
    if (flatOnly != 0) {
        segment(right, offset(y, size, kLoneFlat), right, top);
        return;
    }
    const Single middle = offset(x, size, kMiddle);
    const Single sideEnd = offset(y, size, kSide);
    const Single bottom = offset(y, size, kBottom);
    segment(left, sideEnd, middle, bottom);
    segment(middle, bottom, right, sideEnd);
    segment(right, sideEnd, right, top);
    segment(right, top, middle, offset(y, size, kTop));
    segment(middle, offset(y, size, kTop), left, top);
}

}  // namespace

void draw_hex(PictureBox& surface, Long x, Long y, Single size, Integer flatOnly) {
    // Each segment starts where the one before ended, so the outline is one path.
    bool first = true;
    eachSegment(x, y, size, flatOnly, [&](Single x1, Single y1, Single x2, Single y2) {
        if (first) {
            surface.Line(x1, y1, x2, y2);
            first = false;
        } else {
            surface.LineTo(x2, y2);
        }
    });
}

void traceHex(Long x, Long y, Single size, Integer flatOnly, const SegmentSink& sink) {
    eachSegment(x, y, size, flatOnly, [&](Single x1, Single y1, Single x2, Single y2) {
        sink(QPointF(x1, y1), QPointF(x2, y2));
    });
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
