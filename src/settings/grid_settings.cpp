#include "settings/grid_settings.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "core/regular_file.h"
#include "grid/grid_fields.h"
#include "grid/grid_parameters.h"
#include "image/atomic_file.h"
#include "settings/json_keys.h"

namespace tessara {

namespace {

// The words the file uses for the choices the catalogue (grid_fields.h) does not hold, in
// the order of the enum they stand for.
const QStringList kFormats = {"0101", "01.01", "A1", "1,1", "pattern"};
const QStringList kScales = {"hex", "dpi"};
const QStringList kUnits = {"mm", "inch"};

// The file's lines are written in a fixed order, so that two saves of the same grid are the
// same bytes and a file reads well in a text editor.
class Writer {
  public:
    void open(const char* key) {
        line(key, "{");
        ++depth_;
        first_ = true;
    }
    void close() {
        --depth_;
        text_ += '\n' + indent() + '}';
        first_ = false;
    }
    void number(const char* key, double value) {
        line(key, QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
    }
    void number(const char* key, std::optional<double> value) {
        value ? number(key, *value) : line(key, "null");
    }
    void whole(const char* key, int value) { line(key, QByteArray::number(value)); }
    void flag(const char* key, bool value) { line(key, value ? "true" : "false"); }
    void text(const char* key, const QString& value) { line(key, jsonText(value)); }
    // A field whose key is text of the user's own, such as a hex number.
    void entry(const QString& key, const QString& value) {
        rawLine(jsonText(key), jsonText(value));
    }
    // A list of texts, one a line.
    void texts(const char* key, const QStringList& values) {
        QByteArray list = "[";
        for (const QString& value : values) {
            list +=
                (&value == &values.front() ? "\n" : ",\n") + indent() + "    " + jsonText(value);
        }
        line(key, values.isEmpty() ? list + ']' : list + '\n' + indent() + ']');
    }
    void word(const char* key, const QStringList& words, int index) { text(key, words[index]); }
    // A field of the catalogue, by the last part of its key.
    void word(const ChoiceField& field, int index) {
        const QByteArray key = QByteArray(field.key).split('.').last();
        text(key.constData(), field.word(index));
    }
    QByteArray finish() { return "{" + text_ + "\n}\n"; }

  private:
    QByteArray indent() const { return QByteArray(4 * depth_, ' '); }
    static QByteArray jsonText(const QString& value) {
        const QByteArray quoted = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return quoted.mid(1, quoted.size() - 2);
    }
    void line(const char* key, const QByteArray& value) {
        rawLine('"' + QByteArray(key) + '"', value);
    }
    void rawLine(const QByteArray& quotedKey, const QByteArray& value) {
        text_ += (first_ ? "\n" : ",\n") + indent() + quotedKey + ": " + value;
        first_ = false;
    }
    QByteArray text_;
    int depth_ = 1;
    bool first_ = true;
};

// Why a file is refused: the field and what is wrong with it.
struct Refusal {
    QString why;
};

// Reads the fields of one object of the file, each checked, naming it by its path when it
// is wrong; remembers which fields it read, so that the others can be found.
class Fields {
  public:
    Fields(const QJsonObject& object, QString path) : object_(object), path_(std::move(path)) {}

