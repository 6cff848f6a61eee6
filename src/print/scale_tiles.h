// Printing a map at true scale over several pages: how many pages, and which part of the
// picture each one shows. Lengths on paper are in millimetres, lengths on the picture in
// its pixels; a scale joins the two as picture pixels per millimetre of paper.
#pragma once

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

#include "core/column_letters.h"

class QPageLayout;

namespace tessara {

inline constexpr double kMillimetresPerInch = 25.4;
// The band under the map that holds the page's label and, on the first page, the ruler.
inline constexpr double kFooterMm = 8.0;
// The ruler that lets the user check the scale with a rule of their own.
inline constexpr double kRulerMm = 100.0;
inline constexpr double kDefaultOverlapMm = 10.0;
inline constexpr double kDefaultHexMm = 16.0;
// More pages than this is a mistake in the scale, not a map anyone will glue together.
inline constexpr long long kMaxTilePages = 10000;

enum class LengthUnit { Millimetre, Inch };

// The scale at which a hex of `hexPixels` (flat to flat, on the picture) prints `printed`
// long. Zero or less when either is not positive, which planTiles refuses.
double scaleForHexSize(double hexPixels, double printed, LengthUnit unit);
// The scale at which the picture prints at `dpi` of its pixels per inch.
double scaleForDpi(double dpi);
// The scale as the user named it: "16 mm hexes", "0.63 in hexes", "300 dpi".
QString hexScaleText(double printed, LengthUnit unit);
QString dpiScaleText(double dpi);

// A page's place: its column letters, then its row counted from 1 ("B3").
QString tileLabel(int column, int row);

// The part of the page the printer can print on, in millimetres, orientation applied.
QSizeF printableAreaMm(const QPageLayout& layout);

struct TileRequest {
    QSize picture;           // pixels
    double pixelsPerMm = 0;  // the scale
    QSizeF printable;        // one page's printable area, mm
    double overlapMm = kDefaultOverlapMm;
};

// One page. Positions on the page are in millimetres from the printable area's top-left.
struct Tile {
    int column = 0;  // from 0
    int row = 0;     // from 0
    QString label;
    QRectF source;  // the picture's pixels this page shows; the last column and row are clipped
    QRectF map;     // where those pixels land on the page
    // The strips of `map` this page shares with the page on that side; empty when none.
    QRectF leftOverlap;
    QRectF rightOverlap;
    QRectF topOverlap;
    QRectF bottomOverlap;
};

struct TilePlan {
    TileRequest request;
    QSizeF mapArea;  // mm of each page given to the map: the printable area less the footer
    QSizeF step;     // mm from one page's map to the next one's: the map area less the overlap
    int columns = 0;
    int rows = 0;
    std::vector<Tile> tiles;  // row by row, left to right

    int pageCount() const { return columns * rows; }
    // The footer band, in mm from the printable area's top-left.
    QRectF footer() const;
};

// A plan, or the reason there is none, in words for the user.
struct TilePlanning {
    std::optional<TilePlan> plan;
    QString refusal;
};

// The fewest pages that show the whole picture at the request's scale.
TilePlanning planTiles(const TileRequest& request);

// "3 x 2 pages, A4 landscape, 16 mm hexes"; "1 page, ..." when one is enough.
QString describePlan(const TilePlan& plan, const QString& paper, const QString& orientation,
                     const QString& scaleText);

}  // namespace tessara
