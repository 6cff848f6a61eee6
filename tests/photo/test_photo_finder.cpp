#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "grid/find_grid.h"
#include "grid/grid_layout.h"
#include "photo/photo_finder.h"
#include "photo/photo_fit.h"
#include "support/scripted_progress.h"
#include "synthetic_photo.h"

using namespace tessara;
using tessara::test::ScriptedProgress;
using namespace tessara::synthetic;

namespace {

// A small board with its grid in board pixels: 1.4 board pixels a photo pixel at a fill of
// 0.8, so that hexes of `hexPixels` on the board are about 0.7 as many on the photo.
ScanRecipe board(double hexPixels, GridOrientation orientation = GridOrientation::Rows) {
    ScanRecipe recipe;
    recipe.size = {900, 680};
    recipe.grid.orientation = orientation;
    recipe.grid.hexPixels = hexPixels;
    recipe.grid.rotation = 1.3;
    recipe.grid.offsetX = 5.2;
    recipe.grid.offsetY = -3.7;
    recipe.lineWidth = 2;
    recipe.lineGrey = 30;
    recipe.margin = 24;
    return recipe;
}

PhotoRecipe photo(double hexPixels, double tilt, double k1, int jpeg = 0, double fill = 0.8) {
    PhotoRecipe recipe;
    recipe.fill = fill;
    recipe.board = board(hexPixels);
    recipe.tilt = tilt;
    recipe.k1 = k1;
    recipe.turn = 4;
    recipe.jpegQuality = jpeg;
    return recipe;
}

// The board as players photograph it: held down by a hand, the game's box over a corner,
// the window's glare on it.
PhotoRecipe cluttered(PhotoRecipe recipe, double glare) {
    recipe.hand = true;
    recipe.box = true;
    recipe.glare = glare;
    return recipe;
}

struct CentreError {
    double mean = 0;
    double max = 0;
    int hexes = 0;
    double ninetyFifth = 0;
};

// How far the found grid's hex centres lie from the true ones: for each hex printed whole
// on the board, its true centre on the photo against the found centre nearest to it.
template <class ToPhoto>
CentreError centreError(const ScanRecipe& b, ToPhoto&& toPhoto, const PhotoGrid& found) {
    const GridLayout layout = layoutGrid(b.size.width(), b.size.height(), 1, 1, b.grid);
    const double h = *b.grid.hexPixels;
    const QRectF inside = printedArea(b).adjusted(h, h, -h, -h);
    CentreError error;
    double sum = 0;
    std::vector<double> all;
    forEachHex(layout, inside, [&](GridHex hex) {
        const QPointF centre = hexCentre(layout, hex);
        const std::optional<QPointF> p = toPhoto(centre);
        if (!inside.contains(centre) || !p) {
            return;
        }
        const std::optional<QPointF> q = found.nearestCentre(*p);
        const double d = q ? std::hypot(q->x() - p->x(), q->y() - p->y()) : INFINITY;
        error.max = std::max(error.max, d);
        sum += d;
        ++error.hexes;
        all.push_back(d);
    });
    error.mean = error.hexes > 0 ? sum / error.hexes : INFINITY;
    std::sort(all.begin(), all.end());
    error.ninetyFifth = all.empty() ? INFINITY : all[all.size() * 95 / 100];
    return error;
}

CentreError centreError(const PhotoRecipe& recipe, const PhotoGrid& found) {
    const PhotoTruth truth = photoTruth(recipe);
    return centreError(
        recipe.board, [&truth](QPointF p) { return truth.toPhoto(p); }, found);
}

// The smallest hex on the photo, flat to flat across its rows: on the far side of the tilt.
double smallestHex(const PhotoRecipe& recipe) {
    const PhotoTruth truth = photoTruth(recipe);
    const double h = *recipe.board.grid.hexPixels;
    double least = INFINITY;
    for (int x = 0; x < recipe.board.size.width(); x += 10) {
        for (int y = 0; y < recipe.board.size.height(); y += 10) {
            const std::optional<QPointF> a = truth.toPhoto(QPointF(x, y));
            const std::optional<QPointF> b = truth.toPhoto(QPointF(x + h, y));
            if (a && b) {
                least = std::min(least, std::hypot(a->x() - b->x(), a->y() - b->y()));
            }
        }
    }
    return least;
}

struct PhotoRow {
    const char* guards;
    PhotoRecipe recipe;
};

// Over every hex printed whole, the found centres lie within 0.05 px of the true ones on
// average and 0.15 px at worst (they measure 0.006 to 0.009 and 0.008 to 0.019): the model
// is the photo's own, and the printed lines are read as on a flat scan. The lens term comes
// back to a thousandth.
void expectFound(const PhotoRow& row) {
    const std::optional<FoundPhotoGrid> found = findPhotoGrid(drawPhoto(row.recipe));
    ASSERT_TRUE(found) << row.guards;
    const CentreError error = centreError(row.recipe, found->grid);
    std::printf(
        "  %-60s mean %.3f px, largest %.3f px over %d hexes, k1 %.4f, hexes from %.1f px\n",
        row.guards, error.mean, error.max, error.hexes, found->grid.lens.k1,
        smallestHex(row.recipe));
    EXPECT_LT(error.mean, 0.05) << row.guards;
    EXPECT_LT(error.max, 0.15) << row.guards;
    EXPECT_GT(error.hexes, 100) << row.guards;
    EXPECT_NEAR(found->grid.lens.k1, row.recipe.k1, 0.001) << row.guards;
}

}  // namespace

