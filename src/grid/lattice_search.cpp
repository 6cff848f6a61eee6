#include "grid/lattice_search.h"

#include <QLineF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "grid/lattice_vectors.h"
#include "grid/line_correlation.h"

namespace tessara {
namespace {

// The shortest step sought, in window pixels: hexes of 16 pixels shrunk by 2 step 8.
constexpr double kShortestStep = 2.5;
// One step of the lattice is sought among this many strongest peaks, the other round each
// of them: labels and woods make peaks of their own, mostly at short lags.
constexpr int kPeaks = 60;
// A finer lattice replaces a coarser one when its points that the coarser one lacks stand
// this many times the correlation's root mean square high on average.
constexpr double kFinerSignificance = 3;
// Two steps of a hex lattice lie 60 degrees apart and are nearly of a length: stretching by
// 3 per cent and leaning by a degree move them by under 2 degrees and 3 per cent. The slack
// takes hexes stretched by up to 8 per cent, short of a square grid's lattice, which is a
// hex lattice stretched by 15.5 per cent.
constexpr double kAngleSlack = 4;
constexpr double kLengthSlack = 0.07;
// A printed grid's lattice points stand this many times the root mean square of the
// correlation above nothing, on average; a map without one gives 1 to 9.
constexpr double kLeastSignificance = 5;
// A lattice point's peak is sought this far from where the lattice puts it, in window pixels.
constexpr int kReach = 1;

struct Peak {
    QPointF lag;
    float height = 0;
};

// Where a parabola through three samples peaks, from the middle one: within half a sample.
double parabolaPeak(double before, double middle, double after) {
    const double curve = before - 2 * middle + after;
    return curve < 0 ? std::clamp(0.5 * (before - after) / curve, -0.5, 0.5) : 0.0;
}

// The highest correlation within kReach of a lag, refined between pixels; its height is 0
// when that is no local maximum (a slope, not a peak).
Peak peakNear(const LineWindow& window, QPointF lag) {
    const int cx = static_cast<int>(std::lround(lag.x()));
    const int cy = static_cast<int>(std::lround(lag.y()));
    int bx = cx;
    int by = cy;
    float best = -INFINITY;
    for (int dy = -kReach; dy <= kReach; ++dy) {
        for (int dx = -kReach; dx <= kReach; ++dx) {
            const float c = window.correlationAt(cx + dx, cy + dy);
            if (c > best) {
                best = c;
                bx = cx + dx;
                by = cy + dy;
            }
        }
    }
    const double x =
        bx + parabolaPeak(window.correlationAt(bx - 1, by), best, window.correlationAt(bx + 1, by));
    const double y =
        by + parabolaPeak(window.correlationAt(bx, by - 1), best, window.correlationAt(bx, by + 1));
    bool peak = true;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            peak = peak && window.correlationAt(bx + dx, by + dy) <= best;
        }
    }
    return {QPointF(x, y), peak ? best : 0.0f};
}

// The length of a whole lag: the square root of a whole number, exact where the length is
// whole, and far quicker than std::hypot, which guards against overflow no lag can reach.
double wholeLength(int dx, int dy) {
    return std::sqrt(static_cast<double>(dx * dx + dy * dy));
}

// The strongest local maxima of the correlation over half the lags (the other half mirrors
// them), between the shortest step and `longest`.
std::vector<Peak> strongestPeaks(const LineWindow& window, double longest) {
    std::vector<Peak> peaks;
    const int reach = static_cast<int>(longest);
    for (int dy = 0; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const double r = wholeLength(dx, dy);
            if ((dy == 0 && dx <= 0) || r < kShortestStep || r > longest) {
                continue;
            }
            const float c = window.correlationAt(dx, dy);
            bool highest = c > 0;
            for (int ny = -1; ny <= 1 && highest; ++ny) {
                for (int nx = -1; nx <= 1 && highest; ++nx) {
                    const float other = window.correlationAt(dx + nx, dy + ny);
                    // Ties go to the first lag in scan order, so a flat top gives one peak.
                    highest = other < c || (other == c && (ny > 0 || (ny == 0 && nx >= 0)));
                }
            }
            if (highest) {
                peaks.push_back({QPointF(dx, dy), c});
            }
        }
    }
    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const Peak& p, const Peak& q) { return p.height > q.height; });
    if (peaks.size() > static_cast<size_t>(kPeaks)) {
        peaks.resize(kPeaks);
    }
    for (Peak& peak : peaks) {
        peak.lag = peakNear(window, peak.lag).lag;
    }
    return peaks;
}

