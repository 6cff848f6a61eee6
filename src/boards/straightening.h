// The map from a fitted grid on the picture to the upright whole-pixel grid a target draws,
// and the board it makes. In the grid's frame (grid_placement.h) the fitted hexes are h
// flat to flat along the lines, and the lines p = 0.86602 s h apart; the target's are `along`
// and `pitch` pixels (board_target.h). So the board is the picture turned back upright,
// scaled by along / h along the lines and by pitch / p across them, and moved by less than
// a pixel (VASSAL) or a hex (Tiled, Foundry) so that the target's own arithmetic puts its
// hexes on the fitted ones (its BoardOrigin):
//   Tiled, Foundry: the canvas starts on the lattice; its first row (column) of hexes lies
//     on line `firstLine`, the next on the next line, and the stagger index (Foundry's odd
//     or even type) says whether the odd or the even ones are the lines half a hex further
//     along.
//   VASSAL: (x0, y0) is the centre of a hex of a shifted line, so that the columns (rows)
//     an odd number away from it are those half a hex further along.
// The board holds every pixel of the picture; what lies outside the picture is white.
//
// Board pixels are named by their centres, as the picture's are; the targets' canvases, as
// Java's and a web page's, count from the board's top-left corner, so that board pixel
// (0, 0) is the target's square from (0, 0) to (1, 1), its centre at (0.5, 0.5). toTarget()
// is that one half pixel, the only place it is added.
#pragma once

#include <QPointF>
#include <QSize>
#include <QTransform>

#include "boards/board_format.h"
#include "grid/grid_layout.h"

namespace tessara {

enum class BoardProblem {
    None,
    NoGrid,         // the grid itself cannot be laid over the picture
    HexTooSmall,    // the target's hexes would be smaller than it can draw
    BoardTooLarge,  // the board would be over the longest side a picture may have
    // The hexes are larger than the picture, and the target's canvas starts on a hex's
    // corner: the board would be mostly blank.
    HexLargerThanMap,
};

struct Straightening {
    BoardProblem problem = BoardProblem::None;
    const BoardFormat* format = nullptr;
    bool columns = false;  // the lines are columns: the target's hexes have flat tops
    TargetSizes sizes;
    double scaleAlong = 1;   // along / h
    double scaleAcross = 1;  // pitch / p
    QSize board;
    QTransform toBoard;  // picture pixels to board pixels, each named by its centre
    // The fitted hex that is the target's first: Tiled's tile (0, 0), VASSAL's (x0, y0),
    // Foundry's offset (0, 0).
    int firstLine = 0;
    int firstCell = 0;
    bool firstLineShifted = true;  // a line half a hex towards the top (left) edge
    QPointF firstCentre;           // its centre, in the target's canvas

    // A picture point in the target's canvas.
    QPointF toTarget(QPointF picturePoint) const {
        return toBoard.map(picturePoint) + QPointF(0.5, 0.5);
    }
    // The factors the picture is scaled by across (x) and down (y) the board.
    double scaleX() const { return columns ? scaleAcross : scaleAlong; }
    double scaleY() const { return columns ? scaleAlong : scaleAcross; }
};

// The button's grid (every option at its default) is taken as the fitted grid it is
// within half a pixel of.
GridLayout asFittedLayout(const GridLayout& layout);

Straightening straighten(const GridLayout& layout, const BoardFormat& format);

}  // namespace tessara