TEST(PhotoFinder, FindsTheHexCentresOfTiltedPhotos) {
    const PhotoRow rows[] = {
        {"straight on, no lens", photo(50, 0, 0)},
        {"tilted 10 degrees", photo(50, 10, 0)},
        {"tilted 20 degrees", photo(50, 20, 0)},
        {"tilted 20 degrees and barrelled, JPEG 85", photo(45, 20, -0.05, 85)},
        {"a board filling half the photo, hexes from 12 photo pixels",
         photo(30, 15, -0.05, 0, 0.5)},
        {"a board filling the whole photo", photo(50, 15, -0.05, 0, 1.0)},
        {"a hand, the box and glare washing out half the lines' contrast",
         cluttered(photo(50, 15, -0.05, 85), 0.5)},
        {"a hand, the box and glare leaving a fifth of it", cluttered(photo(45, 20, 0.08), 0.8)},
    };
    for (const PhotoRow& row : rows) {
        expectFound(row);
    }
}

TEST(PhotoFinder, FindsTheHexCentresThroughTheLens) {
    const PhotoRow rows[] = {
        {"barrelled, k1 -0.05", photo(50, 0, -0.05)},
        {"pincushioned, k1 0.08", photo(50, 0, 0.08)},
        {"tilted 10 degrees, pincushioned, hexes of 25 photo pixels", photo(35, 10, 0.08)},
        {"tilted 20 degrees, k1 0.08, hexes of 40 photo pixels", photo(57, 20, 0.08)},
        {"tilted 25 degrees, the most, k1 0.1, the most", photo(50, 25, 0.1)},
        {"tilted 25 degrees, k1 -0.1", photo(50, 25, -0.1)},
        {"tilted 25 degrees, k1 -0.08, hexes of 9 photo pixels on the far side",
         photo(18, 25, -0.08)},
    };
    for (const PhotoRow& row : rows) {
        expectFound(row);
    }
}

// A flat scan is a photo without tilt or lens: the photo finder gives it no perspective and
// no lens, and puts its hexes where the flat finder does, within a hundredth of a pixel.
TEST(PhotoFinder, AFlatScanKeepsTheFlatAnswer) {
    ScanRecipe scan = board(40, GridOrientation::Columns);
    scan.jpegQuality = 90;
    const QImage picture = drawScan(scan);
    const std::optional<FoundPhotoGrid> found = findPhotoGrid(picture);
    ASSERT_TRUE(found);
    // The scale the perspective terms put on the hexes changes by under a hundredth of a
    // per cent across the hexes read.
    const Homography& h = found->grid.lattice;
    EXPECT_LT(std::abs(h.m[6]) * found->cells.width() + std::abs(h.m[7]) * found->cells.height(),
              1e-4);
    EXPECT_LT(std::abs(found->grid.lens.k1), 2e-4);
    const CentreError truth = centreError(
        scan, [](QPointF p) { return std::optional(p); }, found->grid);
    EXPECT_LT(truth.mean, 0.02);
    EXPECT_LT(truth.max, 0.05);
    const std::optional<GridOptions> flat = findPrintedGrid(picture);
    ASSERT_TRUE(flat);
    const GridLayout layout = layoutGrid(scan.size.width(), scan.size.height(), 1, 1, *flat);
    const CentreError agreement = centreError(
        scan, [&](QPointF p) { return std::optional(hexCentre(layout, hexAt(layout, p))); },
        found->grid);
    std::printf(
        "  from the truth: mean %.4f px, largest %.4f px; from the flat finder: mean %.4f "
        "px, largest %.4f px\n",
        truth.mean, truth.max, agreement.mean, agreement.max);
    EXPECT_LT(agreement.max, 0.01 + truth.max);
    EXPECT_GT(agreement.hexes, 150);
}

