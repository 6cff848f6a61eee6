// Straight lines drawn straight into a 32-bit picture, without antialiasing, so that every
// pixel a line touches has exactly the pen's colour. A pixel is named by its centre: the
// point (3, 5) lies in the middle of pixel column 3, row 5.
//
// A line one pixel wide is a chain of single pixels, one per step along its longer axis.
// A wider line is every pixel whose centre lies within half the width of the segment: a
// band with round ends. The round ends close the corners where two lines of a path meet,
// whatever their angle, and a line of width w over whole coordinates is exactly w pixels
// across. Whatever falls outside the picture is clipped.
//
// A dashed or dotted line (line_dashes.h) covers the pixels of its dashes only: a subset of
// the solid line's pixels. A line less than opaque blends its colour over each pixel it
// covers once in a drawing, however many of its lines cover it, so that the corners where
// lines meet are no darker than the lines.
#pragma once

#include <QImage>
#include <QPointF>
#include <array>
#include <cstdint>
#include <vector>

#include "image/line_dashes.h"
#include "image/opacity.h"
#include "image/pixel_journal.h"

namespace tessara {

struct RasterPen {
    QRgb colour = qRgb(0, 0, 0);
    int width = 1;  // pixels; anything below 1 draws as 1
    DashStyle dashes = DashStyle::Solid;
    int opacity = kOpaque;  // percent of the pen's colour over the pixel under it
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
    // A new drawing begins: lines less than opaque may blend over any pixel again.
    void startDrawing() { covered_ = {}; }

  private:
    struct Shape {
        double key[4]{};
        int width = 0;
        DashStyle dashes = DashStyle::Solid;
        bool valid = false;
        std::vector<PixelRun> runs;
    };
    const Shape& shapeOf(const double (&key)[4], int width, DashStyle dashes);
    // Writes the runs, shifted by a whole-pixel origin, into the picture.
    void fill(QImage& image, const std::vector<PixelRun>& runs, int originX, int originY,
              const RasterPen& pen);

    std::array<Shape, 256> shapes_;
    PixelJournal* journal_ = nullptr;
    // The pixels a line less than opaque has blended over in this drawing, a bit each, row
    // after row of the picture; made at the first such line.
    std::vector<std::uint64_t> covered_;
    // What blendOver makes of each value of each channel under the pen of the last blend.
    struct Blend {
        QRgb colour = 0;
        int opacity = kOpaque;
        std::array<std::array<std::uint8_t, 256>, 3> channels{};
    };
    const Blend& blendFor(QRgb colour, int opacity);
    Blend blend_;
};

}  // namespace tessara
