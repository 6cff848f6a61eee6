#include "photo/board_edges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>

#include "core/parallel_work.h"

namespace tessara {
namespace {

// The small board's hexes, pixels: an edge is placed to a pixel of it, a twentieth of a hex.
constexpr double kProbeHex = 20;
// A step is paper against the table when the median brightness of the pixels either side of
// it differs by this many grey levels: medians, so that a printed line, thinner than half
// of them, leaves none.
constexpr int kStepPixels = 5;
constexpr double kLeastStep = 40;
// A side's edge is found when this share of its lines show a step on one straight edge.
constexpr double kLeastShare = 0.4;
constexpr double kOnTheEdge = 1.5;  // probe pixels from the fitted edge
constexpr double kInside = 1.5;     // hexes

// The small board is transparent where the photo does not reach, and partly so next to it:
// a line across a side ends there, the photo's own edge being no edge of the paper.
constexpr QRgb kOffThePhoto = 0x00ffffff;
constexpr double kNoBrightness = -1;

// A strip of the small board along one of its sides, made alone: the middle of the board is
// never looked at.
class Strip {
  public:
    Strip(const QImage& photo, const PhotoGrid& grid, FlatBoard board, QRect area)
        : origin_(area.topLeft()) {
        board.start = board.toLattice(QPointF(area.topLeft()));
        board.size = area.size();
        board.outside = kOffThePhoto;
        pixels_ = flattenPhoto(photo, grid, board);
    }
    bool made() const { return !pixels_.isNull(); }
    // The brightness of the small board's pixel (x, y), in the strip; kNoBrightness off the
    // photo.
    double at(int x, int y) const {
        const QRgb p =
            reinterpret_cast<const QRgb*>(pixels_.constScanLine(y - origin_.y()))[x - origin_.x()];
        return qAlpha(p) == 255 ? qGray(p) : kNoBrightness;
    }

