// The photo grid finder's fine step: the nine numbers fitted to the printed lines themselves,
// as the flat finder fits its six. Short cuts across the sides the model predicts, all over
// the lattice read, find the centre of each printed line to a fraction of a pixel; the model
// is then moved onto them (Tukey's loss: labels, roads and the table drop out) and the lines
// measured again, until the outline settles. A grid that carries a warp (photo_warp.h) has it
// fitted to the same cuts after the nine numbers, each pass.
#pragma once

#include <QRectF>
#include <optional>

#include "core/progress.h"
#include "photo/photo_grid.h"

namespace tessara {

class MapDarkness;

struct LineFit {
    PhotoGrid grid;
    int cuts = 0;       // cuts that found a printed line within half a pixel of the outline
    double median = 0;  // of the clear lines' distances from the outline, pixels
    double ninetyFifth = 0;
};

// `cells` are the lattice's indices whose hexes are measured (the hexes the reading saw,
// with a few more round them). Nothing when the lines do not follow the outline: along each
// of the three directions of sides, most cuts that cross a clear line must find it on it.
std::optional<LineFit> fitPhotoLines(const MapDarkness& photo, const PhotoGrid& start,
                                     const QRectF& cells, Progress& progress, double fromFraction,
                                     double toFraction);

}  // namespace tessara
