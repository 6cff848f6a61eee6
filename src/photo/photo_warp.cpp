#include "photo/photo_warp.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/band_matrix.h"

namespace tessara {
namespace {

// The penalty on the mesh's second differences, against the observations' weight per
// control point: enough that a control point few things were seen near follows its
// neighbours, little enough that a fold over a few hexes is not flattened.
constexpr double kSmoothness = 0.02;
// A touch of pull towards no displacement keeps the normal equations solvable where the
// penalty leaves a straight slope free and nothing was seen.
constexpr double kPull = 1e-6;

struct Span {
    int first = 0;  // the first of the four control points, along one direction
    std::array<double, 4> weights{};
};

// The uniform cubic B-spline's four weights at `t` knot intervals along a mesh of
// `intervals`; past either end, those of the end.
Span spanAt(double t, int intervals) {
    t = std::clamp(t, 0.0, static_cast<double>(intervals));
    const int i = std::min(static_cast<int>(std::floor(t)), intervals - 1);
    const double u = t - i;
    const double v = 1 - u;
    return {i,
            {v * v * v / 6, (3 * u * u * u - 6 * u * u + 4) / 6,
             (-3 * u * u * u + 3 * u * u + 3 * u + 1) / 6, u * u * u / 6}};
}

int across(const PhotoWarp& w) {
    return w.intervals[0] + 3;
}

int controls(const PhotoWarp& w) {
    return across(w) * (w.intervals[1] + 3);
}

// The unknowns in the order that keeps the normal matrix's band narrowest: each control
// point's x and y side by side, the control points counted along the mesh's shorter way
// first, so that every point is coupled only with those at most three rows of it away.
class Unknowns {
  public:
    explicit Unknowns(const PhotoWarp& w)
        : across_(across(w)), down_(w.intervals[1] + 3), byRows_(across_ <= down_) {}
    int count() const { return 2 * across_ * down_; }
    int width() const { return 2 * (3 * std::min(across_, down_) + 3) + 1; }
    // Component `c` (0: x, 1: y) of control point `p` (row by row along alpha).
    int of(int p, int c) const {
        const int a = p % across_;
        const int b = p / across_;
        return 2 * (byRows_ ? p : a * down_ + b) + c;
    }

