// Made-up phone photos of a printed board, for the tests and benchmarks of the photo grid
// finder: a flat synthetic scan (synthetic_scan.h) laid on a wooden table and seen by a
// pinhole camera whose image plane is tilted to the board, then bent by the lens's radial
// distortion (photo/photo_grid.h: x_d = c + (x_u - c)(1 + k1 r^2), r normalised by half the
// photo's diagonal), under uneven light and glare, with a hand and a box around it if asked, the
// sensor's grain and optionally JPEG.
//
// The photo is drawn at twice its size and shrunk by averaging, so thin lines and the board's
// edge are antialiased as a camera's pixels would leave them.
#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <cstdint>
#include <optional>

#include "photo/photo_grid.h"
#include "synthetic_scan.h"

namespace tessara::synthetic {

struct PhotoRecipe {
    ScanRecipe board;         // the flat board; its grid is placed in board pixels
    QSize size{800, 600};     // the photo
    double tilt = 0;          // degrees between the board and the camera's image plane
    double tiltAxis = 30;     // degrees: the axis in the board's plane it tilts about
    double turn = 0;          // degrees the board is turned about the camera's axis
    double fill = 0.8;        // the board's diagonal over the photo's, seen straight on
    double fieldOfView = 70;  // degrees across the photo's diagonal, a phone's main camera
    double k1 = 0;            // the lens; negative barrels, positive pincushions
    double light = 0.25;      // how much darker the far side is than the lit one, 0 to 0.6
    double grain = 2;         // grey levels
    int jpegQuality = 0;      // 1 to 100 to pass the photo through JPEG; 0 leaves it as drawn
    std::uint64_t seed = 7;
    // Warped paper: a fold moves the printed board on the photo, after the lens, by `fold`
    // pixels across a line through the photo's centre at `foldAngle` degrees to its x axis,
    // falling off as a bell of `foldWidth` pixels (its standard deviation) either side.
    double fold = 0;
    double foldAngle = 60;
    double foldWidth = 100;
    // Beside the board: a patch of glare washing the photo out towards white (`glare` its
    // strength at its middle, 0 to 1, a bell of `glareRadius` of the photo's diagonal), a
    // hand holding the board's near edge down, and the game's box on the table, its lid
    // printed with stripes and lettering, over the board's right-hand corner.
    double glare = 0;
    QPointF glareAt{0.62, 0.38};  // fractions of the photo's width and height
    double glareRadius = 0.1;
    bool hand = false;
    bool box = false;
};

// The fold's displacement of a point of the flat photo, pixels.
struct PhotoFold {
    QPointF through;
    QPointF normal;  // unit length, across the fold's line
    double amplitude = 0;
    double width = 1;

    QPointF at(QPointF flat) const;
    // The flat photo's point the fold moves to `photo`.
    QPointF unfolded(QPointF photo) const;
};

// Where the camera puts the board: board pixels to pinhole photo pixels, the lens, and the
// fold.
struct PhotoTruth {
    Homography board;
    PhotoLens lens;
    PhotoFold fold;

    std::optional<QPointF> toPhoto(QPointF boardPoint) const;
};

PhotoTruth photoTruth(const PhotoRecipe& recipe);

// A board of 50 px hexes of `boardSize` (a 24 px margin, lines 2 px of grey 30, the grid
// turned 1.3 degrees) photographed 15 degrees off square and turned 4 degrees, through a
// barrelling lens (k1 -0.05): hexes of about 35 px on a photo of its default size. The
// flatten tests and benchmark start from it.
PhotoRecipe tiltedBoardPhoto(QSize boardSize);

// The extent of the whole paper of `board` on a board flattened from its photo with hexes of
// `hexPixels`: the paper turned by its grid's rotation against the upright grid.
QSizeF paperOnFlatBoard(const ScanRecipe& board, double hexPixels);

// The photo, Format_RGB32. Needs a QGuiApplication for the board's labels.
QImage drawPhoto(const PhotoRecipe& recipe);

}  // namespace tessara::synthetic
