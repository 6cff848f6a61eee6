// The map from a fitted grid on the picture to the upright whole-pixel grid a target draws,
// and the board it makes. In the grid's frame (grid_placement.h) the fitted hexes are h
// flat to flat along the lines, and the lines p = 0.86602 s h apart; the target's are `along`
// and `pitch` whole pixels (board_target.h). So the board is the picture turned back
// upright, scaled by along / h along the lines and by pitch / p across them, and moved by
// less than a pixel (VASSAL) or a hex (Tiled) so that the target's own arithmetic puts its
// hexes on the fitted ones:
//   Tiled: tile (0, 0) has its corner at the board's (0, 0); its hexes lie on line
//     `firstLine`, the next row (column) of tiles on the next line, and the stagger index
//     says whether the odd or the even ones are the lines half a hex further along.
//   VASSAL: (x0, y0) is the centre of a hex of a shifted line, so that the columns (rows)
//     an odd number away from it are those half a hex further along.
// The board holds every pixel of the picture; what lies outside the picture is white.
#pragma once

#include <QPoint>
#include <QSize>
#include <QTransform>

#include "boards/board_target.h"
#include "grid/grid_layout.h"

namespace tessara {

enum class BoardProblem {
    None,
    NoGrid,         // the grid itself cannot be laid over the picture
    HexTooSmall,    // the target's hexes would be below kMinTargetHex (kMinTargetPitch)
    BoardTooLarge,  // the board would be over the longest side a picture may have
};

struct Straightening {
    BoardProblem problem = BoardProblem::None;
    BoardTarget target = BoardTarget::Tiled;
    bool columns = false;  // the lines are columns: the target's hexes have flat tops
    TargetSizes sizes;
    double scaleAlong = 1;   // along / h
    double scaleAcross = 1;  // pitch / p
    QSize board;
    QTransform toBoard;  // picture pixels to board pixels, each named by its centre
    // The fitted hex that is the target's first: Tiled's tile (0, 0), VASSAL's (x0, y0).
    int firstLine = 0;
    int firstCell = 0;
    bool firstLineShifted = true;  // a line half a hex towards the top (left) edge
    QPoint firstCentre;            // its centre, in board pixels

    // The factors the picture is scaled by across (x) and down (y) the board.
    double scaleX() const { return columns ? scaleAcross : scaleAlong; }
    double scaleY() const { return columns ? scaleAlong : scaleAcross; }
};

// The button's grid (every option at its default) is taken as the fitted grid it is
// within half a pixel of.
GridLayout asFittedLayout(const GridLayout& layout);

Straightening straighten(const GridLayout& layout, BoardTarget target);

}  // namespace tessara