    // The field of the catalogue, by the last part of its key, in the catalogue's range.
    double field(const NumberField& field) const {
        const QString key = QString::fromLatin1(field.key).section(u'.', -1);
        const QJsonValue value = take(key);
        if (!value.isDouble() || !field.accepts(value.toDouble())) {
            throw Refusal{name(key) + QStringLiteral(" must be ") + field.rangeText()};
        }
        return value.toDouble() + 0.0;  // -0 is 0
    }
    std::optional<double> fieldOrNull(const NumberField& field) const {
        if (take(QString::fromLatin1(field.key).section(u'.', -1)).isNull()) {
            return std::nullopt;
        }
        return this->field(field);
    }
    double number(const QString& key, double low, double high) const {
        const QJsonValue value = take(key);
        if (!value.isDouble() || !std::isfinite(value.toDouble()) || value.toDouble() < low ||
            value.toDouble() > high) {
            throw Refusal{QStringLiteral("%1 must be a number from %2 to %3")
                              .arg(name(key), QString::number(low), QString::number(high))};
        }
        return value.toDouble() + 0.0;  // -0 is 0
    }
    int whole(const QString& key, int low, int high) const {
        const double value = number(key, low, high);
        if (value != std::floor(value)) {
            throw Refusal{name(key) + QStringLiteral(" must be a whole number")};
        }
        return static_cast<int>(value);
    }
    bool flag(const QString& key) const {
        const QJsonValue value = take(key);
        if (!value.isBool()) {
            throw Refusal{name(key) + QStringLiteral(" must be true or false")};
        }
        return value.toBool();
    }
    QString text(const QString& key) const {
        const QJsonValue value = take(key);
        if (!value.isString()) {
            throw Refusal{name(key) + QStringLiteral(" must be text")};
        }
        return value.toString();
    }
    int word(const QString& key, const QStringList& words) const {
        const int index = static_cast<int>(words.indexOf(text(key)));
        if (index < 0) {
            throw Refusal{QStringLiteral("%1 must be one of %2")
                              .arg(name(key), words.join(QStringLiteral(", ")))};
        }
        return index;
    }
    int word(const ChoiceField& field) const {
        return word(QString::fromLatin1(field.key).section(u'.', -1), field.words());
    }
    Fields object(const QString& key) const {
        const QJsonValue value = take(key);
        if (!value.isObject()) {
            throw Refusal{name(key) + QStringLiteral(" must be a group of fields in { }")};
        }
        return Fields(value.toObject(), name(key));
    }
    // A list of texts, none with a control character (a legend's lines).
    QStringList texts(const QString& key) const {
        const QJsonValue value = take(key);
        QStringList texts;
        for (const QJsonValue& item : value.toArray()) {
            if (!item.isString() || holdsControlCharacters(item.toString())) {
                texts.clear();
                break;
            }
            texts << item.toString();
        }
        if (!value.isArray() || texts.size() != value.toArray().size()) {
            throw Refusal{name(key) + QStringLiteral(" must be a list of lines of text in [ ]")};
        }
        return texts;
    }
    // Every field of this object, each text of one line; read, all of them.
    std::vector<std::pair<QString, QString>> entries() const {
        std::vector<std::pair<QString, QString>> entries;
        for (const QString& key : object_.keys()) {
            const QString value = text(key);
            if (holdsControlCharacters(key) || holdsControlCharacters(value) || key.isEmpty() ||
                value.isEmpty()) {
                throw Refusal{name(key) + QStringLiteral(" must be a class's name")};
            }
            entries.emplace_back(key, value);
        }
        return entries;
    }
    bool has(const QString& key) const { return object_.contains(key); }
    bool isNull(const QString& key) const { return take(key).isNull(); }
    // A colour of one's own as #rrggbb, or `word` for the one it follows otherwise.
    std::optional<QColor> colourOr(const QString& key, const QString& word) const {
        const QString colour = text(key);
        if (colour == word) {
            return std::nullopt;
        }
        if (!colour.startsWith(u'#') || colour.size() != 7 || !QColor::isValidColorName(colour)) {
            throw Refusal{
                QStringLiteral("%1 must be %2 or a colour such as #8b4513").arg(name(key), word)};
        }
        return QColor::fromString(colour);
    }
    // The fields of this object nobody read, by their paths.
    QStringList unread() const {
        QStringList left;
        for (const QString& key : object_.keys()) {
            if (!read_.contains(key)) {
                left << name(key);
            }
        }
        return left;
    }

