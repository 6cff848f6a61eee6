#include "photo/hex_placing.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <cmath>

namespace tessara {
namespace {

// Two sections are placed by their overlap when it holds this many hexes (and this share of
// the smaller's), their colours alike there, and clearly more so than at any other whole
// number of hexes.
constexpr int kLeastHexes = 12;
constexpr double kLeastOverlap = 0.03;
constexpr double kLeastLikeness = 0.5;
constexpr double kLeastLead = 1.5;  // times the rival's weight
// Colours are correlated less this grey: the sums are then small beside the spectra's
// rounding, and the covariances they give are the same.
constexpr double kMiddleGrey = 128;

// One value of every hex as a padded plane for the transform, 0 where the hex is not known;
// with `square`, the sum of the squares of every value.
cv::Mat plane(const HexColours& c, cv::Size size, int value, bool square = false) {
    cv::Mat m(size, CV_64F, cv::Scalar(0));
    for (int y = 0; y < c.rows; ++y) {
        for (int x = 0; x < c.columns; ++x) {
            const auto k = static_cast<size_t>(y * c.columns + x);
            if (!c.known[k]) {
                continue;
            }
            double v = 1;
            if (square) {
                v = 0;
                for (const float f : c.mean[k]) {
                    v += (f - kMiddleGrey) * (f - kMiddleGrey);
                }
            } else if (value >= 0) {
                v = c.mean[k][static_cast<size_t>(value)] - kMiddleGrey;
            }
            m.at<double>(y, x) = v;
        }
    }
    return m;
}

cv::Mat spectrum(const cv::Mat& m) {
    cv::Mat s;
    cv::dft(m, s);
    return s;
}

// a's plane against b's at every shift t (b's index i on a's i + t), at t mod the size.
cv::Mat correlated(const cv::Mat& a, const cv::Mat& b) {
    cv::Mat product, out;
    cv::mulSpectrums(a, b, product, 0, true);
    cv::dft(product, out, cv::DFT_INVERSE | cv::DFT_REAL_OUTPUT | cv::DFT_SCALE);
    return out;
}

}  // namespace

// The sums of the correlation at every placing at once, by the discrete Fourier transform: a
// placing is a shift of b's hexes over a's, since the steps are a lattice's coordinates.
std::vector<Placing> placingsOf(const HexColours& a, const HexColours& b, int least) {
    if (a.columns < 1 || a.rows < 1 || b.columns < 1 || b.rows < 1) {
        return {};
    }
    const cv::Size size(cv::getOptimalDFTSize(a.columns + b.columns - 1),
                        cv::getOptimalDFTSize(a.rows + b.rows - 1));
    const cv::Mat knownA = spectrum(plane(a, size, -1));
    const cv::Mat knownB = spectrum(plane(b, size, -1));
    const cv::Mat n = correlated(knownA, knownB);
    const cv::Mat saa = correlated(spectrum(plane(a, size, -1, true)), knownB);
    const cv::Mat sbb = correlated(knownA, spectrum(plane(b, size, -1, true)));
    cv::Mat sab(size, CV_64F, cv::Scalar(0));
    cv::Mat sasb = sab.clone(), sasa = sab.clone(), sbsb = sab.clone();
    cv::Mat crossed = cv::Mat::zeros(knownA.size(), knownA.type());
    for (int v = 0; v < static_cast<int>(kHexValues); ++v) {
        const cv::Mat fa = spectrum(plane(a, size, v));
        const cv::Mat fb = spectrum(plane(b, size, v));
        cv::Mat product;
        cv::mulSpectrums(fa, fb, product, 0, true);
        crossed += product;
        const cv::Mat sa = correlated(fa, knownB);
        const cv::Mat sb = correlated(knownA, fb);
        sasb += sa.mul(sb);
        sasa += sa.mul(sa);
        sbsb += sb.mul(sb);
    }
    cv::dft(crossed, sab, cv::DFT_INVERSE | cv::DFT_REAL_OUTPUT | cv::DFT_SCALE);
    std::vector<Placing> all;
    // b's first hex on a's hex `steps`: b's index i lies on a's i + t, t = steps + b.first -
    // a.first.
    const QPoint offset = b.first - a.first;
    for (int ty = -(b.rows - 1); ty <= a.rows - 1; ++ty) {
        for (int tx = -(b.columns - 1); tx <= a.columns - 1; ++tx) {
            const int y = (ty + size.height) % size.height;
            const int x = (tx + size.width) % size.width;
            const int hexes = static_cast<int>(std::lround(n.at<double>(y, x)));
            if (hexes < least) {
                continue;
            }
            const double cov = sab.at<double>(y, x) - sasb.at<double>(y, x) / hexes;
            const double va = saa.at<double>(y, x) - sasa.at<double>(y, x) / hexes;
            const double vb = sbb.at<double>(y, x) - sbsb.at<double>(y, x) / hexes;
            const double r = va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : -1;
            const double z = std::atanh(std::clamp(r, -0.999, 0.999));
            all.push_back({QPoint(tx, ty) - offset, r, z * std::sqrt(hexes - 3.0)});
        }
    }
    return all;
}

std::optional<Placing> placeOn(const HexColours& a, const HexColours& b) {
    const int least = std::max(
        kLeastHexes, static_cast<int>(std::ceil(kLeastOverlap * std::min(a.count, b.count))));
    const std::vector<Placing> all = placingsOf(a, b, least);
    const auto lighter = [](const Placing& x, const Placing& y) { return x.weight < y.weight; };
    const auto best = std::max_element(all.begin(), all.end(), lighter);
    if (best == all.end() || best->likeness < kLeastLikeness) {
        return std::nullopt;
    }
    // Its rival: the surest placing more than two hexes from it. Nearer ones share much of
    // its overlap, and terrain that changes slowly from hex to hex makes them alike too.
    double rival = 0;
    for (const Placing& other : all) {
        const QPoint d = other.steps - best->steps;
        const int hexesAway = (std::abs(d.x()) + std::abs(d.y()) + std::abs(d.x() + d.y())) / 2;
        if (hexesAway > 2) {
            rival = std::max(rival, other.weight);
        }
    }
    if (best->weight < kLeastLead * rival) {
        return std::nullopt;
    }
    return *best;
}

}  // namespace tessara