// Calls visit(n, m, lag) for every lattice point but the origin within `radius`.
template <class Visit>
void forLatticePoints(QPointF a, QPointF b, double radius, Visit&& visit) {
    // Steps 60 degrees apart: a point within the radius has |n|, |m| below 1.2 radius / |a|.
    const int range = static_cast<int>(std::ceil(1.3 * radius / std::min(length(a), length(b))));
    for (int m = -range; m <= range; ++m) {
        for (int n = -range; n <= range; ++n) {
            const QPointF lag = n * a + m * b;
            if ((n != 0 || m != 0) && length(lag) <= radius) {
                visit(n, m, lag);
            }
        }
    }
}

// The root mean square of the correlation over the lags the peaks are sought in.
double rootMeanSquare(const LineWindow& window, double longest) {
    double sum = 0;
    int count = 0;
    const int reach = static_cast<int>(longest);
    for (int dy = 0; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const double r = wholeLength(dx, dy);
            if (r >= kShortestStep && r <= longest) {
                const double c = window.correlationAt(dx, dy);
                sum += c * c;
                ++count;
            }
        }
    }
    return count > 0 ? std::sqrt(sum / count) : 0;
}

struct Hypothesis {
    QPointF a;
    QPointF b;
    double score = 0;

    double cellArea() const { return std::abs(cross(a, b)); }
};

// Whether a lag is a point of the hypothesis's lattice, to `slack` of a step.
bool onLattice(const Hypothesis& h, QPointF lag, double slack = 0.1) {
    const QPointF c = coordinatesOn(h.a, h.b, lag);
    return std::abs(c.x() - std::round(c.x())) < slack &&
           std::abs(c.y() - std::round(c.y())) < slack;
}

// Whether a and b are two steps of a hex lattice: a third step b - a of their length too.
bool hexSteps(QPointF a, QPointF b) {
    const double la = length(a);
    const double lb = length(b);
    const double lc = length(b - a);
    const double angle = std::acos(std::clamp(QPointF::dotProduct(a, b) / (la * lb), -1.0, 1.0)) *
                         180 / std::numbers::pi;
    return std::abs(lb / la - 1) < kLengthSlack && std::abs(lc / la - 1) < kLengthSlack &&
           std::abs(angle - 60) < kAngleSlack;
}

// How well the lattice's points stand on the correlation's peaks: their mean height.
double scoreOf(const LineWindow& window, QPointF a, QPointF b, double radius) {
    double sum = 0;
    int count = 0;
    forLatticePoints(a, b, radius, [&](int, int, QPointF lag) {
        sum += peakNear(window, lag).height;
        ++count;
    });
    return count > 0 ? sum / count : 0;
}

// The mean height of the points of the finer lattice that the coarser one lacks.
double scoreBetween(const LineWindow& window, const Hypothesis& finer, const Hypothesis& coarser,
                    double radius) {
    double sum = 0;
    int count = 0;
    forLatticePoints(finer.a, finer.b, radius, [&](int, int, QPointF lag) {
        if (!onLattice(coarser, lag)) {
            sum += peakNear(window, lag).height;
            ++count;
        }
    });
    return count > 0 ? sum / count : 0;
}

// The steps that put the lattice's points on the peaks best, by least squares over every
// lattice point within `radius`, weighted by the peaks' heights.
void refineSteps(const LineWindow& window, QPointF& a, QPointF& b, double radius) {
    for (int round = 0; round < 3; ++round) {
        double nn = 0, nm = 0, mm = 0;
        QPointF np, mp;
        forLatticePoints(a, b, radius, [&](int n, int m, QPointF lag) {
            const Peak peak = peakNear(window, lag);
            const double w = std::max(0.0f, peak.height);
            nn += w * n * n;
            nm += w * n * m;
            mm += w * m * m;
            np += w * n * peak.lag;
            mp += w * m * peak.lag;
        });
        const double det = nn * mm - nm * nm;
        if (!(det > 0)) {
            return;
        }
        a = (mm * np - nm * mp) / det;
        b = (nn * mp - nm * np) / det;
    }
}

