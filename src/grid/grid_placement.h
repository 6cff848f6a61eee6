// Where the grid's own frame lies on the picture. The frame is that of the grid's lines: u
// runs along a line (a row, or a column), v across the lines, and the hexes there stand
// upright with their flats h apart. An upright grid puts (u, v) on (x, y) for rows and on
// (y, x) for columns. A turned or leaning grid then moves that point q about the picture's
// centre c, so that turning moves the middle of the map least:
//   p = c + R(rotation) K(skew) (q - c)
// R turns clockwise as seen on the screen (y grows downwards); K leans the lines across the
// rows (columns) by the skew angle while the rows (columns) keep their direction:
//   R = | cos -sin |    K (rows) = | 1  tan |    K (columns) = |  1   0 |
//       | sin  cos |               | 0   1  |                  | tan  1 |
// With rotation and skew at zero, p is q exactly, with no arithmetic at all.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include "grid/grid_options.h"

namespace tessara {

class GridPlacement {
  public:
    GridPlacement() = default;
    GridPlacement(const GridOptions& options, QSizeF picture);

    bool turned() const { return turned_; }
    // A point of the frame in picture pixels, and back.
    QPointF toPicture(double u, double v) const;
    QPointF toFrame(QPointF picture) const;
    // The smallest rectangle of the frame that holds `area` of the picture.
    QRectF frameBounds(const QRectF& area) const;
    // The map from the frame to picture pixels, for a painter.
    QTransform transform() const;

  private:
    bool columns_ = false;
    bool turned_ = false;
    // The turned grid's linear part, from q - c to p - c, and its inverse.
    double a_ = 1, b_ = 0, c_ = 0, d_ = 1;
    double ia_ = 1, ib_ = 0, ic_ = 0, id_ = 1;
    QPointF centre_;
};

}  // namespace tessara
