#include "rivers.h"

#include <algorithm>
#include <cmath>

#include "paths.h"

namespace tessara {

namespace {

const QColor kRiverInk(64, 104, 140);

double riverWidth(const Drainage& drainage, int cell, double scale) {
    double strength = std::sqrt(static_cast<double>(drainage.flow[cell]) / drainage.riverFlow);
    return std::min(1.8 + 1.6 * strength, 9.0) * scale;
}

// A river's head has no river flowing into it.
bool isHead(const Drainage& drainage, int cell) {
    if (!drainage.river(cell)) {
        return false;
    }
    std::vector<int> around = drainage.neighbours(cell);
    return std::none_of(around.begin(), around.end(), [&](int next) {
        return drainage.downstream[next] == cell && drainage.river(next);
    });
}

int lengthToOutlet(const Drainage& drainage, int cell) {
    int length = 0;
    for (; cell >= 0 && !drainage.sea(cell); cell = drainage.downstream[cell]) {
        ++length;
    }
    return length;
}

// Each cell's point nudged a little, once for all the rivers through it, so that they
// meander instead of running along the grid and a tributary meets the very line it joins.
std::vector<QPointF> bends(const Drainage& drainage, Random& random) {
    std::vector<QPointF> points(drainage.cells());
    double jitter = 0.3 * drainage.cellPixels;
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        QPointF nudge(random.between(-jitter, jitter), random.between(-jitter, jitter));
        points[cell] = drainage.centre(cell) + (drainage.sea(cell) ? QPointF() : nudge);
    }
    return points;
}

// Past the point where a tributary joins, it runs on along the main river for this many
// cells, hidden under it, so that the rounding off brings the two lines together smoothly.
constexpr int kMergeCells = 2;

// From the head down to the sea, or into the river it joins. Empty for a stub so short that
// it would read as a blot.
Path riverFrom(const Drainage& drainage, const std::vector<QPointF>& points, int head,
               std::vector<char>& drawn, double scale) {
    Path path;
    int own = 0;
    int merged = 0;
    for (int cell = head; cell >= 0; cell = drainage.downstream[cell]) {
        path.push_back({points[cell], riverWidth(drainage, cell, scale)});
        if (drainage.sea(cell)) {
            break;
        }
        if (!drawn[cell]) {
            drawn[cell] = 1;
            ++own;
        } else if (++merged > kMergeCells) {
            // The rounded main river passes through the middle of each of its straight
            // pieces, not through their ends: ending there, the tributary ends on it.
            PathPoint last = path.back();
            path.pop_back();
            path.push_back({(path.back().point + last.point) / 2, last.width});
            break;
        }
    }
    return own >= 2 ? path : Path{};
}

}  // namespace

void drawRivers(QPainter& painter, const Drainage& drainage, double scale, Random random) {
    // The longest rivers first, so that a main stream is one smooth line and the tributaries
    // end on it, rather than the other way round.
    std::vector<std::pair<int, int>> heads;  // length, cell
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        if (isHead(drainage, cell)) {
            heads.emplace_back(lengthToOutlet(drainage, cell), cell);
        }
    }
    std::sort(heads.begin(), heads.end(), [](auto a, auto b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<QPointF> points = bends(drainage, random);
    std::vector<char> drawn(drainage.cells(), 0);
    for (auto [length, head] : heads) {
        strokePath(painter, smoothed(riverFrom(drainage, points, head, drawn, scale), 3),
                   kRiverInk);
    }
}

}  // namespace tessara
