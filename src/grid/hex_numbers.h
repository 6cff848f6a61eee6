// Hex numbers: which hexes get one, what it says and where it goes. Games refer to a hex
// by its column and row ("1412": column 14, row 12). Columns run left to right and rows top
// to bottom (or bottom to top), counted over the hexes whose centres lie on the picture.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <climits>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/column_letters.h"
#include "grid/grid_layout.h"
#include "image/picture_memory.h"

namespace tessara {

enum class NumberFormat {
    Joined,   // "0101": column then row, each zero-padded
    Dotted,   // "01.01"
    Letters,  // "A1": the column in letters, the row as a number
    Comma,    // "1,1"
    Pattern,  // the user's own: {c} {r}, {c:2} padded to 2 digits, {C} {R} in letters
};
enum class NumberOrigin { TopLeft, BottomLeft };
enum class NumberPosition { Top, Centre, Bottom };
enum class NumberHalo { None, White, Black };

inline constexpr double kSmallestNumber = 6;  // pixels: the smallest legible text
inline constexpr double kSmallestNumberPoints = kSmallestNumber * 72 / 96;
// The smallest share of a hex that can be read on any map: kSmallestNumber pixels on a hex
// as wide as the largest map, in percent.
inline constexpr double kSmallestNumberShare = 100 * kSmallestNumber / kLongestSide;

// The largest first number: a grid has at most kMaxCells columns and rows, so that its last
// number, first + kMaxCells - 1 at most, is still an int.
inline constexpr int kLargestFirstNumber = INT_MAX - kMaxCells;

struct HexNumbering {
    bool enabled = false;
    NumberFormat format = NumberFormat::Joined;
    QString pattern;  // for NumberFormat::Pattern
    int first = 1;    // the number of the first column and row; at most kLargestFirstNumber
    NumberOrigin origin = NumberOrigin::TopLeft;
    NumberPosition position = NumberPosition::Top;
    double sizePercent = 20;           // of the hex size, flat to flat
    std::optional<double> sizePoints;  // set: a fixed size, in points of 1/72 inch at 96 dpi
    std::optional<QColor> colour;      // unset: the grid's colour
    NumberHalo halo = NumberHalo::None;

    friend bool operator==(const HexNumbering&, const HexNumbering&) = default;
};

// Whether the text holds a control character (a tab, a line break, ...): a pattern must not,
// as such a character has no glyph to draw and most of them cannot be written into an SVG
// drawing at all.
bool holdsControlCharacters(const QString& text);

// Whether a pattern of one's own holds a field ({c}, {r:2}, ...): without one it is no
// pattern, and would be drawn as it is in every hex.
bool isNumberPattern(const QString& text);

// Whether numbers of `size` points (`points`), or `size` percent of the hex, could be read
// on some map: smaller ones would be left out of every map.
bool legibleNumberSize(double size, bool points);

// How many characters a zero-padded number takes: 2, or more when it needs them.
int paddedWidth(int n);

// The text of the hex in column `column` and row `row` (numbers as shown, first included);
// the widths pad the two numbers.
QString hexLabel(const HexNumbering& numbering, int column, int row, int columnWidth, int rowWidth);

// One numbered hex: where its centre is, and its column and row as shown.
struct NumberedHex {
    QPointF centre;
    int column = 0;
    int row = 0;
};

// Where the numbering starts: the lines, and the places along them in half hexes
// (halfHexesAlong), that the hexes whose centres lie on the picture span.
struct NumberingFrame {
    int firstLine = INT_MAX;
    int lastLine = INT_MIN;
    int firstHalf = INT_MAX;
    int lastHalf = INT_MIN;
    qint64 count = 0;  // how many hexes
};
NumberingFrame numberingFrame(const GridLayout& layout, double width, double height);

// The column and row, as shown, of a hex: the top-left hex on the picture is the first
// number whatever the grid's offset, and hexes half a hex apart on neighbouring lines share
// their column (their row, for columns).
std::pair<int, int> columnAndRow(const GridLayout& layout, const NumberingFrame& frame,
                                 const HexNumbering& numbering, GridHex hex);

// Every hex of the layout whose centre lies on the W x H picture, with its column and row.
std::vector<NumberedHex> numberedHexes(const GridLayout& layout, double width, double height,
                                       const HexNumbering& numbering);

// The same hexes given to `visit` one by one, in the same order, none of them kept: a grid
// of tiny hexes on a large map has millions. `frame` is the picture's numberingFrame.
void visitNumberedHexes(const GridLayout& layout, double width, double height,
                        const NumberingFrame& frame, const HexNumbering& numbering,
                        const std::function<void(const NumberedHex&)>& visit);

// How many hexes are numbered, and the first and last column and row numbers they show.
struct NumberRange {
    qint64 count = 0;
    int firstColumn = 0;
    int lastColumn = -1;
    int firstRow = 0;
    int lastRow = -1;
};
NumberRange numberRange(const GridLayout& layout, const NumberingFrame& frame,
                        const HexNumbering& numbering);

// A size in points of 1/72 inch, in pixels: a map's pixels are taken as a screen's, 96 an inch.
inline double pointsToPixels(double points) {
    return points * 96 / 72;
}

// The text height in pixels the numbering asks for on hexes of this layout.
double numberSize(const GridLayout& layout, const HexNumbering& numbering);

// The widest a label may be inside a hex of the layout, and where the middle of a label
// `textHeight` pixels high goes.
double roomForLabel(const GridLayout& layout, const HexNumbering& numbering);
QPointF labelMiddle(const GridLayout& layout, const HexNumbering& numbering, QPointF centre,
                    double textHeight);

}  // namespace tessara
