#include "grid/grid_placement.h"

#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace tessara {
namespace {

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

}  // namespace

GridPlacement::GridPlacement(const GridOptions& options, QSizeF picture)
    : columns_(options.orientation == GridOrientation::Columns),
      turned_(options.turned()),
      centre_(picture.width() / 2, picture.height() / 2) {
    if (!turned_) {
        return;
    }
    const double cosine = std::cos(radians(options.rotation));
    const double sine = std::sin(radians(options.rotation));
    const double lean = std::tan(radians(options.skew));
    // K leans x with y for rows, y with x for columns; R K is the linear part.
    const double k01 = columns_ ? 0 : lean;
    const double k10 = columns_ ? lean : 0;
    a_ = cosine - sine * k10;
    b_ = cosine * k01 - sine;
    c_ = sine + cosine * k10;
    d_ = sine * k01 + cosine;
    const double determinant = a_ * d_ - b_ * c_;  // 1: a turn times a shear
    ia_ = d_ / determinant;
    ib_ = -b_ / determinant;
    ic_ = -c_ / determinant;
    id_ = a_ / determinant;
}

QPointF GridPlacement::toPicture(double u, double v) const {
    const QPointF q = columns_ ? QPointF(v, u) : QPointF(u, v);
    if (!turned_) {
        return q;
    }
    const double x = q.x() - centre_.x();
    const double y = q.y() - centre_.y();
    return {centre_.x() + a_ * x + b_ * y, centre_.y() + c_ * x + d_ * y};
}

QPointF GridPlacement::toFrame(QPointF picture) const {
    QPointF q = picture;
    if (turned_) {
        const double x = picture.x() - centre_.x();
        const double y = picture.y() - centre_.y();
        q = {centre_.x() + ia_ * x + ib_ * y, centre_.y() + ic_ * x + id_ * y};
    }
    return columns_ ? QPointF(q.y(), q.x()) : q;
}

QRectF GridPlacement::frameBounds(const QRectF& area) const {
    const QPolygonF corners{toFrame(area.topLeft()), toFrame(area.topRight()),
                            toFrame(area.bottomRight()), toFrame(area.bottomLeft())};
    return corners.boundingRect();
}

QTransform GridPlacement::transform() const {
    const QTransform swap = columns_ ? QTransform(0, 1, 1, 0, 0, 0) : QTransform();
    if (!turned_) {
        return swap;
    }
    // QTransform maps row vectors: (x, y) -> (m11 x + m21 y + dx, m12 x + m22 y + dy).
    const QTransform linear(a_, c_, b_, d_, 0, 0);
    return swap * QTransform::fromTranslate(-centre_.x(), -centre_.y()) * linear *
           QTransform::fromTranslate(centre_.x(), centre_.y());
}

}  // namespace tessara
