#include "paths.h"

#include <QPainter>
#include <QPen>

namespace tessara {

namespace {

PathPoint between(const PathPoint& a, const PathPoint& b, double t) {
    return {a.point + (b.point - a.point) * t, a.width + (b.width - a.width) * t};
}

}  // namespace

Path smoothed(Path path, int rounds) {
    for (int round = 0; round < rounds && path.size() > 2; ++round) {
        Path next;
        next.reserve(path.size() * 2);
        next.push_back(path.front());
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            next.push_back(between(path[i], path[i + 1], 0.25));
            next.push_back(between(path[i], path[i + 1], 0.75));
        }
        next.push_back(path.back());
        path = std::move(next);
    }
    return path;
}

void strokePath(QPainter& painter, const Path& path, const QColor& colour, double extraWidth) {
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        double width = (path[i].width + path[i + 1].width) / 2 + extraWidth;
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(path[i].point, path[i + 1].point);
    }
}

}  // namespace tessara
