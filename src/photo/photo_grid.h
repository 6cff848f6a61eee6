// A printed hex grid on a photo of its board: where each point of the grid's lattice lies on
// the photo. The board is flat and its grid an affine image of a regular hex lattice, so a
// pinhole camera sees the lattice through one homography; the lens then bends the picture
// radially about its centre. The model holds nine numbers:
//   u = H (alpha, beta, 1), divided through by its third coordinate   (8 degrees of freedom)
//   p = c + (u - c) (1 + k1 r^2),  r = |u - c| / R                      (1 lens term)
// with (alpha, beta) lattice coordinates (hex centres at whole numbers, as HexLattice), c the
// photo's centre and R half its diagonal, so that k1 reads the same at every photo size: a
// point in a corner moves by k1 R. One radial term is what a phone's main lens needs for a
// board that fills most of the frame; tangential terms and k2 are left out.
//
// Paper that is not flat (a fold, a curl along an edge) moves the printed grid a few pixels
// from where those nine numbers put it. For such a photo alone the grid carries a smooth
// correction on top of them, a cubic B-spline mesh over the lattice (photo_warp.h) added
// after the lens: p = lens(H (alpha, beta)) + W(alpha, beta). Without one, the grid is the
// nine numbers and nothing else.
#pragma once

#include <QPointF>
#include <QSizeF>
#include <array>
#include <optional>

#include "photo/photo_warp.h"

namespace tessara {

// The lens's radial distortion about the photo's centre.
struct PhotoLens {
    QPointF centre;
    double radius = 1;  // half the photo's diagonal, pixels
    double k1 = 0;

    static PhotoLens of(QSizeF photo, double k1);
    // Where the lens puts a point a pinhole camera would see at `u`.
    QPointF distorted(QPointF u) const;
    // The inverse: the pinhole point the lens moved to `p`. Nothing where no pinhole point
    // lands there (past the fold of a strongly barrelled lens).
    std::optional<QPointF> undistorted(QPointF p) const;
};

// A plane-to-plane homography, row by row.
struct Homography {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};

    // Nothing for a point on the line the homography sends to infinity (or behind it).
    std::optional<QPointF> map(QPointF p) const;
    std::optional<Homography> inverted() const;
    Homography operator*(const Homography& right) const;
    // The same map with m[8] = 1 where it can be: the numbers compare between fits.
    Homography normalised() const;
};

struct PhotoGrid {
    Homography lattice;  // lattice coordinates to pinhole photo pixels
    PhotoLens lens;
    PhotoWarp warp;  // empty unless the paper is warped
    // A grid found on a picture made from the photo by a homography (Flatten by Four Corners
    // squares the photo up first) is carried back to the photo by it, last of all: the model
    // above is of that picture. The fits take grids without one.
    std::optional<Homography> fromPicture;

    std::optional<QPointF> toPhoto(QPointF lattice) const;
    // With a warp, found by a few fixed-point steps: the warp changes by far less than a
    // pixel over the lattice step a pixel makes, so each step gains digits.
    std::optional<QPointF> toLattice(QPointF photo) const;
    // The centre of the hex nearest to a photo point, on the photo.
    std::optional<QPointF> nearestCentre(QPointF photo) const;
};

}  // namespace tessara
