// Straight lines drawn straight into a 32-bit picture, without antialiasing, so that every
// pixel a line touches has exactly the pen's colour. A pixel is named by its centre: the
// point (3, 5) lies in the middle of pixel column 3, row 5.
//
// A line one pixel wide is a chain of single pixels, one per step along its longer axis.
// A wider line is every pixel whose centre lies within half the width of the segment: a
// band with round ends. The round ends close the corners where two lines of a path meet,
// whatever their angle, and a line of width w over whole coordinates is exactly w pixels
// across. Whatever falls outside the picture is clipped.
#pragma once

#include <QImage>
#include <QPointF>
#include <array>
#include <vector>

#include "image/pixel_journal.h"

namespace tessara {

struct RasterPen {
    QRgb colour = qRgb(0, 0, 0);
    int width = 1;  // pixels; anything below 1 draws as 1
};

// The pixels of one line as runs of whole pixels along rows, relative to a whole-pixel
// origin.
struct PixelRun {
    int row;
    int from;
    int to;  // inclusive
};

// Draws lines on a Format_RGB32 image. A grid draws the same few shapes of line over and
// over, shifted by whole pixels; the raster remembers the pixels of the shapes it drew last
// and only shifts them, which is many times faster than working each line out again and
// gives exactly the same pixels.
class LineRaster {
  public:
    // Does nothing for a point that is not a finite number.
    void draw(QImage& image, QPointF from, QPointF to, const RasterPen& pen);
    // From now on keeps in `journal` what every line writes over; nullptr stops it.
    void keepOriginalsIn(PixelJournal* journal) { journal_ = journal; }

  private:
    struct Shape {
        double key[4]{};
        int width = 0;
        bool valid = false;
        std::vector<PixelRun> runs;
    };
    const Shape& shapeOf(const double (&key)[4], int width);

    std::array<Shape, 256> shapes_;
    PixelJournal* journal_ = nullptr;
};

}  // namespace tessara
