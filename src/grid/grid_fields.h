// Every number that decides a grid and its printing, declared once: its key in a settings
// file, its option on the command line, its range, its default and the words for that
// range. The command line's reader, the settings file's reader and the dialogs' boxes all
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
    bool aboveLow = false;  // the range starts just above `low` (a size: above 0)
    bool whole = false;     // a whole number
    const char* unit = "";  // "degrees", "percent", ...: "a number of degrees from -45 to 45"
    double fallback = 0;    // the default

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
inline constexpr NumberField kMapWidth{"mapWidth", "map-width", 0, kLargestDistance, true};
inline constexpr NumberField kHexSize{"hexSize", "hex-size", 0, kLargestDistance, true};
inline constexpr NumberField kOffset{"grid.offsetX", "offset", -kLargestOffset, kLargestOffset, false, false, "pixels"};
inline constexpr NumberField kStretch{"grid.stretch", "stretch", kMinStretch, kMaxStretch, false, false, "", 1};
inline constexpr NumberField kHexPixels{"grid.hexPixels", "hex-pixels", 0, kLargestHexPixels, true, false, "pixels"};
inline constexpr NumberField kRotation{"grid.rotation", "rotation", -kMaxRotation, kMaxRotation, false, false, "degrees"};
inline constexpr NumberField kSkew{"grid.skew", "skew", -kMaxSkew, kMaxSkew, false, false, "degrees"};
inline constexpr NumberField kOpacity{"grid.opacity", "opacity", kMinOpacity, kMaxOpacity, false, true, "percent", kMaxOpacity};
inline constexpr NumberField kFirstNumber{"numbers.first", "first", -9999, 9999, false, true, "", 1};
inline constexpr NumberField kNumberPercent{"numbers.sizePercent", "number-size", 1, 200, false, false, "percent", 20};
inline constexpr NumberField kNumberPoints{"numbers.sizePoints", "number-size", kSmallestNumber * 72 / 96, 500, false, false, "points"};
inline constexpr NumberField kPrintHex{"print.hexSize", "hex-mm", 1, 500, false, false, "millimetres", 16};
inline constexpr NumberField kPrintHexInches{"print.hexSize", "hex-inches", 0.04, 20, false, false, "inches"};
inline constexpr NumberField kPrintDpi{"print.dpi", "dpi", 10, 2400, false, false, "", 300};
inline constexpr NumberField kOverlap{"print.overlapMm", "overlap-mm", 0, 100, false, false, "millimetres", 10};
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

    QStringList words() const;
    QString word(int index) const { return QLatin1String(list[static_cast<size_t>(index)]); }
    // The words as an option's value in the usage: "rows|columns".
    QString valueText() const { return words().join(u'|'); }
};

namespace words {
inline constexpr const char* kOrientation[] = {"rows", "columns"};
inline constexpr const char* kShifted[] = {"first", "second"};
inline constexpr const char* kLineStyle[] = {"solid", "dashed", "dotted", "none"};
inline constexpr const char* kOrigin[] = {"top-left", "bottom-left"};
inline constexpr const char* kPosition[] = {"top", "centre", "bottom"};
inline constexpr const char* kHalo[] = {"none", "white", "black"};
// The papers in the order of kScalePapers.
inline constexpr const char* kPaper[] = {"A4", "A3", "Letter", "Legal", "Tabloid"};
}  // namespace words

namespace field {
// clang-format off
inline constexpr ChoiceField kOrientation{"grid.orientation", "orientation", words::kOrientation};
inline constexpr ChoiceField kShifted{"grid.shifted", "shifted", words::kShifted};
inline constexpr ChoiceField kLineStyle{"grid.lineStyle", "line-style", words::kLineStyle};
inline constexpr ChoiceField kColour{"colour", "colour", kColourNames};
inline constexpr ChoiceField kOrigin{"numbers.origin", "origin", words::kOrigin};
inline constexpr ChoiceField kPosition{"numbers.position", "number-position", words::kPosition};
// A settings file keeps the numbers' colour itself, as #rrggbb.
inline constexpr ChoiceField kNumberColour{"numbers.colour", "number-colour", kColourNames};
inline constexpr ChoiceField kHalo{"numbers.halo", "halo", words::kHalo};
inline constexpr ChoiceField kPaper{"print.paper", "paper", words::kPaper};
// clang-format on
}  // namespace field

// The choice field of a command-line option; nothing for an option that is none.
const ChoiceField* choiceFieldOf(const QString& option);

}  // namespace tessara
