#include "photo/photo_fit.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <array>
#include <cmath>

namespace tessara {
namespace {

constexpr int kNumbers = 9;
constexpr double kDelta = 1e-6;  // the step of the numerical derivatives

// The grid moved by `d`: eight numbers that change the homography on the photo's side,
// where the photo is scaled to about a unit across so that all eight are of a size, and
// the lens's k1.
//   H' = S^-1 (I + D) S H,   D = | d0 d1 d2 |   S: photo pixels to (p - c) / R
//                                | d3 d4 d5 |
//                                | d6 d7 0  |
PhotoGrid moved(const PhotoGrid& grid, const std::array<double, kNumbers>& d) {
    const double r = grid.lens.radius;
    const QPointF c = grid.lens.centre;
    const Homography s{{1 / r, 0, -c.x() / r, 0, 1 / r, -c.y() / r, 0, 0, 1}};
    const Homography back{{r, 0, c.x(), 0, r, c.y(), 0, 0, 1}};
    const Homography change{{1 + d[0], d[1], d[2], d[3], 1 + d[4], d[5], d[6], d[7], 1}};
    PhotoGrid result = grid;
    result.lattice = (back * change * s * grid.lattice).normalised();
    result.lens.k1 += d[8];
    return result;
}

double medianOf(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double weightOf(Loss loss, double residual, double limit) {
    const double t = std::abs(residual) / limit;
    if (loss == Loss::Huber) {
        return t <= 1 ? 1 : 1 / t;
    }
    return t < 1 ? (1 - t * t) * (1 - t * t) : 0;
}

// The observation's residual on the grid: what was seen less where the grid puts it.
std::optional<double> residualOf(const PhotoGrid& grid, const Observation& o) {
    const std::optional<QPointF> p = grid.toPhoto(o.lattice);
    if (!p) {
        return std::nullopt;
    }
    return o.value - QPointF::dotProduct(o.normal, *p);
}

// Each observation's weight under `loss` on its residual from `grid`, the limit taken as
// fitObservations takes it.
std::vector<double> weightsOf(const PhotoGrid& grid, const std::vector<Observation>& seen,
                              Loss loss, double scale) {
    std::vector<double> residuals;
    std::vector<double> spread;
    for (const Observation& o : seen) {
        const std::optional<double> r = residualOf(grid, o);
        residuals.push_back(r ? *r : INFINITY);
        if (r) {
            spread.push_back(std::abs(*r));
        }
    }
    const double limit =
        loss == Loss::Tukey ? 4.685 * std::max(scale / 4.685, 1.4826 * medianOf(spread)) : scale;
    std::vector<double> weights;
    for (const double r : residuals) {
        weights.push_back(std::isfinite(r) ? weightOf(loss, r, limit) : 0);
    }
    return weights;
}

}  // namespace

std::optional<PhotoGrid> fitWarpObservations(const PhotoGrid& start,
                                             const std::vector<Observation>& seen, Loss loss,
                                             double scale, int rounds) {
    PhotoGrid grid = start;
    PhotoGrid flat = start;
    flat.warp = {};
    for (int round = 0; round < rounds; ++round) {
        const std::vector<double> weights = weightsOf(grid, seen, loss, scale);
        std::vector<WarpObservation> left;
        for (size_t i = 0; i < seen.size(); ++i) {
            const std::optional<double> r = residualOf(flat, seen[i]);
            if (r && weights[i] > 0) {
                left.push_back({seen[i].lattice, seen[i].normal, *r, weights[i]});
            }
        }
        const std::optional<PhotoWarp> warp = fitWarp(grid.warp, left);
        if (!warp) {
            return std::nullopt;
        }
        grid.warp = *warp;
    }
    return grid;
}

std::optional<PhotoGrid> fitObservations(const PhotoGrid& start,
                                         const std::vector<Observation>& seen, Loss loss,
                                         double scale, int rounds, bool lens, FitReport* report) {
    const int numbers = lens ? kNumbers : kNumbers - 1;
    PhotoGrid grid = start;
    std::vector<double> residuals(seen.size(), 0);
    std::vector<double> weights(seen.size(), 1);
    int counted = 0;
    for (int round = 0; round <= rounds; ++round) {
        std::vector<double> spread;
        for (size_t i = 0; i < seen.size(); ++i) {
            const std::optional<double> r = residualOf(grid, seen[i]);
            residuals[i] = r ? *r : INFINITY;
            if (r) {
                spread.push_back(std::abs(*r));
            }
        }
        // The loss's limit from the residuals' own spread, and never below `scale`.
        const double limit = loss == Loss::Tukey
                                 ? 4.685 * std::max(scale / 4.685, 1.4826 * medianOf(spread))
                                 : scale;
        counted = 0;
        for (size_t i = 0; i < seen.size(); ++i) {
            weights[i] = std::isfinite(residuals[i]) ? weightOf(loss, residuals[i], limit) : 0;
            counted += weights[i] > 0 ? 1 : 0;
        }
        if (round == rounds) {
            break;
        }
        if (counted < 2 * kNumbers) {
            return std::nullopt;
        }
        std::array<PhotoGrid, kNumbers> nudged;
        for (size_t k = 0; k < kNumbers; ++k) {
            std::array<double, kNumbers> d{};
            d[k] = kDelta;
            nudged[k] = moved(grid, d);
        }
        cv::Mat normal = cv::Mat::zeros(numbers, numbers, CV_64F);
        cv::Mat right = cv::Mat::zeros(numbers, 1, CV_64F);
        for (size_t i = 0; i < seen.size(); ++i) {
            if (weights[i] <= 0) {
                continue;
            }
            std::array<double, kNumbers> g{};
            bool whole = true;
            for (size_t k = 0; k < static_cast<size_t>(numbers); ++k) {
                const std::optional<double> r = residualOf(nudged[k], seen[i]);
                whole = whole && r.has_value();
                g[k] = r ? (residuals[i] - *r) / kDelta : 0;
            }
            if (!whole) {
                continue;
            }
            for (int p = 0; p < numbers; ++p) {
                for (int q = 0; q < numbers; ++q) {
                    normal.at<double>(p, q) +=
                        weights[i] * g[static_cast<size_t>(p)] * g[static_cast<size_t>(q)];
                }
                right.at<double>(p) += weights[i] * g[static_cast<size_t>(p)] * residuals[i];
            }
        }
        // A touch of damping keeps a poorly held number (k1 on a small board) in place.
        for (int p = 0; p < numbers; ++p) {
            normal.at<double>(p, p) *= 1 + 1e-9;
        }
        cv::Mat step;
        if (!cv::solve(normal, right, step, cv::DECOMP_CHOLESKY)) {
            return std::nullopt;
        }
        std::array<double, kNumbers> d{};
        for (int k = 0; k < numbers; ++k) {
            d[static_cast<size_t>(k)] = step.at<double>(k);
        }
        grid = moved(grid, d);
    }
    if (report) {
        report->residuals = residuals;
        report->counted = counted;
    }
    return grid;
}

}  // namespace tessara