namespace {

// The board of the tables above seen through a slight barrel, on paper folded by `fold`
// pixels across a line at 60 degrees through the photo's middle, over 60 pixels either side.
PhotoRecipe folded(double fold, double tilt) {
    PhotoRecipe recipe = photo(50, tilt, -0.03);
    recipe.fold = fold;
    return recipe;
}

// The best the nine numbers alone do on the photo: fitted by least squares to the true hex
// centres themselves, each indexed by the found grid.
CentreError nineNumbersOnTruth(const PhotoRecipe& recipe, PhotoGrid grid) {
    grid.warp = {};
    const PhotoTruth truth = photoTruth(recipe);
    const ScanRecipe& b = recipe.board;
    const GridLayout layout = layoutGrid(b.size.width(), b.size.height(), 1, 1, b.grid);
    std::vector<Observation> seen;
    forEachHex(layout, printedArea(b), [&](GridHex hex) {
        const std::optional<QPointF> p = truth.toPhoto(hexCentre(layout, hex));
        const std::optional<QPointF> l = p ? grid.toLattice(*p) : std::nullopt;
        if (l) {
            const QPointF index(std::round(l->x()), std::round(l->y()));
            seen.push_back({index, QPointF(1, 0), p->x()});
            seen.push_back({index, QPointF(0, 1), p->y()});
        }
    });
    const std::optional<PhotoGrid> fitted = fitObservations(grid, seen, Loss::Huber, 1e9, 8, true);
    return fitted ? centreError(recipe, *fitted) : CentreError{INFINITY, INFINITY, 0, INFINITY};
}

}  // namespace

// A fold of 3 or 6 pixels: the found centres lie within 0.2 px of the true ones on average
// and 0.5 px at the 95th percentile, where the nine numbers alone, even fitted to the true
// centres, miss some by more than a pixel. Paper without a fold gets no warp.
TEST(PhotoFinder, FollowsAFoldInThePaper) {
    const struct {
        const char* guards;
        PhotoRecipe recipe;
        bool warped;
    } rows[] = {
        {"no fold: the nine numbers alone", folded(0, 15), false},
        {"a fold of 3 px, straight on", folded(3, 0), true},
        {"a fold of 3 px, tilted 15 degrees", folded(3, 15), true},
        {"a fold of 6 px, straight on", folded(6, 0), true},
        {"a fold of 6 px, tilted 15 degrees", folded(6, 15), true},
    };
    for (const auto& row : rows) {
        const std::optional<FoundPhotoGrid> found = findPhotoGrid(drawPhoto(row.recipe));
        ASSERT_TRUE(found) << row.guards;
        const CentreError error = centreError(row.recipe, found->grid);
        const CentreError nine = nineNumbersOnTruth(row.recipe, found->grid);
        std::printf(
            "  %-40s mean %.3f px, 95th percentile %.3f px, largest %.3f px over %d hexes; "
            "the nine numbers alone at best: largest %.3f px\n",
            row.guards, error.mean, error.ninetyFifth, error.max, error.hexes, nine.max);
        EXPECT_EQ(!found->grid.warp.empty(), row.warped) << row.guards;
        EXPECT_LT(error.mean, 0.2) << row.guards;
        EXPECT_LT(error.ninetyFifth, 0.5) << row.guards;
        EXPECT_GT(error.hexes, 100) << row.guards;
        if (row.warped) {
            EXPECT_GT(nine.max, 1.0) << row.guards;
        }
    }
}

TEST(PhotoFinder, APhotoWithoutAHexGridGivesNothing) {
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(Qt::white);
    PhotoRecipe plain = photo(50, 10, 0.05);
    plain.board.pattern = Pattern::None;
    PhotoRecipe squares = photo(50, 10, 0.05);
    squares.board.pattern = Pattern::Square;
    squares.board.squarePixels = 45;
    PhotoRecipe small = photo(50, 0, 0);
    small.size = {95, 300};
    const struct {
        const char* guards;
        QImage picture;
    } rows[] = {
        {"white paper", blank},
        {"a map without a grid on a table", drawPhoto(plain)},
        {"a square grid on a table", drawPhoto(squares)},
        {"a photo narrower than a few hexes", drawPhoto(small)},
    };
    for (const auto& row : rows) {
        EXPECT_FALSE(findPhotoGrid(row.picture)) << row.guards;
    }
}

TEST(PhotoFinder, TheSamePhotoGivesTheSameGridAndStopsWhenAsked) {
    const QImage picture = drawPhoto(photo(40, 12, -0.04, 80));
    ScriptedProgress progress;
    const std::optional<FoundPhotoGrid> first = findPhotoGrid(picture, progress);
    const std::optional<FoundPhotoGrid> second = findPhotoGrid(picture);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->grid.lattice.m, second->grid.lattice.m);
    EXPECT_EQ(first->grid.lens.k1, second->grid.lens.k1);
    EXPECT_EQ(progress.steps, QStringList{"Looking for the printed grid on the photo"});
    // Stopped at the first report, at the last, and at one half way: nothing comes back.
    for (const int stop : {0, progress.reports / 2, progress.reports - 1}) {
        ScriptedProgress stopping;
        stopping.stopAt = stop;
        EXPECT_THROW(findPhotoGrid(picture, stopping), WorkCancelled) << stop;
    }
}