// The highest peak round where `a` turned by `degrees` lies, within the slack of a hex
// lattice's second step; of height 0 when there is none.
Peak partnerOf(const LineWindow& window, QPointF a, double degrees) {
    const QPointF expected = turned(a, degrees * std::numbers::pi / 180);
    const int reach = static_cast<int>(std::ceil(kLengthSlack * length(a))) + 1;
    const int cx = static_cast<int>(std::lround(expected.x()));
    const int cy = static_cast<int>(std::lround(expected.y()));
    Peak best;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const float c = window.correlationAt(cx + dx, cy + dy);
            if (c > best.height) {
                best = {QPointF(cx + dx, cy + dy), c};
            }
        }
    }
    return best.height > 0 ? peakNear(window, best.lag) : Peak{};
}

// The lattices that hold (a, b) as a coarser lattice: steps halved, steps thirded, and steps
// shorter by the square root of 3, turned by 30 degrees (the triangles' centres).
std::array<Hypothesis, 3> finerThan(const Hypothesis& h) {
    return {
        {{h.a / 2, h.b / 2, 0}, {h.a / 3, h.b / 3, 0}, {(h.a + h.b) / 3, (2 * h.b - h.a) / 3, 0}}};
}

double refinedRadius(QPointF a, double longest) {
    return std::min(longest, 12 * length(a));
}

double radiusFor(QPointF b, double longest) {
    return std::min(longest, std::max(3.2 * length(b), 40.0));
}

// The hex lattice the peaks make: each strong peak taken as one step, with the peak 60
// degrees round from it as the other, and the lattice whose points stand highest on the
// correlation kept; then the finest lattice of which it is a coarser one.
std::optional<Hypothesis> bestLattice(const LineWindow& window, const std::vector<Peak>& peaks,
                                      double longest, double spread) {
    std::vector<Hypothesis> hypotheses;
    for (const Peak& peak : peaks) {
        for (const double turn : {60.0, -60.0}) {
            const QPointF a = peak.lag;
            const Peak partner = partnerOf(window, a, turn);
            if (partner.height > 0 && hexSteps(a, partner.lag)) {
                hypotheses.push_back(
                    {a, partner.lag,
                     scoreOf(window, a, partner.lag, radiusFor(partner.lag, longest))});
            }
        }
    }
    if (hypotheses.empty()) {
        return std::nullopt;
    }
    Hypothesis best = *std::max_element(
        hypotheses.begin(), hypotheses.end(),
        [](const Hypothesis& p, const Hypothesis& q) { return p.score < q.score; });
    refineSteps(window, best.a, best.b, refinedRadius(best.a, longest));
    // A coarser lattice of a hex lattice (steps 2, 3, the square root of 3 or of 7 times as
    // long) stands on a share of its peaks as high as its own: the finest lattice that holds
    // the best one and stands nearly as high is the grid's.
    for (bool finer = true; finer;) {
        finer = false;
        const double radius = radiusFor(best.b, longest);
        std::vector<Hypothesis> candidates(hypotheses);
        for (const Hypothesis& h : finerThan(best)) {
            candidates.push_back(h);
        }
        for (Hypothesis h : candidates) {
            if (!(h.cellArea() < 0.9 * best.cellArea()) || length(h.a) < kShortestStep ||
                !onLattice(h, best.a, 0.3) || !onLattice(h, best.b, 0.3)) {
                continue;
            }
            // Steps from single peaks are too rough to say whether far points lie on them.
            refineSteps(window, h.a, h.b, refinedRadius(h.a, longest));
            if (onLattice(h, best.a) && onLattice(h, best.b) &&
                scoreBetween(window, h, best, radius) >= kFinerSignificance * spread) {
                best = {h.a, h.b, scoreOf(window, h.a, h.b, radiusFor(h.b, longest))};
                finer = true;
                break;
            }
        }
    }
    return best;
}

// The lines of the window round its middle folded into one cell of the lattice: the mean
// of the lines at each of bins x bins places of the cell.
struct FoldedCell {
    int bins = 0;
    std::vector<double> mean;

    double at(double u, double v) const {
        // Bin k holds the cell's coordinates (k + 0.5) / bins; wrapped, as the cell repeats.
        const double x = u * bins - 0.5;
        const double y = v * bins - 0.5;
        const double fx = std::floor(x);
        const double fy = std::floor(y);
        const auto wrap = [this](double k) {
            return static_cast<size_t>(((static_cast<int>(k) % bins) + bins) % bins);
        };
        const auto value = [&](double i, double j) {
            return mean[wrap(j) * static_cast<size_t>(bins) + wrap(i)];
        };
        const double tx = x - fx;
        const double ty = y - fy;
        return (1 - ty) * ((1 - tx) * value(fx, fy) + tx * value(fx + 1, fy)) +
               ty * ((1 - tx) * value(fx, fy + 1) + tx * value(fx + 1, fy + 1));
    }
};

