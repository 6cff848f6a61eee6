#include "grid/line_cutter.h"

#include <algorithm>
#include <cmath>

#include "grid/map_darkness.h"

namespace tessara {
namespace {

constexpr double kAgreement = 0.6;  // pixels between the line before a cut and after it

}  // namespace

LineCutter::LineCutter(const MapDarkness& map, double hexPixels)
    : map_(map),
      // Cuts reach a little past lines 4 pixels wide, but stay clear of the neighbouring
      // sides of small hexes.
      half_(std::clamp(0.2 * hexPixels, 2.5, kLongestHalf)),
      window_(std::clamp(half_ - 1.5, 1.0, 2.5)),
      count_(2 * static_cast<int>(std::lround(half_ / kStep)) + 1),
      // Long sides average their profiles over more of their length, against faint lines
      // in grain.
      spread_(std::clamp(0.07 * hexPixels, 1.5, 5.0)),
      profiles_(std::clamp(static_cast<int>(std::lround(spread_)), 1, 4)) {}

std::vector<double> LineCutter::places(double side) const {
    const double clear = std::min(side / 2, clearance());
    const double usable = side - 2 * clear;
    const int count =
        std::clamp(1 + static_cast<int>(usable / std::max(4.0, 2 * half_)), 1, kMostPlaces);
    std::vector<double> at;
    for (int k = 0; k < count; ++k) {
        at.push_back((clear + usable * (k + 0.5) / count) / side);
    }
    return at;
}

bool LineCutter::measure(QPointF at, QPointF along, QPointF normal, LineCrossing& crossing) const {
    double before = 0, after = 0, darkBefore = 0, darkAfter = 0;
    const bool lineBefore = centreOf(meanProfile(at, -along, normal), before, darkBefore);
    const bool lineAfter = centreOf(meanProfile(at, along, normal), after, darkAfter);
    crossing.seen = std::max(lineBefore ? darkBefore : 0.0, lineAfter ? darkAfter : 0.0);
    if (!lineBefore || !lineAfter || std::abs(before - after) > kAgreement) {
        return false;
    }
    crossing.offset = (before + after) / 2;
    crossing.contrast = std::min(darkBefore, darkAfter);
    return true;
}

// The mean of the profiles across the side at `profiles_` places up to spread_ from `at` in
// the direction `way`.
LineCutter::Profile LineCutter::meanProfile(QPointF at, QPointF way, QPointF normal) const {
    Profile d{};
    const double first = -(count_ / 2) * kStep;
    for (int i = 1; i <= profiles_; ++i) {
        const QPointF middle = at + (spread_ * i / profiles_) * way;
        for (int k = 0; k < count_; ++k) {
            const QPointF p = middle + (first + k * kStep) * normal;
            d[static_cast<size_t>(k)] += map_.at(p.x(), p.y());
        }
    }
    for (double& v : d) {
        v /= profiles_;
    }
    return d;
}

// The line's centre on a profile, by the centroid of its darkness round the darkest sample,
// over a straight base through the profile's two ends.
bool LineCutter::centreOf(const Profile& d, double& offset, double& contrast) const {
    const double first = -(count_ / 2) * kStep;
    const auto n = static_cast<size_t>(count_);
    const double left = (d[0] + d[1]) / 2;
    const double right = (d[n - 1] + d[n - 2]) / 2;
    const auto above = [&](int k) {
        const double t = static_cast<double>(k) / (count_ - 1);
        return d[static_cast<size_t>(k)] - (left + t * (right - left));
    };
    int darkest = 2;
    for (int k = 2; k < count_ - 2; ++k) {
        if (above(k) > above(darkest)) {
            darkest = k;
        }
    }
    const int reach = static_cast<int>(window_ / kStep);
    double sum = 0;
    double moment = 0;
    for (int k = std::max(0, darkest - reach); k <= std::min(count_ - 1, darkest + reach); ++k) {
        const double w = std::max(0.0, above(k));
        sum += w;
        moment += w * (first + k * kStep);
    }
    if (!(sum > 0)) {
        return false;
    }
    offset = moment / sum;
    contrast = above(darkest);
    return true;
}

}  // namespace tessara
