#include "photo/photo_grid.h"

#include <cmath>

namespace tessara {

PhotoLens PhotoLens::of(QSizeF photo, double k1) {
    // Pixels are named by their centres: the picture spans -0.5 to size - 0.5.
    return {QPointF((photo.width() - 1) / 2, (photo.height() - 1) / 2),
            std::hypot(photo.width(), photo.height()) / 2, k1};
}

QPointF PhotoLens::distorted(QPointF u) const {
    const QPointF d = u - centre;
    const double r2 = QPointF::dotProduct(d, d) / (radius * radius);
    return centre + d * (1 + k1 * r2);
}

std::optional<QPointF> PhotoLens::undistorted(QPointF p) const {
    const QPointF d = (p - centre) / radius;
    const double rd = std::hypot(d.x(), d.y());
    if (k1 == 0 || rd == 0) {
        return p;
    }
    // Newton's method on rd = r (1 + k1 r^2), from r = rd: the curve rises while
    // 1 + 3 k1 r^2 > 0, which holds over the whole photo for |k1| up to a quarter.
    double r = rd;
    for (int i = 0; i < 20; ++i) {
        const double slope = 1 + 3 * k1 * r * r;
        if (!(slope > 0.05)) {
            return std::nullopt;
        }
        const double step = (r * (1 + k1 * r * r) - rd) / slope;
        r -= step;
        if (std::abs(step) < 1e-13) {
            break;
        }
    }
    if (!(r >= 0) || !(1 + 3 * k1 * r * r > 0.05)) {
        return std::nullopt;
    }
    return centre + (p - centre) * (r / rd);
}

std::optional<QPointF> Homography::map(QPointF p) const {
    const double w = m[6] * p.x() + m[7] * p.y() + m[8];
    if (!(std::abs(w) > 1e-12)) {
        return std::nullopt;
    }
    return QPointF((m[0] * p.x() + m[1] * p.y() + m[2]) / w,
                   (m[3] * p.x() + m[4] * p.y() + m[5]) / w);
}

std::optional<Homography> Homography::inverted() const {
    const auto& a = m;
    const double c0 = a[4] * a[8] - a[5] * a[7];
    const double c1 = a[5] * a[6] - a[3] * a[8];
    const double c2 = a[3] * a[7] - a[4] * a[6];
    const double det = a[0] * c0 + a[1] * c1 + a[2] * c2;
    if (!(std::abs(det) > 1e-300) || !std::isfinite(det)) {
        return std::nullopt;
    }
    Homography inverse;
    inverse.m = {c0 / det, (a[2] * a[7] - a[1] * a[8]) / det, (a[1] * a[5] - a[2] * a[4]) / det,
                 c1 / det, (a[0] * a[8] - a[2] * a[6]) / det, (a[2] * a[3] - a[0] * a[5]) / det,
                 c2 / det, (a[1] * a[6] - a[0] * a[7]) / det, (a[0] * a[4] - a[1] * a[3]) / det};
    return inverse;
}

Homography Homography::operator*(const Homography& right) const {
    Homography product;
    for (size_t r = 0; r < 3; ++r) {
        for (size_t c = 0; c < 3; ++c) {
            double sum = 0;
            for (size_t k = 0; k < 3; ++k) {
                sum += m[r * 3 + k] * right.m[k * 3 + c];
            }
            product.m[r * 3 + c] = sum;
        }
    }
    return product;
}

Homography Homography::normalised() const {
    Homography h = *this;
    if (std::abs(m[8]) > 1e-12) {
        for (double& v : h.m) {
            v /= m[8];
        }
    }
    return h;
}

namespace {

constexpr int kWarpSteps = 6;

std::optional<QPointF> unwarpedLattice(const PhotoGrid& grid, QPointF photo) {
    const std::optional<QPointF> u = grid.lens.undistorted(photo);
    const std::optional<Homography> back = grid.lattice.inverted();
    return u && back ? back->map(*u) : std::nullopt;
}

}  // namespace

std::optional<QPointF> PhotoGrid::toPhoto(QPointF point) const {
    const std::optional<QPointF> u = lattice.map(point);
    if (!u) {
        return std::nullopt;
    }
    const QPointF p = warp.empty() ? lens.distorted(*u) : lens.distorted(*u) + warp.at(point);
    return fromPicture ? fromPicture->map(p) : p;
}

std::optional<QPointF> PhotoGrid::toLattice(QPointF photo) const {
    if (fromPicture) {
        const std::optional<Homography> back = fromPicture->inverted();
        const std::optional<QPointF> p = back ? back->map(photo) : std::nullopt;
        if (!p) {
            return std::nullopt;
        }
        photo = *p;
    }
    std::optional<QPointF> at = unwarpedLattice(*this, photo);
    for (int k = 0; k < kWarpSteps && at && !warp.empty(); ++k) {
        at = unwarpedLattice(*this, photo - warp.at(*at));
    }
    return at;
}

std::optional<QPointF> PhotoGrid::nearestCentre(QPointF photo) const {
    const std::optional<QPointF> c = toLattice(photo);
    if (!c) {
        return std::nullopt;
    }
    // The nearest lattice point of a hex lattice: of the whole points round (alpha, beta),
    // the one nearest on the photo, since the lattice's cells are slanted there.
    std::optional<QPointF> best;
    double nearest = INFINITY;
    const double i0 = std::floor(c->x());
    const double j0 = std::floor(c->y());
    for (const double i : {i0, i0 + 1}) {
        for (const double j : {j0, j0 + 1}) {
            const std::optional<QPointF> p = toPhoto(QPointF(i, j));
            if (p) {
                const double d = std::hypot(p->x() - photo.x(), p->y() - photo.y());
                if (d < nearest) {
                    nearest = d;
                    best = p;
                }
            }
        }
    }
    return best;
}

}  // namespace tessara
