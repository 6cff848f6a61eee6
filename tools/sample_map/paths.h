// Lines that wander: the rivers and roads are found cell by cell on a grid, then rounded
// off so that no one sees the grid.
#pragma once

#include <QColor>
#include <QPointF>
#include <vector>

class QPainter;

namespace tessara {

struct PathPoint {
    QPointF point;
    double width;
};
using Path = std::vector<PathPoint>;

// Chaikin's corner cutting, `rounds` times; the ends stay where they are.
Path smoothed(Path path, int rounds);

// Strokes the path piece by piece, each piece as wide as its points say, with round joins so
// the pieces meet without seams.
void strokePath(QPainter& painter, const Path& path, const QColor& colour, double extraWidth = 0);

}  // namespace tessara