FoldedCell fold(const LineWindow& window, QPointF a, QPointF b, QPointF middle, double radius) {
    FoldedCell cell;
    cell.bins = std::clamp(static_cast<int>(std::ceil(1.5 * length(a))), 12, 64);
    const auto bins = static_cast<size_t>(cell.bins);
    std::vector<double> sum(bins * bins, 0.0);
    std::vector<int> count(bins * bins, 0);
    for (int y = 0; y < window.height; ++y) {
        for (int x = 0; x < window.width; ++x) {
            const QPointF p = QPointF(x, y) - middle;
            if (length(p) > radius) {
                continue;
            }
            const QPointF c = coordinatesOn(a, b, p);
            const auto bin = [&](double v) {
                return std::min(bins - 1, static_cast<size_t>((v - std::floor(v)) * cell.bins));
            };
            const size_t k = bin(c.y()) * bins + bin(c.x());
            sum[k] += window.lineAt(x, y);
            ++count[k];
        }
    }
    cell.mean.resize(bins * bins);
    for (size_t k = 0; k < sum.size(); ++k) {
        cell.mean[k] = count[k] > 0 ? sum[k] / count[k] : 0;
    }
    return cell;
}

// How much line the outline of hexes centred on lattice coordinates `centre` covers.
double outlineScore(const FoldedCell& cell, QPointF centre) {
    constexpr int kAlong = 8;
    double sum = 0;
    for (const QPointF end : kSideEnds) {
        for (int k = 0; k < kAlong; ++k) {
            const QPointF p = centre + kOwnCorner + (k + 0.5) / kAlong * (end - kOwnCorner);
            sum += cell.at(p.x(), p.y());
        }
    }
    return sum;
}

// The lattice coordinates of a hex centre: where the outline covers the folded lines best.
QPointF hexCentreOf(const FoldedCell& cell) {
    const int n = cell.bins;
    std::vector<double> score(static_cast<size_t>(n) * static_cast<size_t>(n));
    int best = 0;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const size_t k =
                static_cast<size_t>(j) * static_cast<size_t>(n) + static_cast<size_t>(i);
            score[k] =
                outlineScore(cell, QPointF(static_cast<double>(i) / n, static_cast<double>(j) / n));
            if (score[k] > score[static_cast<size_t>(best)]) {
                best = static_cast<int>(k);
            }
        }
    }
    const int bi = best % n;
    const int bj = best / n;
    const auto at = [&](int i, int j) {
        return score[static_cast<size_t>((j + n) % n) * static_cast<size_t>(n) +
                     static_cast<size_t>((i + n) % n)];
    };
    const double i = bi + parabolaPeak(at(bi - 1, bj), at(bi, bj), at(bi + 1, bj));
    const double j = bj + parabolaPeak(at(bi, bj - 1), at(bi, bj), at(bi, bj + 1));
    return {i / n, j / n};
}

}  // namespace

std::optional<HexLattice> searchLattice(const LineWindow& window) {
    const double longest = 0.4 * std::min(window.width, window.height);
    const std::vector<Peak> peaks = strongestPeaks(window, longest);
    const double spread = rootMeanSquare(window, longest);
    if (peaks.size() < 3) {
        return std::nullopt;
    }
    const std::optional<Hypothesis> lattice = bestLattice(window, peaks, longest, spread);
    if (!lattice || !(lattice->score >= kLeastSignificance * spread)) {
        return std::nullopt;
    }
    QPointF a = lattice->a;
    QPointF b = lattice->b;
    refineSteps(window, a, b, refinedRadius(a, longest));
    const QPointF middle(window.width / 2.0, window.height / 2.0);
    const FoldedCell cell =
        fold(window, a, b, middle, std::min(longest * 1.5, 12 * std::max(length(a), length(b))));
    const QPointF phase = hexCentreOf(cell);
    const QPointF centre = middle + phase.x() * a + phase.y() * b;
    const double f = window.factor;
    return HexLattice{window.toPicture(centre), a * f, b * f};
}

}  // namespace tessara