  private:
    int across_;
    int down_;
    bool byRows_;
};

// Adds `weight` times the square of the combination `terms` (control point, factor) of one
// component of the displacements (0: x, 1: y) to the normal matrix.
template <size_t N>
void addSquare(BandMatrix& normal, const Unknowns& u,
               const std::array<std::pair<int, double>, N>& terms, int component, double weight) {
    for (const auto& [p, a] : terms) {
        for (const auto& [q, b] : terms) {
            const int i = u.of(p, component);
            const int j = u.of(q, component);
            if (j <= i) {  // each pair once: the band holds (i, j) and (j, i) as one
                normal.add(i, j, weight * a * b);
            }
        }
    }
}

// The second differences along alpha, along beta, and the twist between them, of each
// component: a thin plate's bending.
void addPenalty(const PhotoWarp& w, const Unknowns& u, double weight, BandMatrix& normal) {
    const int n = across(w);
    const int m = w.intervals[1] + 3;
    const auto at = [n](int a, int b) { return b * n + a; };
    for (int c = 0; c < 2; ++c) {
        for (int b = 0; b < m; ++b) {
            for (int a = 0; a < n; ++a) {
                if (a > 0 && a + 1 < n) {
                    addSquare<3>(normal, u,
                                 {{{at(a - 1, b), 1}, {at(a, b), -2}, {at(a + 1, b), 1}}}, c,
                                 weight);
                }
                if (b > 0 && b + 1 < m) {
                    addSquare<3>(normal, u,
                                 {{{at(a, b - 1), 1}, {at(a, b), -2}, {at(a, b + 1), 1}}}, c,
                                 weight);
                }
                if (a + 1 < n && b + 1 < m) {
                    addSquare<4>(normal, u,
                                 {{{at(a, b), 1},
                                   {at(a + 1, b), -1},
                                   {at(a, b + 1), -1},
                                   {at(a + 1, b + 1), 1}}},
                                 c, 2 * weight);
                }
            }
        }
    }
}

// One observation's row of the design matrix: its 16 control points and their weights.
std::array<std::pair<int, double>, 16> rowOf(const PhotoWarp& w, QPointF lattice) {
    const Span sa = spanAt((lattice.x() - w.origin.x()) / w.spacing, w.intervals[0]);
    const Span sb = spanAt((lattice.y() - w.origin.y()) / w.spacing, w.intervals[1]);
    std::array<std::pair<int, double>, 16> row;
    for (size_t j = 0; j < 4; ++j) {
        for (size_t i = 0; i < 4; ++i) {
            row[j * 4 + i] = {
                (sb.first + static_cast<int>(j)) * across(w) + sa.first + static_cast<int>(i),
                sa.weights[i] * sb.weights[j]};
        }
    }
    return row;
}

void addObservation(const PhotoWarp& w, const Unknowns& u, const WarpObservation& o,
                    BandMatrix& normal, std::vector<double>& right) {
    const auto row = rowOf(w, o.lattice);
    const std::array<double, 2> n{o.normal.x(), o.normal.y()};
    for (const auto& [p, a] : row) {
        for (int c = 0; c < 2; ++c) {
            const double g = a * n[static_cast<size_t>(c)];
            const int i = u.of(p, c);
            right[static_cast<size_t>(i)] += o.weight * g * o.value;
            for (const auto& [q, b] : row) {
                for (int d = 0; d < 2; ++d) {
                    const int j = u.of(q, d);
                    if (j <= i) {
                        normal.add(i, j, o.weight * g * b * n[static_cast<size_t>(d)]);
                    }
                }
            }
        }
    }
}

}  // namespace

QPointF PhotoWarp::at(QPointF lattice) const {
    if (empty()) {
        return {};
    }
    QPointF sum;
    for (const auto& [k, a] : rowOf(*this, lattice)) {
        sum += a * shifts[static_cast<size_t>(k)];
    }
    return sum;
}

PhotoWarp warpMeshOver(const QRectF& cells, double spacing) {
    PhotoWarp w;
    w.origin = cells.topLeft();
    w.spacing = spacing;
    w.intervals[0] = std::max(1, static_cast<int>(std::ceil(cells.width() / spacing)));
    w.intervals[1] = std::max(1, static_cast<int>(std::ceil(cells.height() / spacing)));
    w.shifts.assign(static_cast<size_t>(controls(w)), QPointF());
    return w;
}

std::optional<PhotoWarp> fitWarp(const PhotoWarp& mesh, const std::vector<WarpObservation>& seen) {
    const Unknowns u(mesh);
    BandMatrix normal(u.count(), u.width());
    std::vector<double> right(static_cast<size_t>(u.count()), 0.0);
    double total = 0;
    for (const WarpObservation& o : seen) {
        if (o.weight > 0) {
            addObservation(mesh, u, o, normal, right);
            total += o.weight;
        }
    }
    const double perControl = std::max(total / controls(mesh), 1.0);
    addPenalty(mesh, u, kSmoothness * perControl, normal);
    for (int k = 0; k < u.count(); ++k) {
        normal.add(k, k, kPull * perControl);
    }
    const std::optional<std::vector<double>> solved = normal.solve(std::move(right));
    if (!solved) {
        return std::nullopt;
    }
    PhotoWarp fitted = mesh;
    for (size_t k = 0; k < fitted.shifts.size(); ++k) {
        const int p = static_cast<int>(k);
        fitted.shifts[k] = QPointF((*solved)[static_cast<size_t>(u.of(p, 0))],
                                   (*solved)[static_cast<size_t>(u.of(p, 1))]);
    }
    return fitted;
}

}  // namespace tessara
