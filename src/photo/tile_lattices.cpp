#include "photo/tile_lattices.h"

#include <QImage>
#include <QRect>
#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <optional>

#include "core/parallel_work.h"
#include "core/progress.h"
#include "grid/hex_lattice.h"
#include "grid/lattice_search.h"
#include "grid/line_correlation.h"
#include "grid/map_darkness.h"

namespace tessara {
namespace {

// A tile's steps must be whole steps of its neighbour's, and its origin a hex centre of the
// neighbour's, to these parts of a step: a tile's lattice is read to a pixel or two, and the
// grid's scale changes by a few per cent between neighbouring tiles of a tilted photo.
constexpr double kStepSlack = 0.15;
constexpr double kOriginSlack = 0.3;
// Hex centres are taken this far from a tile's middle, in tile sides: further out the
// grid's curve on the photo parts from the tile's affine lattice.
constexpr double kCentreReach = 0.3;
constexpr int kSmallestTile = 96;
constexpr int kLargestTile = 1024;
constexpr double kHexesAcross = 8;
constexpr double kHalvedStep = 32;
// The large tiles of a large photo are read shrunk by half too, as the flat finder reads a
// large map, in a quarter of the time: the hexes' size is all they are read for. Hexes
// smaller than this are read again at full size, as are tiles that chain nothing halved.
constexpr int kHalvedLargeTile = 512;
constexpr double kHalvedLeastStep = 16;
// The small tiles lie side by side, where the large ones overlap by half: chained from
// their neighbours they give as many centres near their middles, and as good a model, the
// folds included, in a quarter of the reading.
constexpr double kSmallApart = 1.0;  // pixels between hex centres: 16 on the halved tile

struct Tile {
    QRect area;
    std::optional<HexLattice> lattice;
    bool read = false;  // its lattice looked for, found or not
    bool chained = false;
    // The tile's index (i, j) is (t0 i + t1 j + s.x, t2 i + t3 j + s.y) on the photo's lattice.
    std::array<int, 4> turn{1, 0, 0, 1};
    QPoint shift;
};

double cross(QPointF a, QPointF b) {
    return a.x() * b.y() - a.y() * b.x();
}

QPointF coordinatesOf(const HexLattice& lattice, QPointF step) {
    const double det = cross(lattice.a, lattice.b);
    return {cross(step, lattice.b) / det, cross(lattice.a, step) / det};
}

bool nearWhole(QPointF c, double slack) {
    return std::abs(c.x() - std::round(c.x())) < slack &&
           std::abs(c.y() - std::round(c.y())) < slack;
}

QPoint rounded(QPointF c) {
    return {static_cast<int>(std::lround(c.x())), static_cast<int>(std::lround(c.y()))};
}

// The lattice of one tile in photo pixels; the flat finder's own search on the tile alone.
std::optional<HexLattice> readTile(const MapDarkness& photo, const QRect& area, int factor) {
    const MapDarkness darkness = photo.part(area);
    std::optional<HexLattice> lattice =
        searchLattice(factor == 0 ? lineWindow(darkness) : lineWindow(darkness, factor));
    if (lattice) {
        lattice->origin += QPointF(area.topLeft());
    }
    return lattice;
}

// Chains `tile` from its neighbour `from`, already chained; false when they disagree.
bool chain(const Tile& from, Tile& tile) {
    const HexLattice& known = *from.lattice;
    const HexLattice& seen = *tile.lattice;
    const QPointF a = coordinatesOf(known, seen.a);
    const QPointF b = coordinatesOf(known, seen.b);
    const QPointF origin = coordinatesOf(known, seen.origin - known.origin);
    if (!nearWhole(a, kStepSlack) || !nearWhole(b, kStepSlack) ||
        !nearWhole(origin, kOriginSlack)) {
        return false;
    }
    const QPoint ra = rounded(a);
    const QPoint rb = rounded(b);
    if (std::abs(ra.x() * rb.y() - ra.y() * rb.x()) != 1) {
        return false;  // not the same lattice: a coarser or finer one
    }
    const QPoint o = rounded(origin);
    const auto& t = from.turn;
    tile.turn = {t[0] * ra.x() + t[1] * ra.y(), t[0] * rb.x() + t[1] * rb.y(),
                 t[2] * ra.x() + t[3] * ra.y(), t[2] * rb.x() + t[3] * rb.y()};
    tile.shift = from.shift + QPoint(t[0] * o.x() + t[1] * o.y(), t[2] * o.x() + t[3] * o.y());
    tile.chained = true;
    return true;
}

double stepOf(const HexLattice& lattice) {
    return (std::hypot(lattice.a.x(), lattice.a.y()) + std::hypot(lattice.b.x(), lattice.b.y())) /
           2;
}

// The tiles of the photo `side` pixels square, half a side apart, their lattices not yet read.
struct TileGrid {
    int side = 0;
    int factor = 0;  // the tiles' line windows shrunk by it; 0 as the flat finder shrinks
    int columns = 0;
    int rows = 0;
    std::vector<Tile> tiles;
};

// Tiles `side` pixels square, `apart` sides from one to the next, over the whole photo.
TileGrid tilesOf(const MapDarkness& photo, int side, double apart = 0.5) {
    TileGrid grid;
    grid.side = std::min({side, photo.width(), photo.height()});
    const int stride = std::max(1, static_cast<int>(grid.side * apart));
    const auto starts = [&](int length) {
        std::vector<int> at;
        const int count = std::max(1, (length - grid.side + stride - 1) / stride + 1);
        for (int k = 0; k < count; ++k) {
            at.push_back(count == 1
                             ? (length - grid.side) / 2
                             : static_cast<int>(std::lround(static_cast<double>(k) *
                                                            (length - grid.side) / (count - 1))));
        }
        return at;
    };
    const std::vector<int> xs = starts(photo.width());
    const std::vector<int> ys = starts(photo.height());
    grid.columns = static_cast<int>(xs.size());
    grid.rows = static_cast<int>(ys.size());
    for (const int y : ys) {
        for (const int x : xs) {
            Tile tile;
            tile.area = QRect(x, y, grid.side, grid.side);
            grid.tiles.push_back(tile);
        }
    }
    return grid;
}

// Reads the lattices of the tiles `which` on every processor, reporting from `from` to `to`.
void readLattices(const MapDarkness& photo, TileGrid& grid, const std::vector<int>& which,
                  Progress& progress, double from, double to) {
    const int count = static_cast<int>(which.size());
    const bool going = runInParallel(
        count,
        [&](int k) {
            Tile& tile = grid.tiles[static_cast<size_t>(which[static_cast<size_t>(k)])];
            tile.lattice = readTile(photo, tile.area, grid.factor);
            tile.read = true;
        },
        [&](int done) { return progress.advance(from + (to - from) * done / count); });
    if (!going) {
        throw WorkCancelled{};
    }
}

// The tiles of the block `reach` tiles either side of the middle one.
std::vector<int> middleTiles(const TileGrid& grid, int reach) {
    std::vector<int> which;
    const int c = grid.columns / 2;
    const int r = grid.rows / 2;
    for (int y = std::max(0, r - reach); y <= std::min(grid.rows - 1, r + reach); ++y) {
        for (int x = std::max(0, c - reach); x <= std::min(grid.columns - 1, c + reach); ++x) {
            which.push_back(y * grid.columns + x);
        }
    }
    return which;
}

std::vector<int> unreadTiles(const TileGrid& grid) {
    std::vector<int> which;
    for (int k = 0; k < static_cast<int>(grid.tiles.size()); ++k) {
        if (!grid.tiles[static_cast<size_t>(k)].read) {
            which.push_back(k);
        }
    }
    return which;
}

// The tiles whose lattice was read chained into one, outwards from the one that most of its
// neighbours agree with; a tile not read is left out.
TileReading chainTiles(const MapDarkness& photo, TileGrid& grid) {
    std::vector<Tile>& tiles = grid.tiles;
    const int columns = grid.columns;
    const int rows = grid.rows;
    const int side = grid.side;
    for (Tile& tile : tiles) {
        tile.chained = false;
        tile.turn = {1, 0, 0, 1};
        tile.shift = QPoint();
    }
    const auto neighbours = [&](int k) {
        std::vector<int> near;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int c = k % columns + dx;
                const int r = k / columns + dy;
                if ((dx != 0 || dy != 0) && c >= 0 && r >= 0 && c < columns && r < rows) {
                    near.push_back(r * columns + c);
                }
            }
        }
        return near;
    };
    // The first tile is the one most of its neighbours agree with, nearest the middle.
    int first = -1;
    double best = -1;
    const QPointF middle(photo.width() / 2.0, photo.height() / 2.0);
    for (int k = 0; k < static_cast<int>(tiles.size()); ++k) {
        if (!tiles[static_cast<size_t>(k)].lattice) {
            continue;
        }
        int agree = 0;
        for (const int n : neighbours(k)) {
            Tile copy = tiles[static_cast<size_t>(n)];
            agree += copy.lattice && chain(tiles[static_cast<size_t>(k)], copy) ? 1 : 0;
        }
        const QPointF d = QRectF(tiles[static_cast<size_t>(k)].area).center() - middle;
        const double score = agree - std::hypot(d.x(), d.y()) / (4.0 * photo.width() + 1);
        if (score > best) {
            best = score;
            first = k;
        }
    }
    TileReading reading;
    if (first < 0) {
        return reading;
    }
    // Outwards from the first tile, each from a neighbour already chained.
    tiles[static_cast<size_t>(first)].chained = true;
    std::deque<int> queue{first};
    std::vector<double> steps;
    while (!queue.empty()) {
        const int k = queue.front();
        queue.pop_front();
        const Tile& from = tiles[static_cast<size_t>(k)];
        steps.push_back(stepOf(*from.lattice));
        for (const int n : neighbours(k)) {
            Tile& tile = tiles[static_cast<size_t>(n)];
            if (!tile.chained && tile.lattice && chain(from, tile)) {
                queue.push_back(n);
            }
        }
    }
    for (const Tile& tile : tiles) {
        if (!tile.chained) {
            continue;
        }
        ++reading.tiles;
        const HexLattice& l = *tile.lattice;
        const QPointF centre = QRectF(tile.area).center();
        const double reach = kCentreReach * side;
        const int range = static_cast<int>(std::ceil(2 * reach / stepOf(l))) + 1;
        for (int j = -range; j <= range; ++j) {
            for (int i = -range; i <= range; ++i) {
                const QPointF p = l.at(i, j);
                if (std::hypot(p.x() - centre.x(), p.y() - centre.y()) > reach ||
                    !photo.holds(p, 1)) {
                    continue;
                }
                const auto& t = tile.turn;
                const QPointF index(t[0] * i + t[1] * j + tile.shift.x(),
                                    t[2] * i + t[3] * j + tile.shift.y());
                reading.centres.push_back({index, p});
            }
        }
    }
    std::sort(steps.begin(), steps.end());
    reading.step = steps[steps.size() / 2];
    return reading;
}

}  // namespace

