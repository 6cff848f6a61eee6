// Every number and choice that decides a grid and its printing, declared once: its key in a
// settings file, its option on the command line, its range or its words, its default and its
// help line. The command line's reader, the settings file's reader and the dialogs' boxes all
// take their limits from here, so that a value one path accepts every path accepts, and a
// refusal names the same range in the same words.
#pragma once

#include <QString>
#include <QStringList>
#include <cfloat>
#include <span>

#include "grid/grid_options.h"
#include "grid/grid_parameters.h"
#include "grid/hex_numbers.h"

namespace tessara {

struct NumberField {
    const char* key;     // in a settings file, with its group: "grid.rotation"
    const char* option;  // on the command line, without its dashes; "" for none
    double low;
    double high;
    bool aboveLow = false;   // the range starts just above `low` (a size: above 0)
    bool whole = false;      // a whole number
    const char* unit = "";   // "degrees", "percent", ...: "a number of degrees from -45 to 45"
    double fallback = 0;     // the default
    const char* value = "";  // the option's value as its usage shows it: "DEG"
    // The option's help: "{range}" and "{default}" stand for rangeText() and the fallback.
    const char* help = "";

    bool accepts(double value) const;
    // "a number from 0.5 to 2", "a whole number of percent from 10 to 100", "a positive
    // number", "a number above 0 and up to 32767".
    QString rangeText() const;
};

// The largest size of the map or a hex in distance units: the largest Single.
inline constexpr double kLargestDistance = FLT_MAX;
// How far the grid may be moved, in pixels, either way: any farther is the same grid as
// one moved less by whole hexes.
inline constexpr double kLargestOffset = 1e9;
// The largest hex in pixels: the longest side a picture may have.
inline constexpr double kLargestHexPixels = 32767;

namespace field {
// clang-format off
inline constexpr NumberField kMapWidth{.key = "mapWidth", .option = "map-width", .low = 0,
    .high = kLargestDistance, .aboveLow = true, .value = "M",
    .help = "the map's width in distance units (required unless --hex-pixels or --settings is "
            "given), e.g. 100"};
inline constexpr NumberField kHexSize{.key = "hexSize", .option = "hex-size", .low = 0,
    .high = kLargestDistance, .aboveLow = true, .value = "S",
    .help = "the distance between a hex's flats in the same units, below M (required with M), "
            "e.g. 5"};
inline constexpr NumberField kOffset{.key = "grid.offsetX", .option = "offset",
    .low = -kLargestOffset, .high = kLargestOffset, .unit = "pixels", .value = "X,Y",
    .help = "move the whole grid by X,Y pixels (default 0,0), e.g. -30.5,9: a hex centre then "
            "lies at X, Y + 0.288675 F P for rows (X + 0.288675 F P, Y for columns), half a hex "
            "further along with --shifted second; F the stretch, P the hex size in pixels"};
inline constexpr NumberField kStretch{.key = "grid.stretch", .option = "stretch",
    .low = kMinStretch, .high = kMaxStretch, .fallback = 1, .value = "F",
    .help = "stretch the hexes across their rows (columns): {range} (default {default}), "
            "e.g. 1.04"};
inline constexpr NumberField kHexPixels{.key = "grid.hexPixels", .option = "hex-pixels",
    .low = 0, .high = kLargestHexPixels, .aboveLow = true, .unit = "pixels", .value = "P",
    .help = "the hexes' size flat to flat in pixels (default: the picture's width x S / M); "
            "alone, M and S are taken as one unit a hex, e.g. 42.5"};
inline constexpr NumberField kRotation{.key = "grid.rotation", .option = "rotation",
    .low = -kMaxRotation, .high = kMaxRotation, .unit = "degrees", .value = "DEG",
    .help = "turn the grid clockwise about the picture's centre: {range} (default {default}), "
            "e.g. 0.6"};
inline constexpr NumberField kSkew{.key = "grid.skew", .option = "skew", .low = -kMaxSkew,
    .high = kMaxSkew, .unit = "degrees", .value = "DEG",
    .help = "lean the lines across the rows (columns) by this angle: {range} (default "
            "{default}), e.g. -0.2"};
inline constexpr NumberField kOpacity{.key = "grid.opacity", .option = "opacity",
    .low = kMinOpacity, .high = kMaxOpacity, .whole = true, .unit = "percent",
    .fallback = kMaxOpacity, .value = "PERCENT",
    .help = "how much of the lines' and numbers' colour covers the map: {range} (default "
            "{default}), e.g. 50"};
inline constexpr NumberField kFirstNumber{.key = "numbers.first", .option = "first",
    .low = -9999, .high = 9999, .whole = true, .fallback = 1, .value = "N",
    .help = "the first column's and row's number: {range} (default {default}), e.g. 0"};
inline constexpr NumberField kNumberPercent{.key = "numbers.sizePercent",
    .option = "number-size", .low = 1, .high = 200, .unit = "percent", .fallback = 20,
    .value = "PERCENT",
    .help = "the digits' height as a share of the hex (default 20), or points, e.g. 9pt"};
inline constexpr NumberField kNumberPoints{.key = "numbers.sizePoints",
    .option = "number-size", .low = kSmallestNumber * 72 / 96, .high = 500, .unit = "points"};
inline constexpr NumberField kPrintHex{.key = "print.hexSize", .option = "hex-mm", .low = 1,
    .high = 500, .unit = "millimetres", .fallback = 16, .value = "MM",
    .help = "print a hex this many millimetres flat to flat: {range} (default {default}), "
            "e.g. 19"};
inline constexpr NumberField kPrintHexInches{.key = "print.hexSize", .option = "hex-inches",
    .low = 0.04, .high = 20, .unit = "inches", .value = "IN",
    .help = "or this many inches: {range}, e.g. 0.75"};
inline constexpr NumberField kPrintDpi{.key = "print.dpi", .option = "dpi", .low = 10,
    .high = 2400, .fallback = 300, .value = "N",
    .help = "or print N of the map's pixels to the inch: {range}, e.g. 300"};
inline constexpr NumberField kOverlap{.key = "print.overlapMm", .option = "overlap-mm",
    .low = 0, .high = 100, .unit = "millimetres", .fallback = 10, .value = "MM",
    .help = "how far neighbouring pages overlap: {range} (default {default}), e.g. 15"};
// clang-format on
}  // namespace field

// Every field above, in the order of the settings file.
std::span<const NumberField* const> numberFields();
// The first field of a command-line option; nothing for an option that is none.
const NumberField* numberFieldOf(const QString& option);

// A field that takes one of a few words, the same in a settings file, on the command line
// and in its help, listed in the order of the enumeration they stand for.
struct ChoiceField {
    const char* key;     // in a settings file, with its group: "grid.orientation"
    const char* option;  // on the command line, without its dashes
    std::span<const char* const> list;
    const char* value = "";  // the option's value in the usage; "" for the words: "rows|columns"
    const char* help = "";

