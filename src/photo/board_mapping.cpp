#include "photo/board_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tessara {
namespace {

constexpr float kUnseen = std::numeric_limits<float>::quiet_NaN();
constexpr double kFarthestGuess = 0.01;  // pixels

struct Node {
    double x = 0;
    double y = 0;
    bool seen = false;
};

Node nodeAt(const PhotoGrid& grid, const FlatBoard& board, QPointF point) {
    const std::optional<QPointF> p = grid.toPhoto(board.toLattice(point));
    return p ? Node{p->x(), p->y(), true} : Node{};
}

}  // namespace

void photoPointsOf(const PhotoGrid& grid, const FlatBoard& board, QPointF origin, int width,
                   int rows, float* xs, float* ys) {
    if (width < 1 || rows < 1) {
        return;
    }
    // Nodes every kMappedStep pixels, and one on the last pixel of each side.
    const int across = (width - 1 + kMappedStep - 1) / kMappedStep + 1;
    const int down = (rows - 1 + kMappedStep - 1) / kMappedStep + 1;
    const auto nodeX = [&](int i) { return std::min(i * kMappedStep, width - 1); };
    const auto nodeY = [&](int j) { return std::min(j * kMappedStep, rows - 1); };
    std::vector<Node> nodes(static_cast<size_t>(across) * down);
    for (int j = 0; j < down; ++j) {
        for (int i = 0; i < across; ++i) {
            nodes[static_cast<size_t>(j * across + i)] =
                nodeAt(grid, board, origin + QPointF(nodeX(i), nodeY(j)));
        }
    }
    const auto node = [&](int i, int j) -> const Node& {
        return nodes[static_cast<size_t>(std::min(j, down - 1) * across + std::min(i, across - 1))];
    };
    // Each cell is a node's pixels up to the next node's, and the last cells up to the end.
    for (int j = 0; j < std::max(down - 1, 1); ++j) {
        const int y0 = nodeY(j);
        const int y1 = nodeY(std::min(j + 1, down - 1));
        const int yEnd = j + 2 < down ? y1 - 1 : y1;
        for (int i = 0; i < std::max(across - 1, 1); ++i) {
            const int x0 = nodeX(i);
            const int x1 = nodeX(std::min(i + 1, across - 1));
            const int xEnd = i + 2 < across ? x1 - 1 : x1;
            const Node &a = node(i, j), &b = node(i + 1, j), &c = node(i, j + 1),
                       &d = node(i + 1, j + 1);
            bool whole = a.seen && b.seen && c.seen && d.seen;
            if (whole) {
                // A cell the guess misses in its middle (across a tilt's horizon, or where a
                // strong lens folds) is worked out pixel by pixel.
                const Node m =
                    nodeAt(grid, board, origin + QPointF((x0 + x1) / 2.0, (y0 + y1) / 2.0));
                const double gx = (a.x + b.x + c.x + d.x) / 4, gy = (a.y + b.y + c.y + d.y) / 4;
                whole = m.seen && std::hypot(m.x - gx, m.y - gy) < kFarthestGuess;
            }
            for (int y = y0; y <= yEnd; ++y) {
                const double v = y1 > y0 ? static_cast<double>(y - y0) / (y1 - y0) : 0;
                float* rowX = xs + static_cast<size_t>(y) * width;
                float* rowY = ys + static_cast<size_t>(y) * width;
                for (int x = x0; x <= xEnd; ++x) {
                    if (!whole) {
                        // Where the model ends within the cell, every pixel is worked out.
                        const Node n = nodeAt(grid, board, origin + QPointF(x, y));
                        rowX[x] = n.seen ? static_cast<float>(n.x) : kUnseen;
                        rowY[x] = n.seen ? static_cast<float>(n.y) : kUnseen;
                        continue;
                    }
                    const double u = x1 > x0 ? static_cast<double>(x - x0) / (x1 - x0) : 0;
                    const double xAbove = a.x + u * (b.x - a.x), xBelow = c.x + u * (d.x - c.x);
                    const double yAbove = a.y + u * (b.y - a.y), yBelow = c.y + u * (d.y - c.y);
                    rowX[x] = static_cast<float>(xAbove + v * (xBelow - xAbove));
                    rowY[x] = static_cast<float>(yAbove + v * (yBelow - yAbove));
                }
            }
        }
    }
}

}  // namespace tessara
