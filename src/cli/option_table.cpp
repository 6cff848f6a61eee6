#include "cli/option_table.h"

#include "boards/board_format.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <vector>

namespace tessara {
namespace {

using enum OptionGroup;

// clang-format off
constexpr OptionEntry kOptions[] = {
    {"help", "", "show this help (also -h)", General},
    {"version", "", "show the version", General},
    {"settings", "FILE", "take every option from a grid settings file saved by the window "
     "(Grid, Save Grid Settings); options also given here win, e.g. fit.hexgrid", Grid},
    {field::kMapWidth, Grid},
    {field::kHexSize, Grid},
    {field::kColour, Grid},
    {field::kThickness, Grid},
    {field::kLineStyle, Grid},
    {field::kOpacity, Grid},
    {field::kOrientation, Grid},
    {field::kOffset, Grid},
    {"anchor", "X,Y", "instead of --offset: put a hex centre at the picture point X,Y, e.g. "
     "412.5,387", Grid},
    {field::kShifted, Grid},
    {field::kStretch, Grid},
    {field::kHexPixels, Grid},
    {field::kRotation, Grid},
    {field::kSkew, Grid},
    {"numbers", "FORMAT", "number every hex whose centre is on the map: 0101, 01.01, A1, 1,1, or "
     "a pattern of {c} {r} {c:2} {C}, e.g. 0101", Numbers},
    {field::kFirstNumber, Numbers},
    {field::kOrigin, Numbers},
    {field::kPosition, Numbers},
    {field::kNumberPercent, Numbers},
    {field::kNumberColour, Numbers},
    {field::kHalo, Numbers},
    {field::kPrintHex, Pdf},
    {field::kPrintHexInches, Pdf},
    {field::kPrintDpi, Pdf},
    {field::kPaper, Pdf},
    {"landscape", "", "turn the pages a quarter turn", Pdf},
    {field::kOverlap, Pdf},
    // Its value and help name the registered board formats (boardFormats()).
    {"for", "PROGRAM", "", Board},
    {"quality", "N", "a .jpg BOARD's JPEG quality, from 1 to 100 (default 92), e.g. 85", Board},
    // The same option as the grid's, read the same way, with flatten's own meaning.
    {"hex-pixels", "P", "the flattened hexes' size flat to flat in pixels: {range} (default: "
     "the largest hex on the photo, or on any section joined, so that no detail is lost; "
     "tessara flatten makes them smaller when the board would be longer than 32767 pixels a "
     "side), e.g. 40", Flatten},
    {"pages", "LIST", "the pages of a PDF SECTION that are sections, counted from 1: 1-4, or "
     "1,3,5-6 (default: every page)", Join},
    {"dpi", "N", "the resolution a PDF SECTION's pages are rendered at, in dots per inch, from "
     "50 to 1200 (default 300)", Join},
    {"legend", "FILE", "name the terrain by sample hexes, one class a line: a name, a colon and "
     "its sample hexes by number (Woods: 0304 1207), or a line feature and the side it follows "
     "(River: line 0305 0306), e.g. legend.txt", Terrain},
    {"classes", "K", "without a legend: group the hexes into K classes, Terrain 1 to Terrain K, "
     "from 2 to 8 (default for tessara terrain: as many as the map shows), e.g. 5", Terrain},
};
// clang-format on

constexpr std::array kGridGroups{General, Grid, Numbers, Pdf};
constexpr std::array kFindGroups{General};
constexpr std::array kExportGroups{General, Grid, Numbers, Board, Terrain};
constexpr std::array kFlattenGroups{General, Flatten};
constexpr std::array kJoinGroups{General, Flatten, Join};
constexpr std::array kTerrainGroups{General, Grid, Numbers, Terrain};

// clang-format off
constexpr SubcommandEntry kSubcommands[] = {
    {"grid", "grid INPUT OUTPUT --map-width M --hex-size S [OPTION...]",
     "draw a hex grid over the map picture INPUT, write OUTPUT", kGridGroups,
     "INPUT may be a BMP, JPEG, PNG, GIF, TIFF or WebP picture. OUTPUT's extension says how\n"
     "it is written: the gridded map as .bmp, .png, .jpg, .jpeg, .tif or .tiff; the grid\n"
     "alone as .svg, in the map's pixels; the gridded map at true scale over as many pages\n"
     "as it needs as .pdf. OUTPUT is written only when everything succeeded; an OUTPUT\n"
     "already there is replaced only then.\n",
     "  tessara grid map.jpg gridded.bmp --map-width 100 --hex-size 5 --colour red "
     "--thickness 3\n"
     "  tessara grid map.jpg map.pdf --map-width 34 --hex-size 0.8 --hex-mm 19 --paper Letter\n",
     "Exit status: 0 done; 1 the work failed (not enough memory, OUTPUT could not be\n"
     "written, no display for the window); 2 wrong arguments, or an INPUT or OUTPUT that\n"
     "cannot be used.\n"},
    {"find-grid", "find-grid INPUT",
     "find the hex grid printed on the map picture INPUT and print, on one line, the options "
     "of tessara grid that draw it", kFindGroups,
     "tessara find-grid looks at INPUT, a scanned map as a BMP, JPEG, PNG, GIF, TIFF or WebP\n"
     "picture, for a printed hex grid of thin lines in rows or columns, turned up to 5\n"
     "degrees, and prints the options that draw it over INPUT: its orientation, hex size in\n"
     "pixels, stretch, rotation, skew, offset and shifted lines. A picture with no hex grid,\n"
     "a square grid included, prints nothing.\n",
     "  tessara grid scan.jpg out.png --map-width 40 --hex-size 1 $(tessara find-grid "
     "scan.jpg)\n",
     "Exit status of tessara find-grid: 0 a grid found and printed; 1 no hex grid found, or\n"
     "not enough memory; 2 wrong arguments, or an INPUT that cannot be read.\n"},
    {"export", "export INPUT BOARD --for PROGRAM [OPTION...]",
     "straighten the map picture INPUT under its grid into BOARD, with the grid's definition "
     "for another program beside it", kExportGroups,
     "tessara export turns, stretches and scales INPUT (bicubic resampling) so that the grid\n"
     "the options describe becomes an upright grid of whole-pixel hexes, the nearest to the\n"
     "fitted ones, which the program draws itself, and writes it as BOARD, a .png or a .jpg,\n"
     "with no lines on it. Beside BOARD, with the same stem, it writes the program's own\n"
     "definition of the grid (see --for): a Tiled map with BOARD as its image layer, a VASSAL\n"
     "HexGrid with its numbering when --numbers is given, or a Foundry scene to import. Both\n"
     "files are written, or neither. It prints the scale factor it used on one line. For\n"
     "Tiled, --legend or --classes add a tile layer, Terrain, under Hexes: in the cell of\n"
     "every hex, the hex tile of its class, read as tessara terrain reads it, in the class's\n"
     "colour and named in the tile's property terrain (a legend's line features are left\n"
     "out). VASSAL and Foundry take the terrain as the hex data of tessara terrain instead.\n",
     "  tessara export scan.jpg board.png --for tiled $(tessara find-grid scan.jpg)\n"
     "  tessara export scan.jpg board.png --for tiled --settings fit.hexgrid --legend legend.txt\n"
     "  tessara export scan.jpg board.jpg --for vassal --settings fit.hexgrid --quality 85\n"
     "  tessara export scan.jpg board.png --for foundry --settings fit.hexgrid\n",
     "Exit status of tessara export: 0 done; 1 the work failed (not enough memory, a file\n"
     "could not be written); 2 wrong arguments, an INPUT that cannot be read, a legend that\n"
     "cannot be read or names what the map does not hold, or a grid the program cannot draw\n"
     "once straightened.\n"},
    {"flatten", "flatten INPUT OUTPUT [--hex-pixels P]",
     "flatten the photo of a board INPUT by its printed hex grid into OUTPUT, and print, on "
     "one line, the options of tessara grid that draw the grid on OUTPUT", kFlattenGroups,
     "tessara flatten finds the printed hex grid on INPUT, a photo of a board as a BMP, JPEG,\n"
     "PNG, GIF, TIFF or WebP picture, tilted to the camera and bent by its lens, and draws the\n"
     "board again as a flat scan would show it: its printed grid an upright grid of regular\n"
     "hexes of P pixels flat to flat, in rows or in columns, whichever the photo shows less\n"
     "turned. Paper folded or curled is followed by a smooth spline mesh over the grid. Each\n"
     "pixel is resampled from the photo through the grid found (bicubic, OpenCV's cubic\n"
     "convolution). OUTPUT, a .bmp, .png, .jpg, .jpeg, .tif or .tiff, covers the hexes\n"
     "found on the photo and the board's margin round them up to the paper's edge, where\n"
     "the photo shows it within three hexes, or one hex more round them where it does not;\n"
     "what lies beyond the photo is white. A PNG is made and written a band at a time, never\n"
     "held whole. It prints the options that draw the grid over OUTPUT: its orientation, hex\n"
     "size, stretch 1, rotation 0, skew 0, offset and shifted lines. OUTPUT is written only\n"
     "when everything succeeded.\n",
     "  tessara grid board.png gridded.png $(tessara flatten photo.jpg board.png)\n"
     "  tessara flatten photo.jpg board.jpg --hex-pixels 40\n",
     "Exit status of tessara flatten: 0 done; 1 no hex grid found on INPUT, or the work\n"
     "failed (not enough memory, OUTPUT could not be written); 2 wrong arguments, or an\n"
     "INPUT or OUTPUT that cannot be used.\n"},
    {"join", "join SECTION SECTION... OUTPUT [--hex-pixels P] [--pages LIST] [--dpi N]",
     "join 2 to 16 overlapping sections of one map on their printed hex grid into the board "
     "OUTPUT, and print, on one line, the options of tessara grid that draw the grid on OUTPUT",
     kJoinGroups,
     "tessara join finds the printed hex grid on each SECTION (a scan or a photo of part of a\n"
     "map, in any order, each turned or scaled a little, overlapping its neighbours), works\n"
     "out which hex of one is which hex of another from the map's colours in the overlap,\n"
     "and resamples every section once (bicubic) into one board whose printed grid is an\n"
     "upright grid of regular hexes of P pixels, a hex of margin round the sections. Each hex\n"
     "comes from the one section that holds it farthest from its own edges, so that the\n"
     "seams run along hex sides half way through the overlaps. A section with no grid, or\n"
     "that shares no part of the map with the others, is named, and nothing is written.\n"
     "A SECTION may be a PDF: each of its pages (or those --pages lists) is a section,\n"
     "rendered at --dpi.\n",
     "  tessara join left.jpg right.jpg board.png\n"
     "  tessara grid board.png gridded.png $(tessara join scan-*.png board.png)\n",
     "Exit status of tessara join: 0 done; 1 a section with no hex grid or that overlaps no\n"
     "other, or the work failed (not enough memory, OUTPUT could not be written); 2 wrong\n"
     "arguments, or a SECTION or OUTPUT that cannot be used.\n"},
    {"terrain", "terrain INPUT OUTPUT [OPTION...] [--legend FILE | --classes K]",
     "read the terrain of every hex of the grid over the map picture INPUT into the hex data "
     "OUTPUT, and print, on one line, how many hexes each class has", kTerrainGroups,
     "tessara terrain lays the grid that the options of tessara grid describe (or --settings)\n"
     "over INPUT and reads the look of every hex whose centre is on the map: the colours and\n"
     "texture inside it, leaving out the printed lines, the hex numbers and a band along the\n"
     "sides. Each hex gets the class that covers most of it, and the share it covers. A\n"
     "legend names the classes by sample hexes; without one the hexes are grouped into K\n"
     "classes, or into as many as the map shows: from 2 to 8, the number whose classes stand\n"
     "apart best (their silhouette), none of them smaller than a few hexes. OUTPUT .csv is a\n"
     "table, hex,column,row,x,y,terrain,share, a line a hex; OUTPUT .json is HexJSON. When\n"
     "the legend names line features, the sides they follow go beside OUTPUT, in its name\n"
     "with .sides.csv for its extension: hex,side,neighbour,feature. Both files are written,\n"
     "or neither.\n",
     "  tessara terrain scan.jpg hexes.csv --settings fit.hexgrid --legend legend.txt\n"
     "  tessara terrain scan.jpg hexes.json --classes 5 $(tessara find-grid scan.jpg)\n",
     "Exit status of tessara terrain: 0 done; 1 the work failed (not enough memory, OUTPUT\n"
     "could not be written); 2 wrong arguments, a legend that cannot be read or names what\n"
     "the map does not hold, or an INPUT or OUTPUT that cannot be used.\n"},
};
// clang-format on

constexpr int kNameColumn = 26;  // where the descriptions start
constexpr int kWidth = 90;       // the widest line of the usage

const char* heading(OptionGroup group) {
    switch (group) {
        case General:
            break;
        case Grid:
            return "Options of tessara grid, as --option VALUE or --option=VALUE; numbers are\n"
                   "written with a dot as the decimal point:\n";
        case Numbers:
            return "Hex numbers:\n";
        case Pdf:
            return "Options of a .pdf OUTPUT:\n";
        case Board:
            return "Options of tessara export:\n";
        case Flatten:
            return "Options of tessara flatten and tessara join:\n";
        case Join:
            return "Options of tessara join:\n";
        case Terrain:
            return "Options of tessara terrain, and of tessara export --for tiled:\n";
    }
    return "";
}

// "  left   text text", the text wrapped to the usage's width under its column.
QString entry(const QString& left, const QString& text) {
    QString lines = QStringLiteral("  ") + left;
    int column = static_cast<int>(lines.size());
    if (column >= kNameColumn - 1) {
        lines += u'\n';
        column = 0;
    }
    lines += QString(kNameColumn - column, u' ');
    column = kNameColumn;
    bool first = true;
    for (const QString& word : text.split(u' ')) {
        if (!first && column + 1 + word.size() > kWidth) {
            lines += u'\n' + QString(kNameColumn, u' ');
            column = kNameColumn;
        } else if (!first) {
            lines += u' ';
            ++column;
        }
        lines += word;
        column += static_cast<int>(word.size());
        first = false;
    }
    return lines + u'\n';
}

bool namesBoardFormats(const OptionEntry& option) {
    return QLatin1String(option.name) == QLatin1String("for");
}

QString valueOf(const OptionEntry& option) {
    if (namesBoardFormats(option)) {
        return boardFormatIds().join(u'|');
    }
    if (option.choice != nullptr) {
        return option.choice->valueText();
    }
    return QLatin1String(option.value);
}

// The help of a field of the catalogue names its range and default as the catalogue has them.
QString withField(const QString& help, const QString& option) {
    const NumberField* field = numberFieldOf(option);
    if (field == nullptr) {
        return help;
    }
    return QString(help)
        .replace(QStringLiteral("{range}"), field->rangeText())
        .replace(QStringLiteral("{default}"), QString::number(field->fallback));
}

QString helpOf(const OptionEntry& option) {
    if (!namesBoardFormats(option)) {
        return withField(QLatin1String(option.help), QLatin1String(option.name));
    }
    QStringList programs;
    for (const BoardFormat* format : boardFormats()) {
        programs << QStringLiteral("%1 for %2, with BOARD%3 beside it")
                        .arg(format->id(), format->program(), format->definitionSuffix());
    }
    return QStringLiteral("the program the board is for (required): ") +
           programs.join(QStringLiteral("; "));
}

QString optionLine(const OptionEntry& option) {
    const QString value = valueOf(option);
    return entry(QStringLiteral("--") + QLatin1String(option.name) +
                     (value.isEmpty() ? QString() : u' ' + value),
                 helpOf(option));
}

}  // namespace

std::span<const OptionEntry> optionTable() {
    return kOptions;
}

std::span<const SubcommandEntry> subcommandTable() {
    return kSubcommands;
}

const SubcommandEntry* findSubcommand(const QString& name) {
    for (const SubcommandEntry& command : kSubcommands) {
        if (name == QLatin1String(command.name)) {
            return &command;
        }
    }
    return nullptr;
}

const OptionEntry* findOption(const QString& name) {
    for (const OptionEntry& option : kOptions) {
        if (name == QLatin1String(option.name)) {
            return &option;
        }
    }
    return nullptr;
}

QList<QCommandLineOption> parserOptions(const SubcommandEntry& command) {
    QList<QCommandLineOption> options;
    for (const OptionEntry& option : kOptions) {
        if (option.group == General && QLatin1String(option.name) == QLatin1String("version")) {
            continue;  // the program's, not a subcommand's
        }
        if (std::find(command.groups.begin(), command.groups.end(), option.group) !=
            command.groups.end()) {
            QStringList names{QLatin1String(option.name)};
            if (names.first() == QLatin1String("help")) {
                names << QStringLiteral("h");
            }
            options.append(QCommandLineOption(names, helpOf(option), valueOf(option)));
        }
    }
    return options;
}

QString usageText(const SubcommandEntry* only) {
    QString text = QStringLiteral("Usage:\n");
    if (only == nullptr) {
        text += entry(QStringLiteral("tessara"), QStringLiteral("start the window"));
        text += entry(QStringLiteral("tessara PICTURE"),
                      QStringLiteral("start the window with the map PICTURE loaded"));
    }
    // The subcommands shown, all or the one asked about; their notes, examples and exit
    // statuses follow, in the same order.
    std::vector<const SubcommandEntry*> shown;
    for (const SubcommandEntry& command : kSubcommands) {
        if (only == nullptr || only == &command) {
            text += entry(QStringLiteral("tessara ") + QLatin1String(command.synopsis),
                          QLatin1String(command.summary));
            shown.push_back(&command);
        }
    }
    for (const OptionEntry& option : kOptions) {
        if (option.group == General && only == nullptr) {
            text += entry(QStringLiteral("tessara --") + QLatin1String(option.name),
                          QLatin1String(option.help));
        }
    }
    for (const SubcommandEntry* command : shown) {
        text += u'\n' + QLatin1String(command->notes);
    }
    for (const OptionGroup group : {Grid, Numbers, Pdf, Board, Flatten, Join, Terrain}) {
        if (only != nullptr && std::ranges::find(only->groups, group) == only->groups.end()) {
            continue;
        }
        text += u'\n' + QLatin1String(heading(group));
        for (const OptionEntry& option : kOptions) {
            if (option.group == group) {
                text += optionLine(option);
            }
        }
    }
    text += QStringLiteral("\nExamples:\n");
    for (const SubcommandEntry* command : shown) {
        text += QLatin1String(command->examples);
    }
    for (const SubcommandEntry* command : shown) {
        text += u'\n' + QLatin1String(command->exits);
    }
    return text;
}

}  // namespace tessara