    QStringList words() const;
    QString word(int index) const { return QLatin1String(list[static_cast<size_t>(index)]); }
    // The option's value in the usage.
    QString valueText() const { return *value ? QLatin1String(value) : words().join(u'|'); }
};

namespace words {
inline constexpr const char* kOrientation[] = {"rows", "columns"};
inline constexpr const char* kShifted[] = {"first", "second"};
inline constexpr const char* kLineStyle[] = {"solid", "dashed", "dotted", "none"};
inline constexpr const char* kOrigin[] = {"top-left", "bottom-left"};
inline constexpr const char* kPosition[] = {"top", "centre", "bottom"};
inline constexpr const char* kHalo[] = {"none", "white", "black"};
// The line widths of kLineWidths, in pixels.
inline constexpr const char* kThickness[] = {"1", "2", "3", "5", "10", "15", "20"};
// The papers in the order of kScalePapers.
inline constexpr const char* kPaper[] = {"A4", "A3", "Letter", "Legal", "Tabloid"};
}  // namespace words

namespace field {
// clang-format off
inline constexpr ChoiceField kOrientation{"grid.orientation", "orientation", words::kOrientation, "",
    "hexes side by side in rows (default), or turned a quarter turn into columns, e.g. columns"};
inline constexpr ChoiceField kShifted{"grid.shifted", "shifted", words::kShifted, "",
    "which rows (columns) lie half a hex towards the left (top) edge: the first (default) or "
    "the second, e.g. second"};
inline constexpr ChoiceField kLineStyle{"grid.lineStyle", "line-style", words::kLineStyle, "",
    "solid lines (default), dashes or dots even along each side of a hex, or none: the hex "
    "numbers alone, with --numbers, e.g. dashed"};
inline constexpr ChoiceField kColour{"colour", "colour", kColourNames, "NAME|#RRGGBB",
    "black (default), blue, green, cyan, red, magenta, yellow or white, or any colour as # and "
    "six hexadecimal digits, e.g. red or #5a3c1e"};
// A settings file keeps the width itself, as a number.
inline constexpr ChoiceField kThickness{"thickness", "thickness", words::kThickness, "N",
    "line width in pixels: 1 (default), 2, 3, 5, 10, 15 or 20, e.g. 3"};
inline constexpr ChoiceField kOrigin{"numbers.origin", "origin", words::kOrigin, "",
    "the corner rows are counted from (default top-left)"};
inline constexpr ChoiceField kPosition{"numbers.position", "number-position", words::kPosition, "",
    "where the number sits in its hex (default top)"};
// A settings file keeps the numbers' colour itself, as #rrggbb.
inline constexpr ChoiceField kNumberColour{"numbers.colour", "number-colour", kColourNames, "NAME",
    "one of the colour names above (default: the grid's)"};
inline constexpr ChoiceField kHalo{"numbers.halo", "halo", words::kHalo, "",
    "a thin outline round the digits (default none)"};
inline constexpr ChoiceField kPaper{"print.paper", "paper", words::kPaper, "NAME",
    "A4 (default), A3, Letter, Legal or Tabloid"};
// clang-format on
}  // namespace field

// The choice field of a command-line option; nothing for an option that is none.
const ChoiceField* choiceFieldOf(const QString& option);

}  // namespace tessara
