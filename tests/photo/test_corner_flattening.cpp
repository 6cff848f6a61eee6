// Flatten by Four Corners: four points clicked on a photo and the hexes between them.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTransform>
#include <algorithm>

#include "grid/grid_geometry.h"
#include "grid/grid_layout.h"
#include "photo/corner_flattening.h"
#include "photo/printed_fit.h"
#include "synthetic_photo.h"

using namespace tessara;
using namespace tessara::synthetic;

namespace {

using Corners = std::array<QPointF, 4>;

}  // namespace

TEST(CornerFlattening, TheFourPointsAreTakenRoundFromTheTopLeftOrRefused) {
    const Corners square{{{0, 0}, {100, 0}, {100, 80}, {0, 80}}};
    const Corners turned{{{50, 0}, {100, 50}, {50, 100}, {0, 50}}};
    const struct {
        const char* guards;
        Corners clicked;
        std::optional<Corners> taken;
    } rows[] = {
        {"in order", square, square},
        {"in any order", {square[2], square[0], square[3], square[1]}, square},
        {"a diamond: from the one nearest the top left",
         {turned[3], turned[1], turned[0], turned[2]},
         turned},
        {"three on one line", {{{0, 0}, {50, 0}, {100, 0}, {50, 80}}}, std::nullopt},
        {"one inside the others", {{{0, 0}, {100, 0}, {50, 20}, {50, 80}}}, std::nullopt},
        {"twice the same point", {{{0, 0}, {0, 0}, {100, 80}, {0, 80}}}, std::nullopt},
        {"a side of 8 pixels",
         {{{0, 0}, {8, 0}, {8, 8}, {0, 8}}},
         Corners{{{0, 0}, {8, 0}, {8, 8}, {0, 8}}}},
        {"a side just under 8", {{{0, 0}, {7.9, 0}, {7.9, 8}, {0, 8}}}, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(cornersInOrder(row.clicked), row.taken) << row.guards;
    }
}

TEST(CornerFlattening, ThePrintedGridFoundAfterTheCornersIsFollowedOnTheBoard) {
    const struct {
        const char* guards;
        GridOrientation orientation;
        double tilt;
        double k1;
        double off;  // pixels each click misses its hex centre by, each another way
    } rows[] = {
        {"rows, tilted 15 degrees, barrelled", GridOrientation::Rows, 15, -0.05, 0},
        {"columns", GridOrientation::Columns, 15, -0.05, 0},
        {"tilted 35 degrees", GridOrientation::Rows, 35, 0, 0},
        {"every click 3 px off", GridOrientation::Rows, 15, -0.05, 3},
        {"every click 3 px off, tilted 35 degrees", GridOrientation::Columns, 35, 0, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        PhotoRecipe recipe = tiltedBoardPhoto({900, 680});
        recipe.board.grid.rotation = 0;
        recipe.board.grid.orientation = row.orientation;
        recipe.tilt = row.tilt;
        recipe.k1 = row.k1;
        const PhotoTruth truth = photoTruth(recipe);
        const GridLayout layout = layoutGrid(900, 680, 1, 1, recipe.board.grid);
        // Hex centres 6 hexes along the lines and 4 lines across them apart, from near the
        // printed area's top left corner.
        const GridHex first = hexAt(layout, printedArea(recipe.board).topLeft() + QPointF(80, 80));
        const bool rows = row.orientation == GridOrientation::Rows;
        BoardCorners corners;
        corners.orientation = row.orientation;
        corners.across = rows ? 6 : 4;
        corners.down = rows ? 4 : 6;
        const GridHex hexes[] = {
            first,
            rows ? GridHex{first.line, first.cell + 6} : GridHex{first.line + 4, first.cell},
            {first.line + 4, first.cell + 6},
            rows ? GridHex{first.line + 4, first.cell} : GridHex{first.line, first.cell + 6}};
        for (size_t i = 0; i < 4; ++i) {
            const double away = 0.7 + 1.6 * static_cast<double>(i);  // radians
            corners.points[i] = *truth.toPhoto(hexCentre(layout, hexes[i])) +
                                row.off * QPointF(std::cos(away), std::sin(away));
        }
        const QImage photo = drawPhoto(recipe);
        const FlattenedBoard flat = flattenByCorners(photo, corners, std::nullopt);
        ASSERT_EQ(flat.problem, FlatteningProblem::None);
        EXPECT_FALSE(flat.cornersOnly);
        EXPECT_EQ(flat.options.orientation, row.orientation);
        const PrintedFit lines = printedFit(flat.board, flat.options);
        std::printf("%s: board %d x %d, hexes %.2f px, lines %.3f px, 95th %.3f, %d hexes\n",
                    row.guards, flat.board.width(), flat.board.height(), *flat.options.hexPixels,
                    lines.mean, lines.ninetyFifth, lines.hexes);
        EXPECT_LT(lines.mean, 0.2);
        EXPECT_LT(lines.ninetyFifth, 0.5);
    }
}

// The middles of four red dots, one in each quarter of the picture: top left, top right,
// bottom left, bottom right.
std::array<QPointF, 4> redDots(const QImage& picture) {
    std::array<QPointF, 4> mean{};
    std::array<int, 4> count{};
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60) {
                const size_t quarter = (x * 2 / picture.width()) + 2 * (y * 2 / picture.height());
                mean[quarter] += QPointF(x, y);
                ++count[quarter];
            }
        }
    }
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_GT(count[i], 50) << i;
        mean[i] /= std::max(count[i], 1);
    }
    return mean;
}

