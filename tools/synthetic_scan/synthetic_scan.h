// Made-up scans of printed maps with a grid of known placement, for the tests and the
// benchmarks of the grid finder and for pictures in the help. The printed hex grid is the
// engine's own (traceGrid of a GridLayout with the recipe's options), drawn analytically
// and antialiased, so the placement the finder should recover is exactly Tessara's.
//
// Drawn in this order, as a printer and a scanner would leave it: terrain colours with woods
// and contour lines, a river and a road, the grid printed over them as ink, labels (some
// with a white halo that cuts the grid), the white margin with a title and a neat line
// round the printed area, the scanner's softness and grain, and JPEG compression.
#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <cstdint>

#include "grid/grid_options.h"

namespace tessara::synthetic {

enum class Pattern {
    Hex,     // the grid of `grid`
    Square,  // squares `squarePixels` across, turned by grid.rotation about the centre
    None,    // the map alone
};

struct ScanRecipe {
    QSize size{1200, 900};
    Pattern pattern = Pattern::Hex;
    GridOptions grid;  // hexPixels set: the printed grid, in the picture's pixels
    double squarePixels = 40;
    double lineWidth = 1.5;  // pixels
    int lineGrey = 0;        // the ink's grey: 0 black, 150 a faint grey
    int margin = 0;          // white pixels round the printed area, with a title in them
    bool terrain = true;     // colours, woods and contours; otherwise white paper
    bool features = true;    // labels, a road and a river
    double blur = 0;         // the scanner's softness, standard deviation in pixels, up to 2
    double grain = 3;        // the scanner's noise, standard deviation in grey levels
    int jpegQuality = 0;     // 1 to 100 to pass the scan through JPEG; 0 leaves it as drawn
    std::uint64_t seed = 1;
};

// The part of the picture the map is printed on: all of it less the margin.
QRectF printedArea(const ScanRecipe& recipe);

// The scan, Format_RGB32. Needs a QGuiApplication for the labels' fonts.
QImage drawScan(const ScanRecipe& recipe);

// Two scans pasted side by side, `left` and then `right`, each at its own size: a sheet
// that holds two different grids. The height is the taller one's, white below the other.
QImage drawSideBySide(const ScanRecipe& left, const ScanRecipe& right);

// The picture as a JPEG of this quality decodes, artefacts and all; a null picture past
// QImageReader's allocation limit.
QImage throughJpeg(const QImage& picture, int quality);

// A section of a map as a flatbed sees it: the part `part` of the map, the scanner lying
// `turn` degrees crooked and scaling it by `scale`, white round the paper, with grain of
// its own (standard deviation in grey levels; each scan's from its seed).
struct SectionCut {
    QRect part;
    double turn = 0;
    double scale = 1;
    double grain = 0;
    std::uint64_t seed = 1;
};
QImage scanSection(const QImage& map, const SectionCut& cut);

}  // namespace tessara::synthetic
