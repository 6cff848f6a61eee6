#include "roads.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "landscape.h"

namespace tessara {

namespace {

const QColor kMainRoad(196, 70, 48);
const QColor kMinorRoad(248, 232, 176);
const QColor kRoadEdge(60, 40, 32);
// Fewer than the spanning tree's roads would leave a town cut off; a few more make loops.
constexpr double kExtraRoadShare = 0.3;
// Following a road already there costs this share of making a new one.
constexpr double kFollowShare = 0.45;

double distance(QPointF a, QPointF b) {
    QPointF d = a - b;
    return std::sqrt(d.x() * d.x() + d.y() * d.y());
}

struct Link {
    int from;
    int to;
    bool main;
};

// Prim's minimum spanning tree over the towns as the crow flies: every town reached, by the
// shortest roads; the next shortest links add a few loops. The roads out of a market town
// are the main roads, the rest minor ones.
std::vector<Link> chooseLinks(const std::vector<Town>& towns) {
    std::size_t count = towns.size();
    std::vector<Link> links;
    if (count < 2) {
        return links;
    }
    std::vector<char> joined(count, 0);
    joined[0] = 1;
    for (std::size_t added = 1; added < count; ++added) {
        Link best{-1, -1, true};
        double bestLength = std::numeric_limits<double>::max();
        for (std::size_t a = 0; a < count; ++a) {
            for (std::size_t b = 0; b < count; ++b) {
                double length = distance(towns[a].centre, towns[b].centre);
                if (joined[a] && !joined[b] && length < bestLength) {
                    bestLength = length;
                    best = {static_cast<int>(a), static_cast<int>(b),
                            towns[a].large || towns[b].large};
                }
            }
        }
        joined[best.to] = 1;
        links.push_back(best);
    }
    std::vector<std::pair<double, Link>> others;
    for (std::size_t a = 0; a < count; ++a) {
        for (std::size_t b = a + 1; b < count; ++b) {
            bool linked = std::any_of(links.begin(), links.end(), [&](const Link& l) {
                return (l.from == static_cast<int>(a) && l.to == static_cast<int>(b)) ||
                       (l.from == static_cast<int>(b) && l.to == static_cast<int>(a));
            });
            if (!linked) {
                others.push_back({distance(towns[a].centre, towns[b].centre),
                                  Link{static_cast<int>(a), static_cast<int>(b),
                                       towns[a].large || towns[b].large}});
            }
        }
    }
    std::stable_sort(others.begin(), others.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    auto extra = static_cast<std::size_t>(std::lround(kExtraRoadShare * count));
    for (std::size_t i = 0; i < std::min(extra, others.size()); ++i) {
        links.push_back(others[i].second);
    }
    return links;
}

struct Step {
    double cost;
    int cell;
    bool operator>(const Step& other) const {
        return cost != other.cost ? cost > other.cost : cell > other.cell;
    }
};

// What a step from one cell to the next costs, in kilometres of easy road.
double stepCost(const Drainage& drainage, int from, int to, const std::vector<char>& road) {
    if (drainage.sea(to)) {
        return std::numeric_limits<double>::infinity();
    }
    double km = distance(drainage.centre(from), drainage.centre(to)) / drainage.pixelsPerKm;
    double climb = std::abs(drainage.height[to] - drainage.height[from]) /
                   (1.0 - drainage.seaLevel) * kHighestMetres;
    // A little roughness turns the roads aside now and then, as fields, farms and fords did.
    double cost = km * (1 + climb / (km * 1000) * 40 + 0.6 * drainage.roughness[to]);
    if (drainage.river(to) && !drainage.river(from)) {
        cost += 3.0;  // a bridge
    }
    // An existing road is cheap to follow, so roads share their way out of a town.
    return road[to] ? cost * kFollowShare : cost;
}

// A* from one cell to another; the cells of the way, first to last.
std::vector<int> route(const Drainage& drainage, int start, int goal,
                       const std::vector<char>& road) {
    std::vector<double> best(drainage.cells(), std::numeric_limits<double>::infinity());
    std::vector<int> previous(drainage.cells(), -1);
    std::priority_queue<Step, std::vector<Step>, std::greater<>> open;
    auto guess = [&](int cell) {
        // Never more than the cheapest road could cost, so the way found is the cheapest.
        return kFollowShare * distance(drainage.centre(cell), drainage.centre(goal)) /
               drainage.pixelsPerKm;
    };
    best[start] = 0;
    open.push({guess(start), start});
    while (!open.empty()) {
        Step here = open.top();
        open.pop();
        if (here.cell == goal) {
            break;
        }
        if (here.cost > best[here.cell] + guess(here.cell) + 1e-9) {
            continue;  // an older, dearer entry
        }
        for (int next : drainage.neighbours(here.cell)) {
            double cost = best[here.cell] + stepCost(drainage, here.cell, next, road);
            if (cost < best[next]) {
                best[next] = cost;
                previous[next] = here.cell;
                open.push({cost + guess(next), next});
            }
        }
    }
    std::vector<int> cells;
    for (int cell = goal; cell >= 0; cell = previous[cell]) {
        cells.push_back(cell);
    }
    std::reverse(cells.begin(), cells.end());
    return cells.front() == start ? cells : std::vector<int>{};
}

}  // namespace

std::vector<Road> planRoads(const Drainage& drainage, const std::vector<Town>& towns,
                            double scale) {
    std::vector<char> road(drainage.cells(), 0);
    std::vector<Road> roads;
    for (const Link& link : chooseLinks(towns)) {
        QPointF from = towns[link.from].centre;
        QPointF to = towns[link.to].centre;
        std::vector<int> cells = route(drainage, drainage.cellAt(from), drainage.cellAt(to), road);
        if (cells.empty()) {
            continue;  // across the water: no road
        }
        double width = (link.main ? 4.5 : 3.6) * scale;
        Path path{{from, width}};
        for (std::size_t i = 1; i + 1 < cells.size(); ++i) {
            path.push_back({drainage.centre(cells[i]), width});
            road[cells[i]] = 1;
        }
        path.push_back({to, width});
        roads.push_back({smoothed(path, 4), link.main});
    }
    return roads;
}

void drawRoads(QPainter& painter, const std::vector<Road>& roads, double scale) {
    // All the edges first, then all the fills, so that where roads meet they merge.
    for (const Road& road : roads) {
        strokePath(painter, road.path, kRoadEdge, 2.0 * scale);
    }
    // Where a minor road runs on a main one, the main road shows.
    for (bool main : {false, true}) {
        for (const Road& road : roads) {
            if (road.main == main) {
                strokePath(painter, road.path, main ? kMainRoad : kMinorRoad);
            }
        }
    }
}

}  // namespace tessara