// A board without a printed grid, four red dots at the corners of a rectangle, seen through
// a homography: the board puts them at hex centres as far apart as the hexes typed.
TEST(CornerFlattening, WithoutAPrintedGridTheCornersGiveTheGrid) {
    const QRectF dots(100, 80, 400, 240);
    const QPolygonF seen({{130, 60}, {560, 110}, {530, 390}, {90, 330}});
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(Qt::white);
    {
        QImage board(600, 400, QImage::Format_RGB32);
        board.fill(QColor(200, 220, 180));
        QPainter paint(&board);
        paint.setRenderHint(QPainter::Antialiasing);
        paint.setPen(Qt::NoPen);
        paint.setBrush(Qt::red);
        const QPolygonF corners{
            {dots.topLeft(), dots.topRight(), dots.bottomRight(), dots.bottomLeft()}};
        for (const QPointF at : corners) {
            paint.drawEllipse(at, 6, 6);
        }
        QTransform squared;
        ASSERT_TRUE(QTransform::quadToQuad(corners, seen, squared));
        QPainter onto(&photo);
        onto.setRenderHint(QPainter::SmoothPixmapTransform);
        onto.setTransform(squared);
        onto.drawImage(0, 0, board);
    }
    const std::array<QPointF, 4> clicked = redDots(photo);
    BoardCorners corners{
        {clicked[3], clicked[1], clicked[0], clicked[2]}, 8, 5.5, GridOrientation::Rows};
    const FlattenedBoard flat = flattenByCorners(photo, corners, std::nullopt);
    ASSERT_EQ(flat.problem, FlatteningProblem::None);
    EXPECT_TRUE(flat.cornersOnly);
    const double hex = *flat.options.hexPixels;
    const std::array<QPointF, 4> on = redDots(flat.board);
    EXPECT_NEAR(on[1].x() - on[0].x(), 8 * hex, 0.3);
    EXPECT_NEAR(on[2].y() - on[0].y(), 5.5 * kRowPitch * hex, 0.3);
    EXPECT_NEAR(on[3].x() - on[2].x(), 8 * hex, 0.3);
    EXPECT_NEAR(on[1].y() - on[0].y(), 0, 0.3);
    const GridLayout layout =
        layoutGrid(flat.board.width(), flat.board.height(), 1, 1, flat.options);
    const QPointF centre = hexCentre(layout, hexAt(layout, on[0]));
    EXPECT_LT(std::hypot(centre.x() - on[0].x(), centre.y() - on[0].y()), 0.3) << "a hex centre";
    // As large as the photo shows them along its sides: the right side, 282 pixels for 5.5
    // rows, shows them largest.
    EXPECT_NEAR(hex, std::hypot(30, 280) / (5.5 * kRowPitch), 0.1);
}
