#include "cli/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "cli/cli_text.h"
#include "cli/option_table.h"
#include "core/file_names.h"
#include "grid/grid_fields.h"
#include "grid/hex_grid.h"
#include "image/pdf_pages.h"
#include "image/picture_export.h"
#include "photo/section_joining.h"
#include "settings/grid_settings.h"
#include "terrain/terrain_classes.h"

namespace tessara {
namespace {

// Thrown at the first mistake while the arguments are read, and turned into the refusal.
struct Refusal {
    QString what;
};

// The options given, read by Qt's parser from the option table.
class Arguments {
  public:
    Arguments(const SubcommandEntry& command, const QStringList& arguments);
    bool help() const { return help_; }
    const QStringList& positional() const { return positional_; }
    bool has(const QString& name) const { return parser_.isSet(name); }
    // The last value given for the option, as text: bytes that are not text are U+FFFD.
    QString value(const QString& name) const { return shownText(parser_.value(name)); }
    // The last value given for an option that names a file: the bytes typed (file_names.h),
    // as INPUT and OUTPUT are.
    QString fileName(const QString& name) const { return parser_.value(name); }

  private:
    QCommandLineParser parser_;
    QStringList positional_;
    bool help_ = false;
};

// The option an argument names: "--size" of "--size=3".
QString optionOf(const QString& argument) {
    return argument.left(argument.indexOf(u'='));
}

// Says which argument Qt's parser stopped at, in the program's own words.
QString whyRefused(const QCommandLineParser& parser, const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--")) {
            break;
        }
        if (!argument.startsWith(u'-')) {
            continue;
        }
        QString name = optionOf(argument);
        while (name.startsWith(u'-')) {
            name.remove(0, 1);
        }
        const OptionEntry* option = findOption(name);
        if (option == nullptr || parser.unknownOptionNames().contains(name)) {
            return QStringLiteral("unknown option ") + quoted(optionOf(argument));
        }
        const bool flag = !option->takesValue();
        if (flag && argument.contains(u'=')) {
            return QStringLiteral("option --%1 takes no value").arg(name);
        }
        if (!flag && !argument.contains(u'=') && ++i == arguments.size()) {
            return QStringLiteral("option --%1 needs a value").arg(name);
        }
    }
    return parser.errorText();
}

// The names of the options of a group that were given.
QStringList givenOf(const Arguments& args, OptionGroup group) {
    QStringList names;
    for (const OptionEntry& option : optionTable()) {
        if (option.group == group && args.has(QLatin1String(option.name))) {
            names << QLatin1String(option.name);
        }
    }
    return names;
}

