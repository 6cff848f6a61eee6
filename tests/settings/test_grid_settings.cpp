#include <gtest/gtest.h>

#include "settings/grid_settings.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// Every field away from its default, with values that do not survive a careless writer:
// a size that is no short decimal, a negative zero, a pattern with quotes.
GridChoices unusual() {
    GridChoices s;
    s.mapWidth = 34.000000001;
    s.hexSize = std::nullopt;
    s.colour = 4;
    s.thickness = 15;
    s.options = {GridOrientation::Columns, -12.25, 0.1 + 0.2, ShiftedLines::Second, 1.0021, 48.251};
    s.options.rotation = -0.604;
    s.options.skew = 10;
    s.options.opacity = kMinOpacity;
    s.options.lineColour = QColor(0x5a, 0x3c, 0x1e);
    s.options.lineStyle = LineStyle::None;
    s.numbering.enabled = true;
    s.numbering.format = NumberFormat::Pattern;
    s.numbering.pattern = QStringLiteral("\"{C}\"-{r:3}\\");
    s.numbering.first = -9999;
    s.numbering.origin = NumberOrigin::BottomLeft;
    s.numbering.position = NumberPosition::Bottom;
    s.numbering.sizePoints = 9.5;
    s.numbering.colour = QColor(0x8b, 0x45, 0x13);
    s.numbering.halo = NumberHalo::White;
    s.print = {false, 0.75, LengthUnit::Inch, 254, QPageSize::Tabloid, true, 0};
    return s;
}

// The text of a good file with one line changed.
QByteArray edited(const QByteArray& from, const QByteArray& to) {
    QByteArray text = settingsText(GridChoices{});
    EXPECT_TRUE(text.contains(from)) << from.constData();
    return text.replace(from, to);
}

}  // namespace

TEST(GridSettings, EveryFieldComesBackExactlyAndTheVersionLeads) {
    for (const GridChoices& settings : {GridChoices{}, unusual()}) {
        const QByteArray text = settingsText(settings);
        EXPECT_TRUE(text.startsWith("{\n    \"version\": 1,\n")) << text.constData();
        const SettingsRead read = readSettingsText(text);
        ASSERT_TRUE(read.settings) << read.problem.toStdString();
        EXPECT_EQ(*read.settings, settings) << text.constData();
        EXPECT_EQ(settingsText(*read.settings), text) << "the same grid, the same bytes";
    }
}

