#include <gtest/gtest.h>

#include <QLineF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "photo/photo_grid.h"
#include "photo/photo_warp.h"
#include "synthetic_photo.h"

using namespace tessara;
using namespace tessara::synthetic;

// k1 is normalised by half the photo's diagonal: a point r half-diagonals from the centre
// moves outwards by k1 r^3 half-diagonals, and back.
TEST(PhotoGrid, TheLensMovesPointsByK1TimesTheCubeOfTheirRadius) {
    const struct {
        const char* guards;
        double k1;
        QPointF from;  // pixels from the centre of an 800 x 600 photo (half diagonal 500)
        QPointF to;
    } rows[] = {
        {"a corner, pincushioned by 0.1, moves out by a tenth", 0.1, {400, 300}, {440, 330}},
        {"a corner, barrelled by 0.05, moves in by a twentieth", -0.05, {400, 300}, {380, 285}},
        {"half way to the corner moves by an eighth as much", 0.08, {200, 150}, {204, 153}},
        {"the centre stays", 0.1, {0, 0}, {0, 0}},
        {"no lens moves nothing", 0, {-310.25, 17.5}, {-310.25, 17.5}},
    };
    for (const auto& row : rows) {
        const PhotoLens lens = PhotoLens::of(QSizeF(800, 600), row.k1);
        EXPECT_EQ(lens.centre, QPointF(399.5, 299.5)) << row.guards;
        EXPECT_DOUBLE_EQ(lens.radius, 500) << row.guards;
        const QPointF moved = lens.distorted(lens.centre + row.from) - lens.centre;
        EXPECT_NEAR(moved.x(), row.to.x(), 1e-9) << row.guards;
        EXPECT_NEAR(moved.y(), row.to.y(), 1e-9) << row.guards;
        const std::optional<QPointF> back = lens.undistorted(lens.centre + row.to);
        ASSERT_TRUE(back) << row.guards;
        EXPECT_NEAR(back->x(), lens.centre.x() + row.from.x(), 1e-9) << row.guards;
        EXPECT_NEAR(back->y(), lens.centre.y() + row.from.y(), 1e-9) << row.guards;
    }
}

// A barrel so strong that the picture folds over itself has no pinhole point past the fold.
TEST(PhotoGrid, NoPinholePointLiesPastTheFoldOfAStrongBarrel) {
    const PhotoLens lens = PhotoLens::of(QSizeF(800, 600), -0.3);
    // rd = r (1 - 0.3 r^2) is largest, 0.385, at r = 1.054: nothing reaches a corner.
    EXPECT_FALSE(lens.undistorted(lens.centre + QPointF(400, 300)));
    EXPECT_TRUE(lens.undistorted(lens.centre + QPointF(0.38 * 400, 0.38 * 300)));
}

TEST(PhotoGrid, AHomographyMapsAndMapsBack) {
    const Homography h{{1.2, 0.1, 30, -0.05, 0.9, 12, 1e-4, -2e-4, 1}};
    const std::optional<Homography> back = h.inverted();
    ASSERT_TRUE(back);
    const std::optional<QPointF> p = h.map(QPointF(100, 50));
    ASSERT_TRUE(p);
    // (120 + 5 + 30, -5 + 45 + 12) over 1 + 0.01 - 0.01.
    EXPECT_NEAR(p->x(), 155, 1e-9);
    EXPECT_NEAR(p->y(), 52, 1e-9);
    const std::optional<QPointF> q = back->map(*p);
    ASSERT_TRUE(q);
    EXPECT_NEAR(q->x(), 100, 1e-9);
    EXPECT_NEAR(q->y(), 50, 1e-9);
    // The line the homography sends to infinity, and a homography with no inverse.
    EXPECT_FALSE(Homography({1, 0, 0, 0, 1, 0, 1, 0, -5}).map(QPointF(5, 3)));
    EXPECT_FALSE(Homography({1, 2, 3, 2, 4, 6, 0, 0, 1}).inverted());
}

// The made-up camera: straight on, the board's centre is the photo's and its diagonal `fill`
// of the photo's; tilted about the board's x axis, its far and near edges are as long as a
// pinhole camera at the board's distance makes them.
TEST(PhotoGrid, TheMadeUpCameraSeesTheBoardAsAPinholeCamera) {
    PhotoRecipe recipe;
    recipe.board.size = {1001, 801};
    recipe.size = {800, 600};
    recipe.tiltAxis = 0;
    recipe.fill = 0.8;
    recipe.fieldOfView = 70;
    const double boardHalfDiagonal = std::hypot(1001, 801) / 2;
    for (const double tilt : {0.0, 20.0}) {
        recipe.tilt = tilt;
        const PhotoTruth truth = photoTruth(recipe);
        const auto at = [&truth](double x, double y) { return *truth.board.map(QPointF(x, y)); };
        const QPointF centre = at(500, 400);
        EXPECT_NEAR(centre.x(), 399.5, 1e-9) << tilt;
        EXPECT_NEAR(centre.y(), 299.5, 1e-9) << tilt;
        const double top = at(1000, 0).x() - at(0, 0).x();
        const double bottom = at(1000, 800).x() - at(0, 800).x();
        const double distance = boardHalfDiagonal / (0.8 * std::tan(35 * M_PI / 180));
        const double lift = std::sin(tilt * M_PI / 180) * 400;
        EXPECT_NEAR(top / bottom, (distance + lift) / (distance - lift), 1e-9) << tilt;
        if (tilt == 0) {
            // The diagonal's ends are the corner pixels' centres, half a pixel inside it.
            EXPECT_NEAR(QLineF(at(0, 0), at(1000, 800)).length(),
                        800 * std::hypot(1000, 800) / std::hypot(1001, 801), 1e-9);
        }
    }
}