TileReading readPhoto(const MapDarkness& photo, Progress& progress, double from, double to) {
    const auto part = [&](double share) { return from + (to - from) * share; };
    const int shorter = std::min(photo.width(), photo.height());
    int side = std::max(kSmallestTile, shorter / 3);
    // The hexes' size is read first on the tiles round the middle alone: the smaller tiles
    // read next usually chain more, and the rest of the large ones would then go unused.
    TileGrid large = tilesOf(photo, side);
    large.factor = large.side >= kHalvedLargeTile ? 2 : 0;
    readLattices(photo, large, middleTiles(large, 1), progress, part(0), part(0.1));
    TileReading first = chainTiles(photo, large);
    if (large.factor == 2 && (first.tiles == 0 || first.step < kHalvedLeastStep)) {
        large = tilesOf(photo, side);
        readLattices(photo, large, middleTiles(large, 1), progress, part(0), part(0.1));
        first = chainTiles(photo, large);
    }
    bool whole = false;
    const auto readWhole = [&](double at) {
        readLattices(photo, large, unreadTiles(large), progress, at, at);
        first = chainTiles(photo, large);
        whole = true;
    };
    if (first.tiles == 0) {
        readWhole(part(0.1));
    }
    if (first.tiles == 0 && side > kSmallestTile) {
        side = std::max(kSmallestTile, shorter / 6);
        large = tilesOf(photo, side);
        readWhole(part(0.1));
    }
    if (first.tiles == 0) {
        return first;
    }
    const int smaller =
        std::min(kLargestTile, static_cast<int>(std::lround(kHexesAcross * first.step)));
    if (smaller >= 0.8 * side || smaller < kSmallestTile) {
        if (!whole) {
            readWhole(part(0.1));
        }
        return first;
    }
    TileGrid small = tilesOf(photo, smaller, kSmallApart);
    // Hexes this large are read as well on tiles shrunk by half, in a quarter of the time: the
    // printed lines then fit the model to the photo's own pixels.
    small.factor = first.step >= kHalvedStep ? 2 : 1;
    readLattices(photo, small, unreadTiles(small), progress, part(0.1), part(1));
    TileReading second = chainTiles(photo, small);
    // The large tiles not yet read could chain at most all of them.
    if (!whole && second.tiles <= static_cast<int>(large.tiles.size())) {
        readWhole(part(1));
    }
    return second.tiles > first.tiles ? second : first;
}

}  // namespace tessara