TEST(GridSettings, ADamagedOrForeignFileIsRefusedNamingTheField) {
    struct Row {
        QByteArray text;
        const char* problem;  // the start of what the user reads
    } const rows[] = {
        {"", "it is not a grid settings file (illegal value at byte 0)"},
        {"[1, 2]", "it is not a grid settings file"},
        {edited("\"version\": 1", "\"version\": \"1\""), "version must be a whole number"},
        {edited("\"version\": 1", "\"version\": 3"), "version 3 is newer than this Tessara"},
        {edited("\"colour\": \"black\"", "\"colour\": \"brown\""),
         "colour must be one of black, blue, green"},
        {edited("\"thickness\": 1", "\"thickness\": 4"), "thickness must be one of 1, 2, 3, 5"},
        {edited("\"stretch\": 1", "\"stretch\": 2.01"),
         "grid.stretch must be a number from 0.5 to 2"},
        {edited("\"rotation\": 0", "\"rotation\": -45.01"),
         "grid.rotation must be a number of degrees from -45 to 45"},
        {edited("\"skew\": 0", "\"skew\": 10.5"),
         "grid.skew must be a number of degrees from -10 to 10"},
        {edited("\"hexPixels\": null", "\"hexPixels\": 0"),
         "grid.hexPixels must be a number of pixels above 0 and up to 32767"},
        {edited("\"hexPixels\": null", "\"hexPixels\": \"48\""), "grid.hexPixels must be a number"},
        {edited("\"opacity\": 100", "\"opacity\": 9"),
         "grid.opacity must be a whole number of percent from 10 to 100"},
        {edited("\"lineStyle\": \"solid\"", "\"lineStyle\": \"wavy\""),
         "grid.lineStyle must be one of solid, dashed, dotted, none"},
        {edited("\"lineColour\": \"list\"", "\"lineColour\": \"brown\""),
         "grid.lineColour must be list or a colour such as #8b4513"},
        {edited("\"first\": 1", "\"first\": 1.5"), "numbers.first must be a whole number"},
        {edited("\"first\": 1", "\"first\": 10000"),
         "numbers.first must be a whole number from -9999 to 9999"},
        {edited("\"colour\": \"grid\"", "\"colour\": \"#12345\""),
         "numbers.colour must be grid or a colour"},
        {edited("\"shown\": false", "\"shown\": 0"), "numbers.shown must be true or false"},
        {edited("\"pattern\": \"", "\"pattern\": \"\\t"),
         "numbers.pattern cannot hold a control character"},
        {edited("\"paper\": \"A4\"", "\"paper\": \"A5\""), "print.paper must be one of A4, A3"},
        {edited("\"overlapMm\": 10", "\"overlapMm\": -1"), "print.overlapMm must be a number"},
        {edited("    \"mapWidth\": null,\n", ""), "mapWidth is missing"},
        {edited("\"mapWidth\": null", "\"mapWidth\": null, \"gutter\": 3"),
         "gutter is not a field of a grid settings file"},
        {edited("\"grid\": {", "\"grid\": 7, \"g\": {"), "grid must be a group of fields"},
        // The range of a field that refuses 0 says so.
        {edited("\"mapWidth\": null", "\"mapWidth\": -1"), "mapWidth must be a positive number"},
        {edited("\"dpi\": 300", "\"dpi\": 100000.5"), "print.dpi must be a number from 10 to 2400"},
        // What --number-size and --numbers refuse.
        {edited("\"sizePoints\": null", "\"sizePoints\": 4.49"),
         "numbers.sizePoints must be a number of points from 4.5 to 500"},
        {edited("\"format\": \"0101\"", "\"format\": \"pattern\"")
             .replace("\"shown\": false", "\"shown\": true")
             .replace("\"pattern\": \"\"", "\"pattern\": \"c-r\""),
         "numbers.pattern must be a pattern such as {c:2}{r:2}"},
        // Qt's reader keeps the last of two, the same key however it is written.
        {edited("\"skew\": 0", "\"skew\": 0, \"sk\\u0065w\": 1"), "grid.skew is given twice"},
        {edited("\"version\": 1,", "\"version\": 1, \"version\": 1,"), "version is given twice"},
        {edited("\"version\": 1,", "\"version\": 1, \"readableFromVersion\": 2,"),
         "readableFromVersion must be a whole number from 1 to the file's own version, 1"},
    };
    for (const Row& row : rows) {
        const SettingsRead read = readSettingsText(row.text);
        EXPECT_FALSE(read.settings) << row.problem;
        EXPECT_TRUE(read.problem.startsWith(QLatin1String(row.problem)))
            << read.problem.toStdString() << "\n  wanted: " << row.problem;
    }
}

// The limits themselves are taken, and a key may be given again in another group.
TEST(GridSettings, TheLimitsOfTheChecksAreAccepted) {
    const QByteArray pattern = edited("\"format\": \"0101\"", "\"format\": \"pattern\"");
    const struct {
        const char* guards;
        QByteArray text;
    } rows[] = {
        {"numbers of 4.5 points", edited("\"sizePoints\": null", "\"sizePoints\": 4.5")},
        {"a pattern that is not drawn", pattern},
        {"a pattern shown", QByteArray(pattern)
                                .replace("\"shown\": false", "\"shown\": true")
                                .replace("\"pattern\": \"\"", "\"pattern\": \"{c}\"")},
        {"readable from its own version",
         edited("\"version\": 1,", "\"version\": 1, \"readableFromVersion\": 1,")},
        {"a key again in each object of a newer file's list",
         edited("\"version\": 1,",
                "\"version\": 3, \"readableFromVersion\": 1, \"k\": [{\"k\": 1}, {\"k\": 2}],")},
    };
    for (const auto& row : rows) {
        const SettingsRead read = readSettingsText(row.text);
        EXPECT_TRUE(read.settings) << row.guards << ": " << read.problem.toStdString();
    }
}

TEST(GridSettings, AFileFromBeforeTheLinesHadALookDrawsThemAsThen) {
    QByteArray text = settingsText(unusual());
    for (const char* line : {",\n        \"lineColour\": \"#5a3c1e\"",
                             ",\n        \"lineStyle\": \"none\"", ",\n        \"opacity\": 10"}) {
        ASSERT_TRUE(text.contains(line)) << line;
        text.replace(line, "");
    }
    const SettingsRead read = readSettingsText(text);
    ASSERT_TRUE(read.settings) << read.problem.toStdString();
    GridChoices wanted = unusual();
    wanted.options.opacity = kMaxOpacity;
    wanted.options.lineColour.reset();
    wanted.options.lineStyle = LineStyle::Solid;
    EXPECT_EQ(*read.settings, wanted);
}

