// Painting a plan of pages (scale_tiles.h) on a printer or a PDF: each page its part of the
// map at true size, cut marks at the overlaps, its label, and on the first page a ruler.
#pragma once

#include <QImage>
#include <functional>

#include "print/scale_tiles.h"

class QPainter;

namespace tessara {

// Told before each page how many are done of how many; false cancels the printing.
using PageProgress = std::function<bool(int done, int total)>;

// Cut marks and rulers are hairlines that a printer still prints.
inline constexpr double kMarkPenMm = 0.2;
// How far a cut mark reaches out from the map's edge.
inline constexpr double kCutTickMm = 3.0;

// Paints every page of `plan` with `painter`, which is active on a QPagedPaintDevice
// (QPrinter, QPdfWriter) whose printable area is the plan's: the painter's origin is that
// area's top-left corner, as these devices set it. Sizes follow the device's resolution, so
// that a millimetre of the plan is a millimetre on paper. The plan must be made for
// `picture`'s size. Returns false when `progress` cancelled, or the device has no pages;
// the output is then to be discarded.
bool printTiles(QPainter& painter, const QImage& picture, const TilePlan& plan,
                const PageProgress& progress = {});

}  // namespace tessara
