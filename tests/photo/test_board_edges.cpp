// The paper's own edge round a photographed board: the flattened board ends where the paper
// does, whatever lies on the table beside it, and keeps one hex of margin where the photo
// shows no edge.
#include <gtest/gtest.h>

#include <cstdio>

#include "photo/board_edges.h"
#include "photo/board_flattening.h"
#include "synthetic_photo.h"

using namespace tessara;
using namespace tessara::synthetic;

namespace {

PhotoRecipe onTheTable(double tilt, double k1, double fill = 0.8) {
    PhotoRecipe recipe = tiltedBoardPhoto({900, 680});
    recipe.tilt = tilt;
    recipe.k1 = k1;
    recipe.fill = fill;
    return recipe;
}

PhotoRecipe cluttered(PhotoRecipe recipe) {
    recipe.hand = true;
    recipe.box = true;
    recipe.glare = 0.6;
    recipe.jpegQuality = 85;
    return recipe;
}

}  // namespace

// The board's extent against the paper's, turned upright and scaled to the board's hexes;
// where no edge shows, the printed hexes and one hex round them.
TEST(BoardEdges, TheBoardEndsWhereThePaperDoesOrOneHexOut) {
    const struct {
        const char* guards;
        PhotoRecipe recipe;
        bool edges;  // the paper's edge in view on every side
    } rows[] = {
        {"on a wooden table", onTheTable(15, -0.05), true},
        {"tilted 25 degrees, pincushioned", onTheTable(25, 0.08), true},
        {"a hand and the box over its edges, glare, JPEG", cluttered(onTheTable(20, -0.05)), true},
        {"filling the photo: no edge in view", onTheTable(10, 0, 1.15), false},
    };
    for (const auto& row : rows) {
        const QImage photo = drawPhoto(row.recipe);
        const FlattenedBoard flat = flattenByPrintedGrid(photo, std::nullopt);
        ASSERT_EQ(flat.problem, FlatteningProblem::None) << row.guards;
        const double hex = flat.plan.hexPixels;
        const QSizeF paper = paperOnFlatBoard(row.recipe.board, hex);
        std::printf("  %-50s board %dx%d, paper %.1fx%.1f, hexes %.2f px\n", row.guards,
                    flat.board.width(), flat.board.height(), paper.width(), paper.height(), hex);
        if (row.edges) {
            EXPECT_NEAR(flat.board.width(), paper.width(), hex / 10) << row.guards;
            EXPECT_NEAR(flat.board.height(), paper.height(), hex / 10) << row.guards;
            continue;
        }
        const std::optional<FoundPhotoGrid> found = findPhotoGrid(photo);
        ASSERT_TRUE(found);
        const FlatPlan oneHex = planFlatBoard(found->grid, printedHexes(photo, *found), hex);
        ASSERT_TRUE(oneHex.board);
        EXPECT_EQ(flat.board.size(), oneHex.board->size) << row.guards;
    }
}
