// The photo grid finder's first look: the flat finder's lattice search run on overlapping
// tiles of the photo, small enough that the grid in each is nearly affine, and the tiles'
// hex indices chained into one, so that every hex centre seen gets the index of one lattice.
#pragma once

#include <QPointF>
#include <QSize>
#include <vector>

namespace tessara {

class MapDarkness;
class Progress;

// A hex centre on the photo and its index on the one lattice of the whole photo.
struct CentreMatch {
    QPointF lattice;  // whole numbers
    QPointF photo;
};

struct TileReading {
    std::vector<CentreMatch> centres;  // round the middles of the tiles chained
    double step = 0;                   // the median length of the tiles' steps, pixels
    int tiles = 0;                     // how many tiles were read and chained
};

// The photo read in tiles of its darkness, half a side apart: a tile joins the chain from a
// neighbour already in it when its lattice's steps are whole-number steps of the neighbour's
// and its origin a hex centre of the neighbour's, each to a small part of a hex. The tiles
// are a third of the photo's shorter side (a sixth when those find no grid, the grid too
// bent within them), and again about eight hexes across where the hexes are small, since a
// tilted or bent grid is closer to affine in a smaller tile; the reading that chained more
// tiles. No tiles when neither finds a grid. The tiles are read on every processor, the
// progress reported from `from` to `to`; throws WorkCancelled when the user stops it.
TileReading readPhoto(const MapDarkness& photo, Progress& progress, double from, double to);

}  // namespace tessara