  private:
    QString name(const QString& key) const { return path_.isEmpty() ? key : path_ + u'.' + key; }
    QJsonValue take(const QString& key) const {
        if (!object_.contains(key)) {
            throw Refusal{name(key) + QStringLiteral(" is missing")};
        }
        read_.insert(key);
        return object_.value(key);
    }
    QJsonObject object_;
    QString path_;
    mutable QSet<QString> read_;
};

void writeOptions(Writer& out, const GridOptions& options) {
    out.open("grid");
    out.word(field::kOrientation, static_cast<int>(options.orientation));
    out.number("offsetX", options.offsetX);
    out.number("offsetY", options.offsetY);
    out.word(field::kShifted, static_cast<int>(options.shifted));
    out.number("stretch", options.stretch);
    out.number("hexPixels", options.hexPixels);
    out.number("rotation", options.rotation);
    out.number("skew", options.skew);
    out.text("lineColour",
             options.lineColour ? options.lineColour->name() : QStringLiteral("list"));
    out.word(field::kLineStyle, static_cast<int>(options.lineStyle));
    out.whole("opacity", options.opacity);
    out.close();
}

void writeNumbering(Writer& out, const HexNumbering& numbering) {
    out.open("numbers");
    out.flag("shown", numbering.enabled);
    out.word("format", kFormats, static_cast<int>(numbering.format));
    out.text("pattern", numbering.pattern);
    out.whole("first", numbering.first);
    out.word(field::kOrigin, static_cast<int>(numbering.origin));
    out.word(field::kPosition, static_cast<int>(numbering.position));
    out.number("sizePercent", numbering.sizePercent);
    out.number("sizePoints", numbering.sizePoints);
    if (numbering.colour) {
        out.text("colour", numbering.colour->name());
    } else {
        out.text("colour", QStringLiteral("grid"));
    }
    out.word(field::kHalo, static_cast<int>(numbering.halo));
    out.close();
}

void writePrint(Writer& out, const ScaleChoice& print) {
    out.open("print");
    out.word("scale", kScales, print.byHex ? 0 : 1);
    out.number("hexSize", print.hexSize);
    out.word("unit", kUnits, static_cast<int>(print.unit));
    out.number("dpi", print.dpi);
    const auto paper = std::find(std::begin(kScalePapers), std::end(kScalePapers), print.paper);
    out.word(field::kPaper,
             static_cast<int>(std::max<std::ptrdiff_t>(
                 0, std::distance(std::begin(kScalePapers), paper) % std::ssize(kScalePapers))));
    out.flag("landscape", print.landscape);
    out.number("overlapMm", print.overlapMm);
    out.close();
}

// Written only when the user said something of the terrain, so that a file without it is
// the version-1 file it always was.
void writeTerrain(Writer& out, const TerrainNotes& terrain) {
    out.open("terrain");
    out.texts("legend", terrain.legend);
    out.whole("classes", terrain.classes);
    out.open("corrections");
    // In the order of their keys, as they are read back.
    std::vector<TerrainCorrection> corrections = terrain.corrections;
    std::sort(corrections.begin(), corrections.end(),
              [](const TerrainCorrection& a, const TerrainCorrection& b) { return a.hex < b.hex; });
    for (const TerrainCorrection& correction : corrections) {
        out.entry(correction.hex, correction.terrain);
    }
    out.close();
    out.close();
}

TerrainNotes readTerrain(const Fields& fields) {
    TerrainNotes terrain;
    terrain.legend = fields.texts("legend");
    terrain.classes = fields.whole("classes", 0, kMostClasses);
    if (terrain.classes > 0 && terrain.classes < kFewestClasses) {
        throw Refusal{QStringLiteral("terrain.classes must be 0 (as many as the map shows) or a "
                                     "whole number from %1 to %2")
                          .arg(kFewestClasses)
                          .arg(kMostClasses)};
    }
    for (auto& [hex, name] : fields.object("corrections").entries()) {
        terrain.corrections.push_back({hex, name});
    }
    return terrain;
}

GridOptions readOptions(const Fields& grid) {
    GridOptions options;
    options.orientation = static_cast<GridOrientation>(grid.word(field::kOrientation));
    NumberField offsetY = field::kOffset;
    offsetY.key = "grid.offsetY";
    options.offsetX = grid.field(field::kOffset);
    options.offsetY = grid.field(offsetY);
    options.shifted = static_cast<ShiftedLines>(grid.word(field::kShifted));
    options.stretch = grid.field(field::kStretch);
    options.hexPixels = grid.fieldOrNull(field::kHexPixels);
    options.rotation = grid.field(field::kRotation);
    options.skew = grid.field(field::kSkew);
    // How the lines look came after the first files were written: absent, they are the
    // defaults those files were drawn with.
    if (grid.has("lineColour")) {
        options.lineColour = grid.colourOr("lineColour", QStringLiteral("list"));
    }
    if (grid.has("lineStyle")) {
        options.lineStyle = static_cast<LineStyle>(grid.word(field::kLineStyle));
    }
    if (grid.has("opacity")) {
        options.opacity = static_cast<int>(grid.field(field::kOpacity));
    }
    return options;
}

HexNumbering readNumbering(const Fields& numbers) {
    HexNumbering numbering;
    numbering.enabled = numbers.flag("shown");
    numbering.format = static_cast<NumberFormat>(numbers.word("format", kFormats));
    numbering.pattern = numbers.text("pattern");
    if (holdsControlCharacters(numbering.pattern)) {
        throw Refusal{QStringLiteral("numbers.pattern cannot hold a control character")};
    }
    // As --numbers refuses it. Only shown numbers draw the pattern: --numbers replaces it
    // with the format, where the sizes stay.
    if (numbering.enabled && numbering.format == NumberFormat::Pattern &&
        !isNumberPattern(numbering.pattern)) {
        throw Refusal{
            QStringLiteral("numbers.pattern must be a pattern such as {c:2}{r:2}, as the format "
                           "is pattern")};
    }
    numbering.first = static_cast<int>(numbers.field(field::kFirstNumber));
    numbering.origin = static_cast<NumberOrigin>(numbers.word(field::kOrigin));
    numbering.position = static_cast<NumberPosition>(numbers.word(field::kPosition));
    numbering.sizePercent = numbers.field(field::kNumberPercent);
    numbering.sizePoints = numbers.fieldOrNull(field::kNumberPoints);
    numbering.colour = numbers.colourOr("colour", QStringLiteral("grid"));
    numbering.halo = static_cast<NumberHalo>(numbers.word(field::kHalo));
    return numbering;
}

ScaleChoice readPrint(const Fields& fields) {
    ScaleChoice print;
    print.byHex = fields.word("scale", kScales) == 0;
    print.unit = static_cast<LengthUnit>(fields.word("unit", kUnits));
    print.hexSize =
        fields.field(print.unit == LengthUnit::Inch ? field::kPrintHexInches : field::kPrintHex);
    print.dpi = fields.field(field::kPrintDpi);
    print.paper = kScalePapers[fields.word(field::kPaper)];
    print.landscape = fields.flag("landscape");
    print.overlapMm = fields.field(field::kOverlap);
    return print;
}

int readThickness(const Fields& fields) {
    const int width = fields.whole("thickness", 0, 1000);
    if (!field::kThickness.words().contains(QString::number(width))) {
        throw Refusal{QStringLiteral("thickness must be one of ") +
                      field::kThickness.words().join(QStringLiteral(", "))};
    }
    return width;
}

// The file's version and what it allows: a file of a newer version is read only when it
// says that older programs may read it, leaving out what they do not know.
bool checkVersion(const QJsonObject& file) {
    const QJsonValue version = file.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1 ||
        version.toDouble() != std::floor(version.toDouble())) {
        throw Refusal{QStringLiteral("version must be a whole number from 1 on")};
    }
    if (version.toDouble() <= kSettingsVersion) {
        return false;
    }
    const QJsonValue oldest = file.value(QStringLiteral("readableFromVersion"));
    if (!oldest.isDouble() || oldest.toDouble() > kSettingsVersion) {
        throw Refusal{QStringLiteral("version %1 is newer than this Tessara reads (%2)")
                          .arg(version.toDouble())
                          .arg(kSettingsVersion)};
    }
    return true;
}

GridChoices readFields(const QJsonObject& file, QStringList& ignored) {
    const bool newer = checkVersion(file);
    const Fields top(file, {});
    const double version = top.number("version", 1, 1e9);
    // A file that older versions may read is one of them at the oldest: none is readable
    // only by versions newer than itself.
    if (file.contains(QStringLiteral("readableFromVersion"))) {
        const double oldest = top.number("readableFromVersion", 1, 1e9);
        if (oldest > version || oldest != std::floor(oldest)) {
            throw Refusal{QStringLiteral("readableFromVersion must be a whole number from 1 to "
                                         "the file's own version, %1")
                              .arg(version)};
        }
    }
    GridChoices settings;
    settings.mapWidth = top.fieldOrNull(field::kMapWidth);
    settings.hexSize = top.fieldOrNull(field::kHexSize);
    settings.colour = top.word(field::kColour);
    settings.thickness = readThickness(top);
    const Fields grid = top.object("grid");
    settings.options = readOptions(grid);
    const Fields numbers = top.object("numbers");
    settings.numbering = readNumbering(numbers);
    const Fields print = top.object("print");
    settings.print = readPrint(print);
    QStringList unknownTerrain;
    if (top.has(QStringLiteral("terrain"))) {
        const Fields terrain = top.object("terrain");
        settings.terrain = readTerrain(terrain);
        unknownTerrain = terrain.unread();
    }
    const QStringList unknown =
        top.unread() + grid.unread() + numbers.unread() + print.unread() + unknownTerrain;
    if (!unknown.isEmpty() && !newer) {
        throw Refusal{unknown.first() + QStringLiteral(" is not a field of a grid settings file")};
    }
    ignored = unknown;
    return settings;
}

}  // namespace

QByteArray settingsText(const GridChoices& settings) {
    Writer out;
    if (settings.terrain.empty()) {
        out.whole("version", 1);
    } else {
        // Terrain came with version 2; a version-1 program reads the grid and leaves it out.
        out.whole("version", kSettingsVersion);
        out.whole("readableFromVersion", 1);
    }
    out.number("mapWidth", settings.mapWidth);
    out.number("hexSize", settings.hexSize);
    out.word(field::kColour, settings.colour);
    out.whole("thickness", settings.thickness);
    writeOptions(out, settings.options);
    writeNumbering(out, settings.numbering);
    writePrint(out, settings.print);
    if (!settings.terrain.empty()) {
        writeTerrain(out, settings.terrain);
    }
    return out.finish();
}

SettingsRead readSettingsText(const QByteArray& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (document.isNull()) {
        return {std::nullopt,
                QStringLiteral("it is not a grid settings file (%1 at byte %2)")
                    .arg(error.errorString())
                    .arg(error.offset),
                {}};
    }
    if (!document.isObject()) {
        return {std::nullopt, QStringLiteral("it is not a grid settings file"), {}};
    }
    if (const QString repeated = firstRepeatedKey(text); !repeated.isEmpty()) {
        return {std::nullopt, repeated + QStringLiteral(" is given twice"), {}};
    }
    try {
        QStringList ignored;
        GridChoices settings = readFields(document.object(), ignored);
        return {std::move(settings), {}, ignored};
    } catch (const Refusal& refusal) {
        return {std::nullopt, refusal.why, {}};
    }
}

QString fieldsNamed(const QStringList& fields) {
    constexpr qsizetype kNamed = 5;
    if (fields.size() <= kNamed) {
        return fields.join(QStringLiteral(", "));
    }
    return QStringLiteral("%1 and %2 more")
        .arg(fields.mid(0, kNamed).join(QStringLiteral(", ")))
        .arg(fields.size() - kNamed);
}

SettingsRead loadSettings(const QString& path) {
    const RegularFile file(path);
    switch (file.refusal()) {
        case RegularFile::Refusal::None:
            break;
        case RegularFile::Refusal::CannotOpen:
            return {std::nullopt, QString::fromLocal8Bit(std::strerror(file.error())), {}};
        case RegularFile::Refusal::Folder:
            return {std::nullopt, QStringLiteral("it is a folder, not a grid settings file"), {}};
        case RegularFile::Refusal::NotRegular:
            return {std::nullopt,
                    QStringLiteral("it is not a grid settings file but a pipe, a device or a "
                                   "socket"),
                    {}};
    }
    // A settings file is a few hundred bytes: anything far larger is not one.
    constexpr qint64 kLargest = 1 << 20;
    const QByteArray text = file.head(kLargest + 1);
    if (text.size() > kLargest) {
        return {std::nullopt, QStringLiteral("it is too large for a grid settings file"), {}};
    }
    return readSettingsText(text);
}

WriteResult saveSettings(const GridChoices& settings, const QString& path) {
    const QByteArray text = settingsText(settings);
    return writeFileAtomically(
        path, [&text](QIODevice& device) { return device.write(text) == text.size(); });
}

}  // namespace tessara
