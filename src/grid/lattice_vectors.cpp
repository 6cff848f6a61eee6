#include "grid/lattice_vectors.h"

namespace tessara {

QPointF turned(QPointF v, double radians) {
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    return {v.x() * cosine - v.y() * sine, v.x() * sine + v.y() * cosine};
}

}  // namespace tessara
