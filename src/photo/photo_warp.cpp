#include "photo/photo_warp.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <array>
#include <cmath>

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

// Adds `weight` times the square of the combination `terms` (control point, factor) of one
// component of the displacements (0: x, 1: y) to the normal matrix.
template <size_t N>
void addSquare(cv::Mat& normal, const std::array<std::pair<int, double>, N>& terms, int component,
               double weight) {
    for (const auto& [p, a] : terms) {
        for (const auto& [q, b] : terms) {
            normal.at<double>(2 * p + component, 2 * q + component) += weight * a * b;
        }
    }
}

// The second differences along alpha, along beta, and the twist between them, of each
// component: a thin plate's bending.
void addPenalty(const PhotoWarp& w, double weight, cv::Mat& normal) {
    const int n = across(w);
    const int m = w.intervals[1] + 3;
    const auto at = [n](int a, int b) { return b * n + a; };
    for (int c = 0; c < 2; ++c) {
        for (int b = 0; b < m; ++b) {
            for (int a = 0; a < n; ++a) {
                if (a > 0 && a + 1 < n) {
                    addSquare<3>(normal, {{{at(a - 1, b), 1}, {at(a, b), -2}, {at(a + 1, b), 1}}},
                                 c, weight);
                }
                if (b > 0 && b + 1 < m) {
                    addSquare<3>(normal, {{{at(a, b - 1), 1}, {at(a, b), -2}, {at(a, b + 1), 1}}},
                                 c, weight);
                }
                if (a + 1 < n && b + 1 < m) {
                    addSquare<4>(normal,
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

void addObservation(const PhotoWarp& w, const WarpObservation& o, cv::Mat& normal, cv::Mat& right) {
    const auto row = rowOf(w, o.lattice);
    const std::array<double, 2> n{o.normal.x(), o.normal.y()};
    for (const auto& [p, a] : row) {
        for (int c = 0; c < 2; ++c) {
            const double g = a * n[static_cast<size_t>(c)];
            right.at<double>(2 * p + c) += o.weight * g * o.value;
            for (const auto& [q, b] : row) {
                for (int d = 0; d < 2; ++d) {
                    normal.at<double>(2 * p + c, 2 * q + d) +=
                        o.weight * g * b * n[static_cast<size_t>(d)];
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
    const int unknowns = 2 * controls(mesh);
    cv::Mat normal = cv::Mat::zeros(unknowns, unknowns, CV_64F);
    cv::Mat right = cv::Mat::zeros(unknowns, 1, CV_64F);
    double total = 0;
    for (const WarpObservation& o : seen) {
        if (o.weight > 0) {
            addObservation(mesh, o, normal, right);
            total += o.weight;
        }
    }
    const double perControl = std::max(total / controls(mesh), 1.0);
    addPenalty(mesh, kSmoothness * perControl, normal);
    for (int k = 0; k < unknowns; ++k) {
        normal.at<double>(k, k) += kPull * perControl;
    }
    cv::Mat solved;
    if (!cv::solve(normal, right, solved, cv::DECOMP_CHOLESKY)) {
        return std::nullopt;
    }
    PhotoWarp fitted = mesh;
    for (size_t k = 0; k < fitted.shifts.size(); ++k) {
        fitted.shifts[k] = QPointF(solved.at<double>(static_cast<int>(2 * k)),
                                   solved.at<double>(static_cast<int>(2 * k + 1)));
    }
    return fitted;
}

}  // namespace tessara
