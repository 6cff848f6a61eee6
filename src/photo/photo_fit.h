// Fitting the nine numbers of a photo grid (photo_grid.h) to what is seen on the photo, by
// Gauss-Newton steps with the observations reweighted each step, so that a few wrong ones
// (a hex centre read a hex off, a cut that met a label) drop out.
#pragma once

#include <QPointF>
#include <optional>
#include <vector>

#include "photo/photo_grid.h"

namespace tessara {

// One thing seen: the point of the lattice `lattice` lies on the photo where its distance
// along `normal` (unit length) from the photo's origin is `value`. A hex centre seen is two
// of them, along x and along y; a printed line seen across a side is one, across the side.
struct Observation {
    QPointF lattice;
    QPointF normal;
    double value = 0;
};

enum class Loss {
    Huber,  // hex centres: every one counts, the far ones less
    Tukey,  // printed lines: the far ones not at all
};

struct FitReport {
    std::vector<double> residuals;  // each observation's, pixels, after the fit
    int counted = 0;                // observations that kept a weight
};

// Moves `grid` by `rounds` reweighted Gauss-Newton steps; `scale` is the residual, pixels,
// where the loss starts to give up on an observation (Tukey: the least it ever is). The lens
// term is held at its value when `lens` is false. Nothing when too few observations hold
// the nine numbers.
std::optional<PhotoGrid> fitObservations(const PhotoGrid& grid,
                                         const std::vector<Observation>& seen, Loss loss,
                                         double scale, int rounds, bool lens,
                                         FitReport* report = nullptr);

// The grid's warp (photo_warp.h) fitted to what `seen` leaves after the homography and the
// lens, which are held: each observation one linear equation, weighed by `loss` on its
// residual from `grid` as it stands, `rounds` times over. `grid` must carry a mesh. Nothing
// when the mesh's equations cannot be solved.
std::optional<PhotoGrid> fitWarpObservations(const PhotoGrid& grid,
                                             const std::vector<Observation>& seen, Loss loss,
                                             double scale, int rounds);

}  // namespace tessara
