#include "photo/photo_finder.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

#include "grid/find_grid.h"
#include "grid/hex_lattice.h"
#include "grid/lattice_fit.h"
#include "grid/map_darkness.h"
#include "photo/photo_fit.h"
#include "photo/photo_lines.h"
#include "photo/tile_lattices.h"

namespace tessara {
namespace {

constexpr int kSmallestSide = 96;
// Fewer hex centres than this cannot tell a lens from a tilt.
constexpr int kFewestCentres = 40;
// RANSAC takes a hex centre within this part of a step of the homography: wide enough for a
// strong lens the homography alone cannot follow, narrow beside a hex read one off.
constexpr double kRansacReach = 0.3;
// Then the centres within this part of a step of homography and lens together.
constexpr double kFittedCentreReach = 0.15;
// The warp's knots, in hexes: a fold on the photo falls off over a few hexes, which knots
// every two hexes follow to a few hundredths of a pixel and knots every three or four
// flatten (a bell three hexes wide is missed by a third of a pixel in four); the centres
// read (four in each mesh cell) and the printed lines (some sixteen cuts in each) hold
// knots that close.
constexpr double kWarpSpacing = 2;
// But no closer than this on the photo: paper bends over a centimetre or more, some 60
// pixels of a phone's photo of a whole board, and knots every two small hexes would only
// make the mesh's equations larger (tens of thousands of unknowns on hexes of 12 pixels).
constexpr double kLeastKnotPixels = 64;

std::vector<Observation> observationsOf(const std::vector<CentreMatch>& centres) {
    std::vector<Observation> seen;
    for (const CentreMatch& c : centres) {
        seen.push_back({c.lattice, QPointF(1, 0), c.photo.x()});
        seen.push_back({c.lattice, QPointF(0, 1), c.photo.y()});
    }
    return seen;
}

std::optional<PhotoGrid> ransacHomography(const std::vector<CentreMatch>& centres, double step,
                                          QSizeF photo) {
    std::vector<cv::Point2d> from;
    std::vector<cv::Point2d> to;
    for (const CentreMatch& c : centres) {
        from.emplace_back(c.lattice.x(), c.lattice.y());
        to.emplace_back(c.photo.x(), c.photo.y());
    }
    // The random choices of RANSAC come from OpenCV's own generator: seeded the same each
    // time, so that the same photo gives the same grid.
    cv::setRNGSeed(1);
    const cv::Mat h =
        cv::findHomography(from, to, cv::RANSAC, kRansacReach * step, cv::noArray(), 4000, 0.999);
    if (h.empty()) {
        return std::nullopt;
    }
    PhotoGrid grid;
    for (int k = 0; k < 9; ++k) {
        grid.lattice.m[static_cast<size_t>(k)] = h.at<double>(k / 3, k % 3);
    }
    grid.lattice = grid.lattice.normalised();
    grid.lens = PhotoLens::of(photo, 0);
    return grid;
}

// The centres within `reach` pixels of where the grid puts them.
std::vector<CentreMatch> centresNear(const PhotoGrid& grid, const std::vector<CentreMatch>& all,
                                     double reach) {
    std::vector<CentreMatch> near;
    for (const CentreMatch& c : all) {
        const std::optional<QPointF> p = grid.toPhoto(c.lattice);
        if (p && std::hypot(p->x() - c.photo.x(), p->y() - c.photo.y()) < reach) {
            near.push_back(c);
        }
    }
    return near;
}

// The nine numbers given a warp over `cells`, fitted to the centres they leave: those RANSAC
// kept at first, and then those the warped grid puts nearly where they were read.
std::optional<PhotoGrid> warpedToCentres(const PhotoGrid& flat, const TileReading& reading,
                                         const QRectF& cells) {
    std::optional<PhotoGrid> grid = flat;
    grid->warp = warpMeshOver(cells, std::max(kWarpSpacing, kLeastKnotPixels / reading.step));
    std::vector<CentreMatch> centres =
        centresNear(flat, reading.centres, kRansacReach * reading.step);
    for (int round = 0; round < 3 && grid; ++round) {
        grid = fitWarpObservations(*grid, observationsOf(centres), Loss::Huber, 1.0, 2);
        if (grid) {
            centres = centresNear(*grid, reading.centres, kFittedCentreReach * reading.step);
        }
    }
    return grid;
}

QRectF cellsOf(const std::vector<CentreMatch>& centres) {
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (const CentreMatch& c : centres) {
        left = std::min(left, c.lattice.x());
        right = std::max(right, c.lattice.x());
        top = std::min(top, c.lattice.y());
        bottom = std::max(bottom, c.lattice.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-2, -2, 2, 2);
}

}  // namespace

std::optional<FoundPhotoGrid> findPhotoGrid(const QImage& picture, Progress& progress) {
    progress.step(QStringLiteral("Looking for the printed grid on the photo"));
    advanceOrStop(progress, 0);
    if (picture.width() < kSmallestSide || picture.height() < kSmallestSide) {
        return std::nullopt;
    }
    const MapDarkness photo(picture);
    const TileReading reading = readPhoto(photo, progress, 0, 0.3);
    advanceOrStop(progress, 0.3);
    if (static_cast<int>(reading.centres.size()) < kFewestCentres) {
        return std::nullopt;
    }
    const QSizeF size(picture.size());
    std::optional<PhotoGrid> grid = ransacHomography(reading.centres, reading.step, size);
    if (!grid) {
        return std::nullopt;
    }
    // The lens joins the homography on the centres RANSAC kept, and then on those that the
    // two together put nearly where they were read.
    std::vector<CentreMatch> centres =
        centresNear(*grid, reading.centres, kRansacReach * reading.step);
    for (int round = 0; round < 3 && grid; ++round) {
        grid = fitObservations(*grid, observationsOf(centres), Loss::Huber, 1.0, 5, true);
        if (grid) {
            centres = centresNear(*grid, reading.centres, kFittedCentreReach * reading.step);
        }
        if (static_cast<int>(centres.size()) < kFewestCentres) {
            return std::nullopt;
        }
    }
    if (!grid) {
        return std::nullopt;
    }
    advanceOrStop(progress, 0.4);
    const QRectF cells = cellsOf(centres);
    // A warp only where the nine numbers cannot follow the printed lines.
    std::optional<LineFit> lines = fitPhotoLines(photo, *grid, cells, progress, 0.4, 1);
    if (!lines || lines->ninetyFifth > kFlatLineReach) {
        const std::optional<PhotoGrid> warped = warpedToCentres(*grid, reading, cells);
        lines = warped ? fitPhotoLines(photo, *warped, cells, progress, 1, 1) : std::nullopt;
    }
    if (!lines) {
        return std::nullopt;
    }
    return FoundPhotoGrid{
        lines->grid, cells,         reading.tiles,     static_cast<int>(centres.size()),
        lines->cuts, lines->median, lines->ninetyFifth};
}

std::optional<FoundPhotoGrid> findFlatGrid(const QImage& picture, Progress& progress) {
    progress.step(QStringLiteral("Looking for the printed grid on the scan"));
    const std::optional<GridOptions> options = findPrintedGrid(picture, progress);
    if (!options || !options->hexPixels) {
        return std::nullopt;
    }
    const QSizeF size(picture.size());
    const LatticeOnPicture l = latticeOf(*options, *options->hexPixels, size);
    const HexLattice lattice{l.centre, l.along, l.across + l.along / 2};
    PhotoGrid flat;
    flat.lattice.m = {lattice.a.x(),
                      lattice.b.x(),
                      lattice.origin.x(),
                      lattice.a.y(),
                      lattice.b.y(),
                      lattice.origin.y(),
                      0,
                      0,
                      1};
    flat.lens = PhotoLens::of(size, 0);
    // Every hex the picture may show, and one more round them.
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (const QPointF corner : {QPointF(0, 0), QPointF(size.width(), 0), QPointF(0, size.height()),
                                 QPointF(size.width(), size.height())}) {
        const QPointF c = lattice.coordinatesOf(corner);
        left = std::min(left, c.x());
        right = std::max(right, c.x());
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
    }
    const QRectF cells = QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-1, -1, 1, 1);
    const std::optional<LineFit> lines =
        fitPhotoLines(MapDarkness(picture), flat, cells, progress, 1, 1);
    if (!lines || lines->ninetyFifth > kFlatLineReach) {
        return std::nullopt;
    }
    return FoundPhotoGrid{lines->grid, cells, 0, 0, lines->cuts, lines->median, lines->ninetyFifth};
}

}  // namespace tessara