Arguments::Arguments(const SubcommandEntry& command, const QStringList& arguments) {
    // One dash or two name the same option; a value follows its option as the next argument,
    // whatever it looks like (an offset may start with a minus), or after an equals sign.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOptions(parserOptions(command));
    const bool parsed = parser_.parse(QStringList{QStringLiteral("tessara")} + arguments);
    help_ = parser_.isSet(QStringLiteral("help")) || arguments.contains(QStringLiteral("--help")) ||
            arguments.contains(QStringLiteral("-h"));
    if (!parsed && !help_) {
        throw Refusal{whyRefused(parser_, arguments)};
    }
    positional_ = parser_.positionalArguments();
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

// The text as a value of the catalogue's field, or a refusal naming the field's range.
double fieldValue(const NumberField& field, const QString& text, const char* option = nullptr) {
    const std::optional<double> value = number(text);
    if (!value || !field.accepts(*value)) {
        throw Refusal{QStringLiteral("--%1 must be %2, not %3")
                          .arg(QLatin1String(option ? option : field.option), field.rangeText(),
                               quoted(text))};
    }
    return *value + 0.0;  // -0 is 0: the grid of the options at their defaults
}

double fieldValue(const Arguments& args, const NumberField& field) {
    return fieldValue(field, args.value(QLatin1String(field.option)));
}

// The option's value, or the settings file's when it is not given.
QString required(const Arguments& args, const QString& name, const char* meaning,
                 std::optional<double> fromFile) {
    if (args.has(name)) {
        return args.value(name);
    }
    if (fromFile) {
        return numberLocale().toString(*fromFile, 'g', QLocale::FloatingPointShortest);
    }
    throw Refusal{QStringLiteral("missing --%1, %2").arg(name, QLatin1String(meaning))};
}

// The same rule as the sizes typed into the window; a grid given in pixels needs none.
GridSizes readSizes(const Arguments& args, const GridChoices& base) {
    const bool mapGiven = args.has("map-width") || base.mapWidth;
    const bool hexGiven = args.has("hex-size") || base.hexSize;
    if ((args.has("hex-pixels") || base.options.hexPixels) && !mapGiven && !hexGiven) {
        return {};
    }
    const QString map =
        required(args, "map-width", "the map's width in distance units", base.mapWidth);
    const QString hex =
        required(args, "hex-size", "the hexes' size in the same units", base.hexSize);
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

// The position of the option's value among its choices; without it, `fallback`'s.
int choose(const Arguments& args, const QString& name, const QStringList& choices,
           int fallback = 0) {
    const QString value = args.has(name) ? args.value(name) : choices.value(fallback);
    const qsizetype index = choices.indexOf(value);
    if (index < 0) {
        throw Refusal{
            QStringLiteral("--%1 must be %2, not %3").arg(name, oneOf(choices), quoted(value))};
    }
    return static_cast<int>(index);
}

// The same for a choice of the catalogue (grid_fields.h).
int choose(const Arguments& args, const ChoiceField& field, int fallback = 0) {
    return choose(args, QLatin1String(field.option), field.words(), fallback);
}

bool ownColourGiven(const Arguments& args) {
    return args.has("colour") && args.value("colour").startsWith(u'#');
}

// The list colour and thickness: positions in the lists, over the settings file's.
void readPen(const Arguments& args, GridChoices& choices) {
    // A colour of one's own is an option of the grid's lines; the pen keeps the list's.
    if (!ownColourGiven(args)) {
        choices.colour = choose(args, field::kColour, choices.colour);
    }
    const int width = choose(
        args, field::kThickness,
        static_cast<int>(field::kThickness.words().indexOf(QString::number(choices.thickness))));
    choices.thickness = kLineWidths[static_cast<size_t>(width)];
}

// "#RRGGBB", the one way of naming a colour of one's own.
QColor readOwnColour(const QString& text) {
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!rgb.match(text).hasMatch()) {
        throw Refusal{QStringLiteral("--colour must be #RRGGBB, a # and six hexadecimal digits "
                                     "as in #5a3c1e, not ") +
                      quoted(text)};
    }
    return QColor::fromString(text);
}

// A whole number of percent, "50" or "50%".
int readOpacity(const QString& text) {
    const std::optional<double> percent = number(text.endsWith(u'%') ? text.chopped(1) : text);
    if (!percent || !field::kOpacity.accepts(*percent)) {
        throw Refusal{QStringLiteral("--opacity must be %1, not %2")
                          .arg(field::kOpacity.rangeText(), quoted(text))};
    }
    return static_cast<int>(*percent);
}

// The lines' colour, style and opacity.
void readLines(const Arguments& args, GridOptions& options) {
    if (ownColourGiven(args)) {
        options.lineColour = readOwnColour(args.value("colour"));
    } else if (args.has("colour")) {
        options.lineColour.reset();  // a colour of the list, over one a settings file had
    }
    options.lineStyle = static_cast<LineStyle>(
        choose(args, field::kLineStyle, static_cast<int>(options.lineStyle)));
    if (args.has("opacity")) {
        options.opacity = readOpacity(args.value("opacity"));
    }
}

QPointF readPoint(const Arguments& args, const QString& name) {
    const QString text = args.value(name);
    const QStringList halves = text.split(u',');
    const std::optional<double> x = number(halves.value(0));
    const std::optional<double> y = number(halves.value(1));
    if (halves.size() != 2 || !x || !y) {
        throw Refusal{QStringLiteral("--%1 must be two numbers separated by a comma, as in "
                                     "-30.5,9, not %2")
                          .arg(name, quoted(text))};
    }
    if (!field::kOffset.accepts(*x) || !field::kOffset.accepts(*y)) {
        throw Refusal{QStringLiteral("--%1 must be two of %2, not %3")
                          .arg(name, field::kOffset.rangeText().replace("a number", "numbers"),
                               quoted(text))};
    }
    return {*x, *y};
}

GridOptions readOptions(const Arguments& args, const GridOptions& base) {
    GridOptions options = base;
    options.orientation = static_cast<GridOrientation>(
        choose(args, field::kOrientation, static_cast<int>(base.orientation)));
    options.shifted =
        static_cast<ShiftedLines>(choose(args, field::kShifted, static_cast<int>(base.shifted)));
    if (args.has("offset")) {
        const QPointF offset = readPoint(args, QStringLiteral("offset"));
        options.offsetX = offset.x();
        options.offsetY = offset.y();
    }
    const std::pair<const NumberField*, double*> numbers[] = {
        {&field::kStretch, &options.stretch},
        {&field::kRotation, &options.rotation},
        {&field::kSkew, &options.skew}};
    for (const auto& [field, value] : numbers) {
        if (args.has(QLatin1String(field->option))) {
            *value = fieldValue(args, *field);
        }
    }
    if (args.has("hex-pixels")) {
        options.hexPixels = fieldValue(args, field::kHexPixels);
    }
    readLines(args, options);
    return options;
}

NumberFormat readNumberFormat(const QString& text) {
    // Not shown back: the refusal would print a line break, or worse, as given.
    if (holdsControlCharacters(text)) {
        throw Refusal{
            QStringLiteral("--numbers cannot hold a control character, such as a tab "
                           "or a line break")};
    }
    static const QHash<QString, NumberFormat> presets = {{"0101", NumberFormat::Joined},
                                                         {"01.01", NumberFormat::Dotted},
                                                         {"A1", NumberFormat::Letters},
                                                         {"1,1", NumberFormat::Comma}};
    if (presets.contains(text)) {
        return presets[text];
    }
    if (!isNumberPattern(text)) {
        throw Refusal{QStringLiteral("--numbers must be 0101, 01.01, A1, 1,1 or a pattern such as "
                                     "{c:2}{r:2}, not ") +
                      quoted(text)};
    }
    return NumberFormat::Pattern;
}

// A share of the hex ("20") or points ("12pt").
void readNumberSize(const QString& text, HexNumbering& numbering) {
    const bool points = text.endsWith(QStringLiteral("pt"));
    const NumberField& field = points ? field::kNumberPoints : field::kNumberPercent;
    const std::optional<double> size = number(points ? text.chopped(2) : text);
    if (!size || !field.accepts(*size)) {
        throw Refusal{QStringLiteral("--number-size must be %1, or %2 such as 9pt, not %3")
                          .arg(field::kNumberPercent.rangeText(), field::kNumberPoints.rangeText(),
                               quoted(text))};
    }
    if (points) {
        numbering.sizePoints = *size;
    } else {
        numbering.sizePercent = *size;
    }
}

HexNumbering readNumbering(const Arguments& args, const HexNumbering& base) {
    HexNumbering numbering = base;
    if (!args.has("numbers") && !base.enabled) {
        if (const QStringList given = givenOf(args, OptionGroup::Numbers); !given.isEmpty()) {
            throw Refusal{QStringLiteral("--%1 needs --numbers").arg(given.first())};
        }
        return numbering;
    }
    numbering.enabled = true;
    if (args.has("numbers")) {
        numbering.pattern = args.value("numbers");
        numbering.format = readNumberFormat(numbering.pattern);
    }
    if (args.has("first")) {
        numbering.first = static_cast<int>(fieldValue(args, field::kFirstNumber));
    }
    numbering.origin =
        static_cast<NumberOrigin>(choose(args, field::kOrigin, static_cast<int>(base.origin)));
    numbering.position = static_cast<NumberPosition>(
        choose(args, field::kPosition, static_cast<int>(base.position)));
    if (args.has("number-size")) {
        numbering.sizePoints.reset();
        readNumberSize(args.value("number-size"), numbering);
    }
    if (args.has("number-colour")) {
        numbering.colour = QBColor(choose(args, field::kNumberColour));
    }
    numbering.halo =
        static_cast<NumberHalo>(choose(args, field::kHalo, static_cast<int>(base.halo)));
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

// How a PDF OUTPUT prints the map, over the settings file's choices.
void readPages(const Arguments& args, const QByteArray& format, ScaleChoice& pages) {
    const QStringList given = givenOf(args, OptionGroup::Pdf);
    if (format != "pdf") {
        if (!given.isEmpty()) {
            throw Refusal{QStringLiteral("--%1 needs a .pdf OUTPUT").arg(given.first())};
        }
        return;
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
        pages.hexSize = fieldValue(args, field::kPrintHex);
        pages.unit = LengthUnit::Millimetre;
        pages.byHex = true;
    } else if (given.contains("hex-inches")) {
        pages.hexSize = fieldValue(args, field::kPrintHexInches);
        pages.unit = LengthUnit::Inch;
        pages.byHex = true;
    } else if (given.contains("dpi")) {
        pages.dpi = fieldValue(args, field::kPrintDpi);
        pages.byHex = false;
    }
    const auto paper = std::find(std::begin(kScalePapers), std::end(kScalePapers), pages.paper);
    pages.paper = kScalePapers[choose(args, field::kPaper,
                                      static_cast<int>(paper - std::begin(kScalePapers)))];
    pages.landscape = pages.landscape || given.contains("landscape");
    if (given.contains("overlap-mm")) {
        pages.overlapMm = fieldValue(args, field::kOverlap);
    }
}

// The settings file's values, where one is given; otherwise the defaults of every option.
GridChoices readSettingsFile(const Arguments& args, QStringList& ignored) {
    if (!args.has("settings")) {
        return {};
    }
    const QString path = args.fileName("settings");
    const SettingsRead read = loadSettings(path);
    if (!read.settings) {
        throw Refusal{QStringLiteral("--settings %1: %2").arg(quoted(path), read.problem)};
    }
    ignored = read.ignored;
    return *read.settings;
}

constexpr const char* kInput = "INPUT, the map picture to read";

// The words after the options: exactly those `wanted` names, in their order.
QStringList positionals(const Arguments& args, std::initializer_list<const char*> wanted) {
    const QStringList& given = args.positional();
    if (given.size() < static_cast<qsizetype>(wanted.size())) {
        throw Refusal{QStringLiteral("missing ") + QLatin1String(wanted.begin()[given.size()])};
    }
    if (given.size() > static_cast<qsizetype>(wanted.size())) {
        throw Refusal{QStringLiteral("unexpected argument ") + quoted(given[wanted.size()])};
    }
    return given;
}

// The grid a command draws or exports: its sizes, pen, options and numbering, each over the
// one a settings file gave.
void readGrid(const Arguments& args, GridRequest& request) {
    GridChoices& choices = request.choices;
    const GridSizes sizes = readSizes(args, choices);
    choices.mapWidth = sizes.mapSize > 0 ? std::optional<double>(sizes.mapSize) : std::nullopt;
    choices.hexSize = sizes.mapSize > 0 ? std::optional<double>(sizes.hexSize) : std::nullopt;
    if (args.has("anchor")) {
        if (args.has("offset")) {
            throw Refusal{QStringLiteral("give only one of --offset or --anchor")};
        }
        request.anchor = readPoint(args, QStringLiteral("anchor"));
    }
    readPen(args, choices);
    choices.options = readOptions(args, choices.options);
    choices.numbering = readNumbering(args, choices.numbering);
}

CommandLine parseGrid(const SubcommandEntry& command, const QStringList& arguments) {
    const Arguments args(command, arguments);
    if (args.help()) {
        return {CommandAction::Help, {}, {}, &command};
    }
    const QStringList files = positionals(args, {kInput, "OUTPUT, the file to write"});
    GridRequest request;
    request.choices = readSettingsFile(args, request.settingsIgnored);
    request.input = files[0];
    request.output = files[1];
    request.format = outputFormat(request.output);
    readPages(args, request.format, request.choices.print);
    readGrid(args, request);
    if (request.choices.options.lineStyle == LineStyle::None &&
        !request.choices.numbering.enabled) {
        throw Refusal{
            QStringLiteral("nothing to draw: --line-style none draws no lines, and no "
                           "--numbers were asked for")};
    }
    return {CommandAction::Grid, request, {}, &command};
}

// A board is a picture another program reads as it is: PNG, or JPEG with its quality.
QByteArray boardFormat(const QString& board) {
    const QString suffix = QFileInfo(board).suffix().toLower();
    const QByteArray format = formatForSuffix(suffix);
    if (format != "png" && format != "jpeg") {
        throw Refusal{QStringLiteral("BOARD ") + quoted(board) +
                      QStringLiteral(" must end in .png, .jpg or .jpeg")};
    }
    return format;
}

int readQuality(const Arguments& args, const QByteArray& format) {
    if (!args.has("quality")) {
        return kJpegQuality;
    }
    if (format != "jpeg") {
        throw Refusal{QStringLiteral("--quality needs a .jpg BOARD")};
    }
    const QString text = args.value("quality");
    bool whole = false;
    const int quality = text.toInt(&whole);
    if (!whole || quality < 1 || quality > 100) {
        throw Refusal{QStringLiteral("--quality must be a whole number from 1 to 100, not ") +
                      quoted(text)};
    }
    return quality;
}

int readClasses(const QString& text) {
    bool whole = false;
    const int classes = text.toInt(&whole);
    if (!whole || classes < kFewestClasses || classes > kMostClasses) {
        throw Refusal{QStringLiteral("--classes must be a whole number from %1 to %2, not %3")
                          .arg(kFewestClasses)
                          .arg(kMostClasses)
                          .arg(quoted(text))};
    }
    return classes;
}

// How the terrain is named: by a legend, or by a number of classes found on the map.
void readTerrainChoice(const Arguments& args, GridRequest& request) {
    // A legend names its classes, so it says how many there are.
    if (args.has("legend") && args.has("classes")) {
        throw Refusal{QStringLiteral("give only one of --legend or --classes")};
    }
    if (args.has("legend")) {
        request.legend = args.fileName("legend");
        if (request.legend.isEmpty()) {
            throw Refusal{QStringLiteral("--legend must name a file")};
        }
    }
    if (args.has("classes")) {
        request.classes = readClasses(args.value("classes"));
    }
}

// The terrain goes into the definition of a program that takes it; the others are refused
// it, as they take the hex data of tessara terrain instead.
void readExportTerrain(const Arguments& args, GridRequest& request) {
    const char* given = args.has("legend") ? "legend" : args.has("classes") ? "classes" : nullptr;
    if (given != nullptr && !request.target->takesTerrain()) {
        QStringList takers;
        for (const BoardFormat* format : boardFormats()) {
            if (format->takesTerrain()) {
                takers << format->id();
            }
        }
        throw Refusal{QStringLiteral("--%1 is for --for %2 only: for %3, write the terrain "
                                     "with tessara terrain")
                          .arg(QLatin1String(given), oneOf(takers), request.target->program())};
    }
    readTerrainChoice(args, request);
}

CommandLine parseExport(const SubcommandEntry& command, const QStringList& arguments) {
    const Arguments args(command, arguments);
    if (args.help()) {
        return {CommandAction::Help, {}, {}, &command};
    }
    const QStringList files =
        positionals(args, {kInput, "BOARD, the straightened picture to write"});
    if (!args.has("for")) {
        throw Refusal{QStringLiteral("missing --for, the program the board is for: ") +
                      oneOf(boardFormatIds())};
    }
    GridRequest request;
    request.target = boardFormats()[choose(args, "for", boardFormatIds())];
    request.choices = readSettingsFile(args, request.settingsIgnored);
    request.input = files[0];
    request.output = files[1];
    request.format = boardFormat(request.output);
    request.jpegQuality = readQuality(args, request.format);
    readGrid(args, request);
    readExportTerrain(args, request);
    return {CommandAction::Export, request, {}, &command};
}

CommandLine parseFindGrid(const SubcommandEntry& command, const QStringList& arguments) {
    const Arguments args(command, arguments);
    if (args.help()) {
        return {CommandAction::Help, {}, {}, &command};
    }
    GridRequest request;
    request.input = positionals(args, {kInput})[0];
    return {CommandAction::FindGrid, request, {}, &command};
}

// A flattened or joined board is a picture: BMP, PNG, JPEG or TIFF, its hexes of
// --hex-pixels when that is given.
void readFlatBoard(const Arguments& args, GridRequest& request) {
    request.format = formatForSuffix(QFileInfo(request.output).suffix());
    if (request.format.isEmpty()) {
        throw Refusal{QStringLiteral("OUTPUT ") + quoted(request.output) +
                      QStringLiteral(" must end in .bmp, .png, .jpg, .jpeg, .tif or .tiff")};
    }
    if (args.has("hex-pixels")) {
        request.choices.options.hexPixels = fieldValue(args, field::kHexPixels);
    }
}

CommandLine parseFlatten(const SubcommandEntry& command, const QStringList& arguments) {
    const Arguments args(command, arguments);
    if (args.help()) {
        return {CommandAction::Help, {}, {}, &command};
    }
    const QStringList files = positionals(args, {kInput, "OUTPUT, the flattened board to write"});
    GridRequest request;
    request.input = files[0];
    request.output = files[1];
    readFlatBoard(args, request);
    return {CommandAction::Flatten, request, {}, &command};
}

// Sections joined into a board: at least two (or one PDF), at most kMostSections, and OUTPUT
// a picture.

// "1-4,6": the pages, from 1, in the order listed, each once.
std::vector<int> readPages(const QString& text) {
    std::vector<int> pages;
    const auto refuse = [&] {
        return Refusal{QStringLiteral("--pages must list pages from 1, such as 1-4 or 1,3,5-6, "
                                      "not ") +
                       quoted(text)};
    };
    for (const QString& part : text.split(u',')) {
        const QStringList ends = part.split(u'-');
        bool ok1 = false;
        bool ok2 = false;
        const int first = ends.value(0).trimmed().toInt(&ok1);
        const int last = ends.size() == 2 ? ends[1].trimmed().toInt(&ok2) : first;
        if (!ok1 || (ends.size() == 2 && !ok2) || ends.size() > 2 || first < 1 || last < first ||
            last > 10000) {
            throw refuse();
        }
        for (int page = first; page <= last; ++page) {
            if (std::find(pages.begin(), pages.end(), page) == pages.end()) {
                pages.push_back(page);
            }
        }
    }
    return pages;
}

CommandLine parseJoin(const SubcommandEntry& command, const QStringList& arguments) {
    const Arguments args(command, arguments);
    if (args.help()) {
        return {CommandAction::Help, {}, {}, &command};
    }
    const QStringList& given = args.positional();
    // One PDF may hold every section, a page each.
    const bool onePdf = given.size() == 2 && isPdfName(given[0]);
    if (given.size() < 3 && !onePdf) {
        throw Refusal{given.isEmpty() ? QStringLiteral("missing SECTION, the sections to join")
                                      : QStringLiteral("give at least two SECTIONs and OUTPUT, "
                                                       "the joined board to write")};
    }
    if (given.size() - 1 > kMostSections) {
        throw Refusal{QStringLiteral("at most %1 sections can be joined, not %2")
                          .arg(kMostSections)
                          .arg(given.size() - 1)};
    }
    GridRequest request;
    request.inputs = given.mid(0, given.size() - 1);
    request.input = request.inputs.first();
    request.output = given.last();
    readFlatBoard(args, request);
    if (args.has("pages")) {
        request.pages = readPages(args.value(QStringLiteral("pages")));
    }
    if (args.has("dpi")) {
        bool ok = false;
        request.dpi = args.value(QStringLiteral("dpi")).toDouble(&ok);
        if (!ok || !(request.dpi >= kFewestPdfDpi && request.dpi <= kMostPdfDpi)) {
            throw Refusal{QStringLiteral("--dpi must be a number from 50 to 1200, not ") +
                          quoted(args.value(QStringLiteral("dpi")))};
        }
    }
    return {CommandAction::Join, request, {}, &command};
}

// Hex data is a table or HexJSON, as OUTPUT's extension says ("csv" or "json").
QByteArray hexDataFormat(const QString& output) {
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix != QStringLiteral("csv") && suffix != QStringLiteral("json")) {
        throw Refusal{QStringLiteral("OUTPUT ") + quoted(output) +
                      QStringLiteral(" must end in .csv or .json")};
    }
    return suffix.toLatin1();
}

CommandLine parseTerrain(const SubcommandEntry& command, const QStringList& arguments) {
    const Arguments args(command, arguments);
    if (args.help()) {
        return {CommandAction::Help, {}, {}, &command};
    }
    const QStringList files = positionals(args, {kInput, "OUTPUT, the hex data to write"});
    GridRequest request;
    request.choices = readSettingsFile(args, request.settingsIgnored);
    request.input = files[0];
    request.output = files[1];
    request.format = hexDataFormat(request.output);
    readGrid(args, request);
    readTerrainChoice(args, request);
    return {CommandAction::Terrain, request, {}, &command};
}

// The program's own options, before any subcommand: only --help and --version are known.
CommandLine parseProgramOption(const QStringList& arguments) {
    const QString& first = arguments.first();
    if (arguments.size() == 1 &&
        (first == QStringLiteral("--help") || first == QStringLiteral("-h"))) {
        return {CommandAction::Help, {}, {}, nullptr};
    }
    if (arguments.size() == 1 && first == QStringLiteral("--version")) {
        return {CommandAction::Version, {}, {}, nullptr};
    }
    const QString name = optionOf(first).remove(QRegularExpression(QStringLiteral("^-+")));
    if ((name == QStringLiteral("help") || name == QStringLiteral("version")) &&
        first.contains(u'=')) {
        return {CommandAction::Refused,
                {},
                QStringLiteral("option --%1 takes no value").arg(name),
                nullptr};
    }
    if (name == QStringLiteral("help") || name == QStringLiteral("h") ||
        name == QStringLiteral("version")) {
        return {CommandAction::Refused,
                {},
                QStringLiteral("unexpected argument ") + quoted(arguments[1]),
                nullptr};
    }
    return {CommandAction::Refused,
            {},
            QStringLiteral("unknown option ") + quoted(optionOf(first)),
            nullptr};
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    const QString first = arguments.value(0);
    if (first.startsWith(u'-')) {
        return parseProgramOption(arguments);
    }
    const SubcommandEntry* command = findSubcommand(first);
    if (command == nullptr) {
        return {CommandAction::Refused,
                {},
                QStringLiteral("unknown command ") + quoted(first),
                nullptr};
    }
    try {
        const QLatin1String name(command->name);
        if (name == QLatin1String("find-grid")) {
            return parseFindGrid(*command, arguments.mid(1));
        }
        if (name == QLatin1String("export")) {
            return parseExport(*command, arguments.mid(1));
        }
        if (name == QLatin1String("flatten")) {
            return parseFlatten(*command, arguments.mid(1));
        }
        if (name == QLatin1String("join")) {
            return parseJoin(*command, arguments.mid(1));
        }
        if (name == QLatin1String("terrain")) {
            return parseTerrain(*command, arguments.mid(1));
        }
        return parseGrid(*command, arguments.mid(1));
    } catch (const Refusal& refusal) {
        return {CommandAction::Refused, {}, refusal.what, command};
    }
}

QString versionText() {
    return QStringLiteral("tessara " TESSARA_VERSION);
}

}  // namespace tessara