TEST(GridSettings, ANewerFileMayBeReadWhenItSaysSoLeavingOutWhatIsNew) {
    const QByteArray newer =
        edited("\"version\": 1,", "\"version\": 3, \"readableFromVersion\": 1,")
            .replace("\"skew\": 0", "\"skew\": 0, \"curvature\": 2");
    const SettingsRead read = readSettingsText(newer);
    ASSERT_TRUE(read.settings) << read.problem.toStdString();
    EXPECT_EQ(*read.settings, GridChoices{});
    EXPECT_EQ(read.ignored, QStringList{QStringLiteral("grid.curvature")});
    const QByteArray tooNew =
        edited("\"version\": 1,", "\"version\": 4, \"readableFromVersion\": 3,");
    EXPECT_FALSE(readSettingsText(tooNew).settings);
}

TEST(GridSettings, SavedAtomicallyAndLoadedBack) {
    const ScratchDir dir;
    const QString path = dir.path("fit.hexgrid");
    ASSERT_TRUE(saveSettings(unusual(), path));
    const SettingsRead read = loadSettings(path);
    ASSERT_TRUE(read.settings);
    EXPECT_EQ(*read.settings, unusual());
    EXPECT_FALSE(saveSettings(unusual(), dir.path("no-such-folder/fit.hexgrid")));
    EXPECT_FALSE(loadSettings(dir.path("missing.hexgrid")).settings);
    const QString large = writeBytes(dir.path("large.hexgrid"), QByteArray((1 << 20) + 1, ' '));
    EXPECT_EQ(loadSettings(large).problem,
              QStringLiteral("it is too large for a grid settings file"));
}

namespace {

GridChoices withTerrain() {
    GridChoices s;
    s.terrain.legend = {QStringLiteral("Woods: 0304 1207  # the dark green"),
                        QStringLiteral("\"Bois\" \u00e9pais: 0101"),
                        QStringLiteral("River: line 0305 0306")};
    s.terrain.classes = 0;
    s.terrain.corrections = {{QStringLiteral("0101"), QStringLiteral("\"Bois\" \u00e9pais")},
                             {QStringLiteral("0305"), QStringLiteral("Woods")}};
    return s;
}

}  // namespace

TEST(GridSettings, TheTerrainComesBackInAVersionTwoFileThatVersionOneReads) {
    GridChoices classesOnly;
    classesOnly.terrain.classes = 5;
    for (const GridChoices& settings : {withTerrain(), classesOnly}) {
        const QByteArray text = settingsText(settings);
        EXPECT_TRUE(text.startsWith("{\n    \"version\": 2,\n    \"readableFromVersion\": 1,\n"))
            << text.constData();
        const SettingsRead read = readSettingsText(text);
        ASSERT_TRUE(read.settings) << read.problem.toStdString() << text.constData();
        EXPECT_EQ(*read.settings, settings) << text.constData();
        EXPECT_EQ(settingsText(*read.settings), text);
    }
    const QByteArray terrain = settingsText(withTerrain());
    EXPECT_TRUE(
        terrain.contains("        \"legend\": [\n            \"Woods: 0304 1207  # the "
                         "dark green\",\n"))
        << "a legend line a line, as in its file";
    struct Row {
        QByteArray from, to;
        const char* problem;
    } const rows[] = {
        {"\"classes\": 0", "\"classes\": 1", "terrain.classes must be 0 (as many as the map"},
        {"\"classes\": 0", "\"classes\": 9", "terrain.classes must be a number from 0 to 8"},
        {"\"legend\": [", "\"legend\": [\"a\\u0007b\",", "terrain.legend must be a list of lines"},
        {"\"0305\": \"Woods\"", "\"0305\": 3", "terrain.corrections.0305 must be text"},
        {"\"0305\": \"Woods\"", "\"0305\": \"\"", "terrain.corrections.0305 must be a class's"},
        {"\"classes\": 0,", "\"classes\": 0, \"hue\": 1,",
         "terrain.hue is not a field of a grid settings file"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(terrain.contains(row.from)) << row.from.constData();
        const SettingsRead read = readSettingsText(QByteArray(terrain).replace(row.from, row.to));
        EXPECT_FALSE(read.settings) << row.to.constData();
        EXPECT_TRUE(read.problem.startsWith(QString::fromUtf8(row.problem)))
            << read.problem.toStdString();
    }
}
