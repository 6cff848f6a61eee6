#include "drainage.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace tessara {

namespace {

constexpr double kCellKm = 0.8;
// A river drains at least this many square kilometres.
constexpr double kRiverCatchmentKm2 = 40.0;
// How far the roughness may lift a cell for the water's sake, in shares of the highest land.
// Without it water runs straight down a long slope, and neighbouring rivers run side by side
// like a comb's teeth.
constexpr float kWander = 0.012f;

float wandering(const Drainage& drainage, int cell) {
    return drainage.height[cell] + kWander * drainage.roughness[cell];
}

struct Flooded {
    float level;
    int cell;
    // Ties go to the lower cell number, so the order never depends on the heap's workings.
    bool operator>(const Flooded& other) const {
        return level != other.level ? level > other.level : cell > other.cell;
    }
};

// Priority flood: water rises from every outlet, and each cell drains into the cell it was
// reached from. Pits fill as lakes would, so every cell has a way out, and the order cells
// are reached in runs from the outlets upstream.
std::vector<int> flood(Drainage& drainage) {
    std::priority_queue<Flooded, std::vector<Flooded>, std::greater<>> front;
    std::vector<char> reached(drainage.cells(), 0);
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        int column = cell % drainage.columns;
        int row = cell / drainage.columns;
        bool edge =
            column == 0 || row == 0 || column == drainage.columns - 1 || row == drainage.rows - 1;
        if (drainage.sea(cell) || edge) {
            front.push({wandering(drainage, cell), cell});
            reached[cell] = 1;
        }
    }
    std::vector<int> order;
    order.reserve(drainage.cells());
    while (!front.empty()) {
        Flooded here = front.top();
        front.pop();
        order.push_back(here.cell);
        for (int next : drainage.neighbours(here.cell)) {
            if (!reached[next]) {
                reached[next] = 1;
                drainage.downstream[next] = here.cell;
                front.push({std::max(wandering(drainage, next), here.level + 1e-6f), next});
            }
        }
    }
    return order;
}

}  // namespace

QPointF Drainage::centre(int cell) const {
    return {(cell % columns + 0.5) * cellPixels, (cell / columns + 0.5) * cellPixels};
}

int Drainage::cellAt(QPointF pixel) const {
    int column = std::clamp(static_cast<int>(pixel.x() / cellPixels), 0, columns - 1);
    int row = std::clamp(static_cast<int>(pixel.y() / cellPixels), 0, rows - 1);
    return row * columns + column;
}

std::vector<int> Drainage::neighbours(int cell) const {
    std::vector<int> around;
    int column = cell % columns;
    int row = cell / columns;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int c = column + dx;
            int r = row + dy;
            if ((dx != 0 || dy != 0) && c >= 0 && r >= 0 && c < columns && r < rows) {
                around.push_back(r * columns + c);
            }
        }
    }
    return around;
}

Drainage makeDrainage(const Landscape& land, std::uint64_t seed) {
    double cellPixels = kCellKm * land.pixelsPerKm;
    int columns = static_cast<int>(std::ceil(land.size.width() / cellPixels));
    int rows = static_cast<int>(std::ceil(land.size.height() / cellPixels));
    Drainage drainage{columns, rows, cellPixels, land.pixelsPerKm, land.seaLevel, {}, {},
                      {},      {},   0};
    drainage.height.resize(drainage.cells());
    drainage.roughness.resize(drainage.cells());
    drainage.downstream.assign(drainage.cells(), -1);
    drainage.flow.assign(drainage.cells(), 1);
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        QPointF centre = drainage.centre(cell);
        drainage.height[cell] = static_cast<float>(land.height.atPixel(centre));
        drainage.roughness[cell] = static_cast<float>(fractalNoise(
            seed, centre.x() / land.pixelsPerKm, centre.y() / land.pixelsPerKm, 2.5, 3));
    }
    std::vector<int> order = flood(drainage);
    for (auto cell = order.rbegin(); cell != order.rend(); ++cell) {
        if (drainage.downstream[*cell] >= 0) {
            drainage.flow[drainage.downstream[*cell]] += drainage.flow[*cell];
        }
    }
    drainage.riverFlow = static_cast<int>(kRiverCatchmentKm2 / (kCellKm * kCellKm));
    return drainage;
}

}  // namespace tessara