  private:
    QPoint origin_;
    QImage pixels_;
};

// One line across a side: where its brightness steps most, outwards from the printed hexes.
struct Step {
    double along;  // the line's place along the side, probe pixels
    double out;    // the step's distance beyond the printed hexes, probe pixels
    double size;   // grey levels, signed: paper lighter than the table is positive
};

double middleValue(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The step of largest size on `profile`: brightness outwards, from kInside hexes inside the
// printed hexes' outline, pixel d covering d - kInside kProbeHex to one pixel more out. The
// paper's edge may cut the outermost hexes, the print being turned a little on the paper.
std::optional<Step> largestStep(const std::vector<double>& profile, double along) {
    std::optional<Step> best;
    // The median of the kStepPixels pixels from `first` on, sorted in a copy on the stack:
    // each line asks for two at every pixel.
    const auto median = [&](int first) {
        std::array<double, kStepPixels> v;
        std::copy_n(profile.begin() + first, kStepPixels, v.begin());
        std::nth_element(v.begin(), v.begin() + kStepPixels / 2, v.end());
        return v[kStepPixels / 2];
    };
    for (int d = kStepPixels; d + kStepPixels <= static_cast<int>(profile.size()); ++d) {
        const double size = median(d - kStepPixels) - median(d);
        if (!best || std::abs(size) > std::abs(best->size)) {
            best = Step{along, d - kInside * kProbeHex, size};
        }
    }
    return best && std::abs(best->size) >= kLeastStep ? best : std::nullopt;
}

// out = a + b along, least squares over `steps`.
struct Edge {
    double a = 0;
    double b = 0;
    double at(double along) const { return a + b * along; }
};

std::optional<Edge> fitEdge(const std::vector<Step>& steps) {
    if (steps.size() < 2) {
        return std::nullopt;
    }
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Step& s : steps) {
        n += 1;
        sx += s.along;
        sy += s.out;
        sxx += s.along * s.along;
        sxy += s.along * s.out;
    }
    const double det = n * sxx - sx * sx;
    if (std::abs(det) < 1e-9) {
        return std::nullopt;
    }
    const double b = (n * sxy - sx * sy) / det;
    return Edge{(sy - b * sx) / n, b};
}

// The steps on one straight edge: those on the side of paper against table that most show,
// fitted, then fitted again on the steps near the fit, nearer each time.
std::optional<Edge> edgeOf(std::vector<Step> steps, int lines) {
    std::vector<double> sizes;
    for (const Step& s : steps) {
        sizes.push_back(s.size);
    }
    if (sizes.empty()) {
        return std::nullopt;
    }
    const bool lighter = middleValue(sizes) > 0;
    std::erase_if(steps, [&](const Step& s) { return (s.size > 0) != lighter; });
    std::optional<Edge> edge = fitEdge(steps);
    for (const double near : {4 * kOnTheEdge, 2 * kOnTheEdge, kOnTheEdge}) {
        if (!edge) {
            return std::nullopt;
        }
        std::erase_if(steps,
                      [&](const Step& s) { return std::abs(s.out - edge->at(s.along)) > near; });
        if (steps.size() < kLeastShare * lines) {
            return std::nullopt;
        }
        edge = fitEdge(steps);
    }
    return edge;
}

// The margin on one side in hexes: `lines` lines across it, line k's brightness outwards
// given by `profile(k)`.
template <class Profile>
double marginOf(int lines, double reach, Profile&& profile) {
    std::vector<Step> steps;
    for (int k = 0; k < lines; ++k) {
        if (const std::optional<Step> s = largestStep(profile(k), k)) {
            steps.push_back(*s);
        }
    }
    const std::optional<Edge> edge = edgeOf(steps, lines);
    if (!edge) {
        return kFlatMarginHexes;
    }
    const double farthest = std::max(edge->at(0), edge->at(lines - 1));
    return std::clamp(farthest, 0.0, reach) / kProbeHex;
}

}  // namespace

FlatMargins findBoardMargins(const QImage& photo, const PhotoGrid& grid, const PhotoGrid& upright,
                             const std::vector<QPointF>& hexes) {
    const FlatMargins wide{kEdgeReach, kEdgeReach, kEdgeReach, kEdgeReach};
    const FlatPlan plan = planFlatBoard(upright, hexes, kProbeHex, wide);
    const int reach = static_cast<int>(std::floor(kEdgeReach * kProbeHex));
    const int inside = static_cast<int>(kInside * kProbeHex);
    if (!plan.board || plan.board->size.width() <= 2 * (reach + inside) ||
        plan.board->size.height() <= 2 * (reach + inside)) {
        return {};
    }
    const int w = plan.board->size.width();
    const int h = plan.board->size.height();
    const int band = reach + inside;
    // Each side's strip, and the lines across it between its corners' margins from inside
    // the printed hexes out: pixel d of line k lies at place(k, d).
    struct Side {
        QRect area;
        int lines;
        std::function<QPoint(int k, int d)> place;
    };
    const std::array<Side, 4> sides{{
        {QRect(0, 0, band, h), h - 2 * reach,
         [&](int k, int d) { return QPoint(reach - 1 - d, reach + k); }},
        {QRect(w - band, 0, band, h), h - 2 * reach,
         [&](int k, int d) { return QPoint(w - reach + d, reach + k); }},
        {QRect(0, 0, w, band), w - 2 * reach,
         [&](int k, int d) { return QPoint(reach + k, reach - 1 - d); }},
        {QRect(0, h - band, w, band), w - 2 * reach,
         [&](int k, int d) { return QPoint(reach + k, h - reach + d); }},
    }};
    std::array<std::optional<double>, 4> found;
    // The four sides are independent: side by side on the processors.
    runInParallel(
        static_cast<int>(sides.size()),
        [&](int n) {
            const Side& side = sides[static_cast<size_t>(n)];
            const Strip strip(photo, grid, *plan.board, side.area);
            if (!strip.made()) {
                return;
            }
            found[static_cast<size_t>(n)] = marginOf(side.lines, reach, [&](int k) {
                std::vector<double> profile;
                for (int d = -inside; d < reach; ++d) {
                    const QPoint p = side.place(k, d);
                    const double brightness = strip.at(p.x(), p.y());
                    if (brightness == kNoBrightness) {
                        break;
                    }
                    profile.push_back(brightness);
                }
                return profile;
            });
        },
        [](int) { return true; });
    if (!found[0] || !found[1] || !found[2] || !found[3]) {
        return {};
    }
    FlatMargins margins;
    margins.left = *found[0];
    margins.right = *found[1];
    margins.top = *found[2];
    margins.bottom = *found[3];
    return margins;
}

}  // namespace tessara
