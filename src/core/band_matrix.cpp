#include "core/band_matrix.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tessara {

BandMatrix::BandMatrix(int size, int width)
    : size_(std::max(0, size)),
      width_(std::clamp(width, 0, std::max(0, size - 1))),
      lower_(static_cast<std::size_t>(size_) * static_cast<std::size_t>(width_ + 1), 0.0) {}

std::size_t BandMatrix::index(int i, int j) const {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(width_ + 1) +
           static_cast<std::size_t>(j - i + width_);
}

void BandMatrix::add(int i, int j, double value) {
    if (j > i) {
        std::swap(i, j);
    }
    if (j < 0 || i >= size_ || i - j > width_) {
        throw std::out_of_range("An entry outside the band of the matrix.");
    }
    lower_[index(i, j)] += value;
}

double BandMatrix::at(int i, int j) const {
    if (j > i) {
        std::swap(i, j);
    }
    return i - j > width_ ? 0.0 : lower_[index(i, j)];
}

std::optional<std::vector<double>> BandMatrix::solve(std::vector<double> right) const {
    if (static_cast<int>(right.size()) != size_) {
        return std::nullopt;
    }
    // The factor L (this = L L^T) has the same band; it is worked out row by row in place.
    // Entry (i, k) of the band lies at row(i) + k.
    std::vector<double> l = lower_;
    const auto row = [&](int i) {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(width_);
    };
    for (int i = 0; i < size_; ++i) {
        const int first = std::max(0, i - width_);
        const std::size_t ri = row(i);
        for (int j = first; j <= i; ++j) {
            const std::size_t rj = row(j);
            double sum = l[ri + static_cast<std::size_t>(j)];
            for (int k = std::max(first, j - width_); k < j; ++k) {
                sum -= l[ri + static_cast<std::size_t>(k)] * l[rj + static_cast<std::size_t>(k)];
            }
            if (j < i) {
                l[ri + static_cast<std::size_t>(j)] = sum / l[rj + static_cast<std::size_t>(j)];
            } else if (sum > 0 && std::isfinite(sum)) {
                l[ri + static_cast<std::size_t>(i)] = std::sqrt(sum);
            } else {
                return std::nullopt;
            }
        }
    }
    const auto at = [&](int i, int k) { return l[row(i) + static_cast<std::size_t>(k)]; };
    // L y = right, then L^T x = y.
    for (int i = 0; i < size_; ++i) {
        for (int k = std::max(0, i - width_); k < i; ++k) {
            right[static_cast<std::size_t>(i)] -= at(i, k) * right[static_cast<std::size_t>(k)];
        }
        right[static_cast<std::size_t>(i)] /= at(i, i);
    }
    for (int i = size_ - 1; i >= 0; --i) {
        right[static_cast<std::size_t>(i)] /= at(i, i);
        const double x = right[static_cast<std::size_t>(i)];
        for (int k = std::max(0, i - width_); k < i; ++k) {
            right[static_cast<std::size_t>(k)] -= at(i, k) * x;
        }
    }
    return right;
}

}  // namespace tessara