namespace {

// A bell across the lattice's alpha: 4 px along y and half a pixel along x at alpha =
// `middle`, its standard deviation three hexes.
QPointF bell(QPointF lattice, double middle = 5) {
    const double s = (lattice.x() - middle) / 3;
    return QPointF(0.5, 4) * std::exp(-s * s / 2);
}

// The mesh of knots every three hexes over `cells`, fitted to the bell seen every `apart`.
PhotoWarp bellMesh(const QRectF& cells = QRectF(-2, -3, 14, 10), double apart = 0.5,
                   double middle = 5) {
    PhotoWarp mesh = warpMeshOver(cells, 3);
    std::vector<WarpObservation> seen;
    for (double a = cells.left(); a <= cells.right(); a += apart) {
        for (double b = cells.top(); b <= cells.bottom(); b += apart) {
            const QPointF d = bell(QPointF(a, b), middle);
            seen.push_back({QPointF(a, b), QPointF(1, 0), d.x()});
            seen.push_back({QPointF(a, b), QPointF(0, 1), d.y()});
        }
    }
    return *fitWarp(mesh, seen);
}

}  // namespace

// The mesh's weights sum to one everywhere, and past its edges it keeps the edge's value.
TEST(PhotoWarp, AnEvenMeshMovesEveryPointAlike) {
    PhotoWarp mesh = warpMeshOver(QRectF(0, 0, 10, 7), 3);
    EXPECT_EQ(mesh.intervals, (std::array<int, 2>{4, 3}));
    EXPECT_EQ(mesh.shifts.size(), 7u * 6u);
    for (QPointF& shift : mesh.shifts) {
        shift = QPointF(2, -1.5);
    }
    for (const QPointF p : {QPointF(0, 0), QPointF(4.3, 2.2), QPointF(12, 9), QPointF(-40, 3)}) {
        EXPECT_NEAR(mesh.at(p).x(), 2, 1e-12) << p.x();
        EXPECT_NEAR(mesh.at(p).y(), -1.5, 1e-12) << p.x();
    }
    EXPECT_EQ(PhotoWarp().at(QPointF(1, 1)), QPointF());
}

// Fitted to a bell of 4 px over three hexes either way, the mesh of knots every three hexes
// follows it to a tenth of its height; the grid that carries it maps back to the lattice
// point it came from.
TEST(PhotoWarp, FollowsABellAndMapsBack) {
    // The large meshes have 14,000 and 12,000 unknowns, as a photo of small hexes gives:
    // solved whole, their equations would take gigabytes; in their band, a fraction of one.
    const struct {
        QRectF cells;
        double apart;
        double middle;
        QPointF from;  // the line across the bell the mesh is checked on
        double length;
    } meshes[] = {{QRectF(-2, -3, 14, 10), 0.5, 5, QPointF(0, 2), 10},
                  {QRectF(0, 0, 444, 130), 1, 400, QPointF(380, 60), 40},
                  {QRectF(0, 0, 100, 500), 1, 50, QPointF(30, 420), 40}};
    for (const auto& m : meshes) {
        const PhotoWarp fitted = bellMesh(m.cells, m.apart, m.middle);
        double worst = 0;
        for (double a = 0; a <= m.length; a += 0.25) {
            const QPointF at = m.from + QPointF(a, 0);
            const QPointF miss = fitted.at(at) - bell(at, m.middle);
            worst = std::max(worst, std::hypot(miss.x(), miss.y()));
        }
        std::printf("  the bell followed to %.3f px on %d x %d knot intervals\n", worst,
                    fitted.intervals[0], fitted.intervals[1]);
        EXPECT_LT(worst, 0.4) << m.cells.width();
    }
    const PhotoWarp mesh = bellMesh();
    PhotoGrid grid;
    grid.lattice.m = {30, 15, 100, 0, 26, 80, 1e-4, -2e-4, 1};
    grid.lens = PhotoLens::of(QSizeF(800, 600), -0.05);
    grid.warp = mesh;
    for (const QPointF l : {QPointF(5, 2), QPointF(0.3, -1.7), QPointF(9.5, 6)}) {
        const std::optional<QPointF> p = grid.toPhoto(l);
        ASSERT_TRUE(p);
        const std::optional<QPointF> back = grid.toLattice(*p);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->x(), l.x(), 1e-6) << l.x();
        EXPECT_NEAR(back->y(), l.y(), 1e-6) << l.x();
    }
}
