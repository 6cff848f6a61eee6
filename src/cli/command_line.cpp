#include "cli/command_line.h"

#include "grid/hex_grid.h"
#include "image/picture_export.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <cmath>
#include <optional>
#include <utility>

namespace tessara {
namespace {

// Thrown at the first mistake while the arguments are read, and turned into the refusal.
struct Refusal {
    QString what;
};

// The options of `tessara grid` that take a value, without their dashes.
const QStringList kValueOptions = {"map-width", "hex-size", "colour",  "thickness", "orientation",
                                   "offset",    "shifted",  "stretch", "hex-pixels"};
// Those of a PDF OUTPUT.
const QStringList kPdfOptions = {"hex-mm", "hex-inches", "dpi", "paper", "overlap-mm"};
// Options that take no value.
const QStringList kFlags = {"landscape"};
// Those of the hex numbers, which only --numbers turns on.
const QStringList kNumberOptions = {"first",       "origin",        "number-position",
                                    "number-size", "number-colour", "halo"};

struct Arguments {
    QStringList positional;
    QHash<QString, QString> values;  // by option name; the last one given wins
    bool help = false;
};

QString quoted(const QString& text) {
    return u'\'' + text + u'\'';
}

// "a, b or c"
QString oneOf(const QStringList& choices) {
    return choices.size() < 2 ? choices.value(0)
                              : choices.mid(0, choices.size() - 1).join(QStringLiteral(", ")) +
                                    QStringLiteral(" or ") + choices.last();
}

// A value follows its option as the next argument, whatever it looks like (an offset
// may start with a minus), or after an equals sign in the same argument.
Arguments split(const QStringList& arguments) {
    Arguments split;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            split.help = true;
            return split;
        }
        if (!argument.startsWith(u'-')) {
            split.positional.append(argument);
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString option = argument.left(equals);
        const QString name = option.mid(2);
        const bool known = kValueOptions.contains(name) || kNumberOptions.contains(name) ||
                           kPdfOptions.contains(name) || kFlags.contains(name) ||
                           name == QStringLiteral("numbers");
        if (!option.startsWith(QStringLiteral("--")) || !known) {
            throw Refusal{QStringLiteral("unknown option ") + quoted(option)};
        }
        if (kFlags.contains(name)) {
            if (equals >= 0) {
                throw Refusal{QStringLiteral("option %1 takes no value").arg(option)};
            }
            split.values[name] = QString();
        } else if (equals >= 0) {
            split.values[name] = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            split.values[name] = arguments[++i];
        } else {
            throw Refusal{QStringLiteral("option %1 needs a value").arg(option)};
        }
    }
    return split;
}

// A dot is the decimal point and a comma never groups digits, so that "1,5" is refused
// rather than read as 15.
QLocale numberLocale() {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    return c;
}

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double value = numberLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString required(const Arguments& args, const QString& name, const char* meaning) {
    const auto found = args.values.constFind(name);
    if (found == args.values.constEnd()) {
        throw Refusal{QStringLiteral("missing --%1, %2").arg(name, QLatin1String(meaning))};
    }
    return *found;
}

// The same rule as the sizes typed into the window.
GridSizes readSizes(const Arguments& args) {
    const QString map = required(args, "map-width", "the map's width in distance units");
    const QString hex = required(args, "hex-size", "the hexes' size in the same units");
    const GridSizeCheck check = checkGridSizes(map, hex, numberLocale());
    if (check.problem == GridSizeProblem::MapSize) {
        throw Refusal{QStringLiteral("--map-width must be a positive number, not ") + quoted(map)};
    }
    if (check.problem == GridSizeProblem::HexSize) {
        throw Refusal{
            QStringLiteral("--hex-size must be a positive number below --map-width, not ") +
            quoted(hex)};
    }
    return check.sizes;
}

// The position of the option's value among its choices; the first choice is the default.
int choose(const Arguments& args, const QString& name, const QStringList& choices) {
    const QString value = args.values.value(name, choices.first());
    const qsizetype index = choices.indexOf(value);
    if (index < 0) {
        throw Refusal{
            QStringLiteral("--%1 must be %2, not %3").arg(name, oneOf(choices), quoted(value))};
    }
    return static_cast<int>(index);
}

GridPen readPen(const Arguments& args) {
    QStringList colours;
    for (const char* colour : kColourNames) {
        colours.append(QLatin1String(colour));
    }
    QStringList widths;
    for (const Integer width : kLineWidths) {
        widths.append(QString::number(width));
    }
    const int colour = choose(args, "colour", colours);
    const int width = choose(args, "thickness", widths);
    return *gridPen(colour, width, kLineWidths);  // both are positions in the lists
}

std::pair<double, double> readOffset(const QString& text) {
    const QStringList halves = text.split(u',');
    const std::optional<double> x = number(halves.value(0));
    const std::optional<double> y = number(halves.value(1));
    if (halves.size() != 2 || !x || !y) {
        throw Refusal{
            QStringLiteral(
                "--offset must be two numbers separated by a comma, as in -30.5,9, not ") +
            quoted(text)};
    }
    return {*x, *y};
}

GridOptions readOptions(const Arguments& args) {
    GridOptions options;
    if (choose(args, "orientation", {"rows", "columns"}) == 1) {
        options.orientation = GridOrientation::Columns;
    }
    if (choose(args, "shifted", {"first", "second"}) == 1) {
        options.shifted = ShiftedLines::Second;
    }
    if (args.values.contains("offset")) {
        std::tie(options.offsetX, options.offsetY) = readOffset(args.values["offset"]);
    }
    if (args.values.contains("stretch")) {
        const QString text = args.values["stretch"];
        const std::optional<double> stretch = number(text);
        if (!stretch || *stretch < kMinStretch || *stretch > kMaxStretch) {
            throw Refusal{QStringLiteral("--stretch must be a number from %1 to %2, not %3")
                              .arg(kMinStretch)
                              .arg(kMaxStretch)
                              .arg(quoted(text))};
        }
        options.stretch = *stretch;
    }
    if (args.values.contains("hex-pixels")) {
        const QString text = args.values["hex-pixels"];
        options.hexPixels = number(text);
        if (!options.hexPixels || !(*options.hexPixels > 0)) {
            throw Refusal{QStringLiteral("--hex-pixels must be a positive number, not ") +
                          quoted(text)};
        }
    }
    return options;
}

NumberFormat readNumberFormat(const QString& text) {
    static const QHash<QString, NumberFormat> presets = {{"0101", NumberFormat::Joined},
                                                         {"01.01", NumberFormat::Dotted},
                                                         {"A1", NumberFormat::Letters},
                                                         {"1,1", NumberFormat::Comma}};
    if (presets.contains(text)) {
        return presets[text];
    }
    if (!text.contains(u'{')) {
        throw Refusal{QStringLiteral("--numbers must be 0101, 01.01, A1, 1,1 or a pattern such as "
                                     "{c:2}{r:2}, not ") +
                      quoted(text)};
    }
    return NumberFormat::Pattern;
}

// A share of the hex ("20") or points ("12pt").
void readNumberSize(const QString& text, HexNumbering& numbering) {
    const bool points = text.endsWith(QStringLiteral("pt"));
    const std::optional<double> size = number(points ? text.chopped(2) : text);
    if (!size || !(*size > 0) || (!points && *size > 200)) {
        throw Refusal{QStringLiteral("--number-size must be a percentage of the hex above 0 and "
                                     "up to 200, or points such as 9pt, not ") +
                      quoted(text)};
    }
    if (points) {
        numbering.sizePoints = *size;
    } else {
        numbering.sizePercent = *size;
    }
}

HexNumbering readNumbering(const Arguments& args) {
    HexNumbering numbering;
    if (!args.values.contains("numbers")) {
        for (const QString& name : kNumberOptions) {
            if (args.values.contains(name)) {
                throw Refusal{QStringLiteral("--%1 needs --numbers").arg(name)};
            }
        }
        return numbering;
    }
    numbering.enabled = true;
    numbering.pattern = args.values["numbers"];
    numbering.format = readNumberFormat(numbering.pattern);
    if (args.values.contains("first")) {
        bool whole = false;
        numbering.first = args.values["first"].toInt(&whole);
        if (!whole) {
            throw Refusal{QStringLiteral("--first must be a whole number, not ") +
                          quoted(args.values["first"])};
        }
    }
    if (choose(args, "origin", {"top-left", "bottom-left"}) == 1) {
        numbering.origin = NumberOrigin::BottomLeft;
    }
    numbering.position =
        static_cast<NumberPosition>(choose(args, "number-position", {"top", "centre", "bottom"}));
    if (args.values.contains("number-size")) {
        readNumberSize(args.values["number-size"], numbering);
    }
    if (args.values.contains("number-colour")) {
        QStringList colours;
        for (const char* colour : kColourNames) {
            colours.append(QLatin1String(colour));
        }
        numbering.colour = QBColor(choose(args, "number-colour", colours));
    }
    numbering.halo = static_cast<NumberHalo>(choose(args, "halo", {"none", "white", "black"}));
    return numbering;
}

// The extension chooses the writer, so that what a script asks for is what it gets.
QByteArray outputFormat(const QString& output) {
    const QString suffix = QFileInfo(output).suffix().toLower();
    const QByteArray format = suffix == QStringLiteral("svg") || suffix == QStringLiteral("pdf")
                                  ? suffix.toLatin1()
                                  : formatForSuffix(suffix);
    if (format.isEmpty()) {
        throw Refusal{QStringLiteral("OUTPUT ") + quoted(output) +
                      QStringLiteral(" must end in .bmp, .png, .jpg, .jpeg, .tif, .tiff, .svg "
                                     "or .pdf")};
    }
    return format;
}

double positive(const Arguments& args, const QString& name, bool zeroToo = false) {
    const QString text = args.values[name];
    const std::optional<double> value = number(text);
    if (!value || *value < 0 || (!zeroToo && *value == 0)) {
        throw Refusal{QStringLiteral("--%1 must be a %2 number, not %3")
                          .arg(name, zeroToo ? "positive or zero" : "positive", quoted(text))};
    }
    return *value;
}

PdfPages readPages(const Arguments& args, const QByteArray& format) {
    PdfPages pages;
    const QStringList given = [&] {
        QStringList names;
        for (const QString& name : kPdfOptions + kFlags) {
            if (args.values.contains(name)) {
                names << name;
            }
        }
        return names;
    }();
    if (format != "pdf") {
        if (!given.isEmpty()) {
            throw Refusal{QStringLiteral("--%1 needs a .pdf OUTPUT").arg(given.first())};
        }
        return pages;
    }
    const QStringList scales = {"hex-mm", "hex-inches", "dpi"};
    QStringList scalesGiven;
    for (const QString& name : scales) {
        if (given.contains(name)) {
            scalesGiven << QStringLiteral("--") + name;
        }
    }
    if (scalesGiven.size() > 1) {
        throw Refusal{QStringLiteral("give only one of %1").arg(oneOf(scalesGiven))};
    }
    if (given.contains("hex-mm")) {
        pages.hexSize = positive(args, "hex-mm");
    } else if (given.contains("hex-inches")) {
        pages.hexSize = positive(args, "hex-inches");
        pages.unit = LengthUnit::Inch;
    } else if (given.contains("dpi")) {
        pages.dpi = positive(args, "dpi");
    }
    constexpr QPageSize::PageSizeId papers[] = {QPageSize::A4, QPageSize::A3, QPageSize::Letter,
                                                QPageSize::Legal, QPageSize::Tabloid};
    pages.paper = papers[choose(args, "paper", {"A4", "A3", "Letter", "Legal", "Tabloid"})];
    pages.landscape = given.contains("landscape");
    if (given.contains("overlap-mm")) {
        pages.overlapMm = positive(args, "overlap-mm", true);
    }
    return pages;
}

CommandLine parseGrid(const QStringList& arguments) {
    const Arguments args = split(arguments);
    if (args.help) {
        return {CommandAction::Help, {}, {}};
    }
    if (args.positional.isEmpty()) {
        throw Refusal{"missing INPUT, the map picture to read"};
    }
    if (args.positional.size() < 2) {
        throw Refusal{"missing OUTPUT, the file to write"};
    }
    if (args.positional.size() > 2) {
        throw Refusal{QStringLiteral("unexpected argument ") + quoted(args.positional[2])};
    }
    GridRequest request;
    request.input = args.positional[0];
    request.output = args.positional[1];
    request.format = outputFormat(request.output);
    request.pages = readPages(args, request.format);
    request.sizes = readSizes(args);
    request.pen = readPen(args);
    request.options = readOptions(args);
    request.numbering = readNumbering(args);
    return {CommandAction::Grid, request, {}};
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    const QString command = arguments.value(0);
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h")) {
        return {CommandAction::Help, {}, {}};
    }
    if (command == QStringLiteral("--version")) {
        return {CommandAction::Version, {}, {}};
    }
    if (command != QStringLiteral("grid")) {
        return {CommandAction::Refused, {}, QStringLiteral("unknown command ") + quoted(command)};
    }
    try {
        return parseGrid(arguments.mid(1));
    } catch (const Refusal& refusal) {
        return {CommandAction::Refused, {}, refusal.what};
    }
}

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  tessara                 start the window\n"
        "  tessara grid INPUT OUTPUT --map-width M --hex-size S [OPTION...]\n"
        "                          draw a hex grid over the map picture INPUT, write OUTPUT\n"
        "  tessara --help          show this help (also -h)\n"
        "  tessara --version       show the version\n"
        "\n"
        "INPUT may be a BMP, JPEG, PNG, GIF, TIFF or WebP picture. OUTPUT's extension says how\n"
        "it is written: the gridded map as .bmp, .png, .jpg, .jpeg, .tif or .tiff; the grid\n"
        "alone as .svg, in the map's pixels; the gridded map at true scale over as many pages\n"
        "as it needs as .pdf. OUTPUT is written only when everything succeeded; an OUTPUT\n"
        "already there is replaced only then.\n"
        "\n"
        "Options of tessara grid, as --option VALUE or --option=VALUE; numbers are written\n"
        "with a dot as the decimal point:\n"
        "  --map-width M           the map's width in distance units (required), e.g. 100\n"
        "  --hex-size S            the distance between a hex's flats in the same units, below\n"
        "                          M (required), e.g. 5\n"
        "  --colour NAME           black (default), blue, green, cyan, red, magenta, yellow or\n"
        "                          white, e.g. red\n"
        "  --thickness N           line width in pixels: 1 (default), 2, 3, 5, 10, 15 or 20,\n"
        "                          e.g. 3\n"
        "  --orientation rows|columns\n"
        "                          hexes side by side in rows (default), or turned a quarter\n"
        "                          turn into columns, e.g. columns\n"
        "  --offset X,Y            move the whole grid by X,Y pixels (default 0,0), e.g.\n"
        "                          -30.5,9\n"
        "  --shifted first|second  which rows (columns) lie half a hex towards the left (top)\n"
        "                          edge: the first (default) or the second, e.g. second\n"
        "  --stretch F             stretch the hexes across their rows (columns), from 0.5 to\n"
        "                          2 (default 1), e.g. 1.04\n"
        "  --hex-pixels P          the hexes' size flat to flat in pixels (default: the\n"
        "                          picture's width x S / M), e.g. 42.5\n"
        "  --numbers FORMAT        number every hex whose centre is on the map: 0101, 01.01,\n"
        "                          A1, 1,1, or a pattern of {c} {r} {c:2} {C}, e.g. 0101\n"
        "  --first N               the first column's and row's number (default 1), e.g. 0\n"
        "  --origin top-left|bottom-left\n"
        "                          the corner rows are counted from (default top-left)\n"
        "  --number-position top|centre|bottom\n"
        "                          where the number sits in its hex (default top)\n"
        "  --number-size PERCENT   the digits' height as a share of the hex (default 20), or\n"
        "                          points, e.g. 9pt\n"
        "  --number-colour NAME    one of the colours above (default: the grid's)\n"
        "  --halo white|black      a thin outline round the digits (default none)\n"
        "\n"
        "Options of a .pdf OUTPUT:\n"
        "  --hex-mm MM             print a hex this many millimetres flat to flat (default\n"
        "                          16), e.g. 19\n"
        "  --hex-inches IN         or this many inches, e.g. 0.75\n"
        "  --dpi N                 or print N of the map's pixels to the inch, e.g. 300\n"
        "  --paper NAME            A4 (default), A3, Letter, Legal or Tabloid\n"
        "  --landscape             turn the pages a quarter turn\n"
        "  --overlap-mm MM         how far neighbouring pages overlap (default 10), e.g. 15\n"
        "\n"
        "Example:\n"
        "  tessara grid map.jpg gridded.bmp --map-width 100 --hex-size 5 --colour red "
        "--thickness 3\n"
        "  tessara grid map.jpg map.pdf --map-width 34 --hex-size 0.8 --hex-mm 19 --paper Letter\n"
        "\n"
        "Exit status: 0 done; 1 the work failed (not enough memory, OUTPUT could not be\n"
        "written); 2 wrong arguments, or an INPUT or OUTPUT that cannot be used.\n");
}

QString versionText() {
    return QStringLiteral("tessara " TESSARA_VERSION);
}

}  // namespace tessara
