#include "image/line_dashes.h"

#include <algorithm>
#include <cmath>

namespace tessara {
namespace {

// A style's own pattern for a pen w pixels wide, before it is fitted to a line. The round
// ends add w to every dash and take it from every gap: dashes show 4w + 3 long with gaps of
// w + 3, dots are round, w across, w + 3 apart. A one-pixel line has no round ends to speak
// of, so its dots are a pixel long instead of none.
DashPattern ownPattern(DashStyle style, int w) {
    switch (style) {
        case DashStyle::Dashed:
            return {5.0 * w + 6, 3.0 * w + 3};
        case DashStyle::Dotted:
            return {2.0 * w + 3, w <= 1 ? 1.0 : 0.0};
        case DashStyle::Solid:
            break;
    }
    return {};
}

}  // namespace

DashPattern dashPattern(DashStyle style, int penWidth, double length) {
    const DashPattern own = ownPattern(style, std::max(penWidth, 1));
    if (own.period == 0 || !(length > 0) || !std::isfinite(length)) {
        return {};
    }
    const double periods = std::max(1.0, std::round(length / own.period));
    const double scale = length / periods / own.period;
    return {own.period * scale, own.dash * scale};
}

bool onDash(const DashPattern& pattern, double length, double along, double across, double radius) {
    if (pattern.period == 0 || along <= 0 || along >= length) {
        return true;
    }
    const double centre = std::round(along / pattern.period) * pattern.period;
    const double reach = std::sqrt(std::max(0.0, radius * radius - across * across));
    return std::abs(along - centre) <= pattern.dash / 2 + reach;
}

std::vector<QLineF> dashesOf(QPointF from, QPointF to, DashStyle style, int penWidth) {
    const QLineF line(from, to);
    const double length = line.length();
    const DashPattern pattern = dashPattern(style, penWidth, length);
    if (pattern.period == 0) {
        return {line};
    }
    const double reach = pattern.dash / 2 + std::max(penWidth, 1) / 2.0;
    const auto periods = static_cast<int>(std::lround(length / pattern.period));
    std::vector<QLineF> dashes;
    dashes.reserve(static_cast<size_t>(periods) + 1);
    for (int k = 0; k <= periods; ++k) {
        const double centre = k * pattern.period;
        const double start = std::max(0.0, centre - reach) / length;
        const double end = std::min(length, centre + reach) / length;
        dashes.emplace_back(line.pointAt(start), line.pointAt(end));
    }
    return dashes;
}

}  // namespace tessara
