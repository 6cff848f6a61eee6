// tessara terrain, run from a shell as a script runs it, over a small printed hex map of four
// terrains with a river along the sides below its third line of hexes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>

#include "settings/grid_settings.h"
#include "support/program_run.h"
#include "support/test_files.h"
#include "terrain/hex_sides.h"
#include "terrain_maps.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const QStringList kNames = {"Clear", "Woods", "Water", "Marsh"};  // the map's terrains, in order
const QString kGrid = " --hex-pixels 40 --offset 3,2";            // the map's grid

class CliTerrain : public ::testing::Test {
  protected:
    CliTerrain()
        : map(drawTerrainMap({4, false, GridOrientation::Rows, ShiftedLines::First, 5, {2}})) {
        writeImage(dir.path("map.png"), map.picture, "PNG");
        writeBytes(dir.path("legend.txt"), legend().toUtf8());
        writeBytes(dir.path("bad.txt"), "Clear: 0101\nWoods: 9912\n");
        writeBytes(dir.path("old.csv"), "old\n");
        writeBytes(dir.path("old.sides.csv"), "old\n");
        QFile::setPermissions(dir.path("old.sides.csv"), QFile::ReadOwner);
        EXPECT_EQ(::mkfifo(QFile::encodeName(dir.path("pipe.txt")).constData(), 0600), 0);
    }
    // The first hex of each terrain as its sample, and the river by the first side it follows.
    QString legend() const {
        QString text;
        for (int t = 0; t < kNames.size(); ++t) {
            text += kNames[t] + ": " + number(std::ranges::find(map.truth, t) - map.truth.begin()) +
                    "\n";
        }
        const std::vector<HexSide> sides = mapSides(map.layout, map.hexes);
        const HexSide river = *std::ranges::find_if(sides, [&](const HexSide& s) {
            return map.hexes[s.hex].hex.line == 2 && map.hexes[s.neighbour].hex.line == 3;
        });
        return text + "River: line " + number(river.hex) + " " + number(river.neighbour) + "\n";
    }
    QString number(size_t hex) const { return map.hexes[hex].number; }
    Finished run(const QString& arguments) {
        return runIn(TESSARA_PROGRAM, dir.root(), "terrain " + arguments);
    }
    QStringList lines(const QString& file) const {
        return QString::fromUtf8(readBytes(dir.path(file))).split('\n', Qt::SkipEmptyParts);
    }

    ScratchDir dir;
    TerrainTestMap map;
};

}  // namespace

// A mistake is exit status 2 and a failed write 1, each one line (all of standard error but
// the decoder's reason), and no file is written or changed: OUTPUT not without its sides.
TEST_F(CliTerrain, EachRefusalIsOneLineAndWritesNothing) {
    // clang-format off
    const struct { const char* guards; QString arguments; int status; QString err; } rows[] = {
        {"an OUTPUT neither table nor HexJSON", "map.png hexes.txt" + kGrid, 2, "OUTPUT 'hexes.txt' must end in .csv or .json\n"},
        {"one class too few", "map.png hexes.csv --classes 1" + kGrid, 2, "--classes must be a whole number from 2 to 8, not '1'\n"},
        {"one class too many", "map.png hexes.csv --classes 9" + kGrid, 2, "--classes must be a whole number from 2 to 8, not '9'\n"},
        {"a legend and a count", "map.png hexes.csv --legend legend.txt --classes 4" + kGrid, 2, "give only one of --legend or --classes\n"},
        {"a hex the map does not hold", "map.png hexes.csv --legend bad.txt" + kGrid, 2, "bad.txt, line 2: no hex 9912 on the map\n"},
        {"a legend not there", "map.png hexes.csv --legend none.txt" + kGrid, 2, "cannot read the legend 'none.txt': No such file or directory\n"},
        {"a named pipe for a legend, never waited on", "map.png hexes.csv --legend pipe.txt" + kGrid, 2, "cannot read the legend 'pipe.txt': it is not a file\n"},
        {"a folder for a legend", "map.png hexes.csv --legend ." + kGrid, 2, "cannot read the legend '.': it is not a file\n"},
        {"no INPUT given", "", 2, "missing INPUT, the map picture to read\n"},
        {"an INPUT not there", "absent.png hexes.csv" + kGrid, 2, "cannot read the map 'absent.png': "},
        {"an OUTPUT in a missing folder", "map.png no/hexes.csv" + kGrid, 2, "cannot write 'no/hexes.csv': the folder 'no' does not exist\n"},
        {"a PDF's option", "map.png hexes.csv --hex-mm 19" + kGrid, 2, "unknown option '--hex-mm'\n"},
        {"a read-only sides file", "map.png old.csv --legend legend.txt" + kGrid, 1, "cannot write 'old.sides.csv': The file old.sides.csv is read-only.\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        const QStringList before = filesIn(dir.root());
        const Finished result = run(row.arguments);
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_TRUE(result.err.startsWith("tessara: " + row.err) && result.err.count('\n') == 1)
            << row.guards << ": " << result.err.toStdString();
        EXPECT_EQ(filesIn(dir.root()), before) << row.guards;
    }
    EXPECT_EQ(readBytes(dir.path("old.csv")), "old\n");
}

// As many classes as asked for, from 2 to 8: a line a hex, each class's count on standard
// output that of the table, and every class used where the map shows as many.
TEST_F(CliTerrain, TheClassesAskedForAreTheTablesTerrains) {
    for (const int classes : {2, 4, 8}) {
        const Finished result =
            run(QStringLiteral("map.png hexes.csv --classes %1").arg(classes) + kGrid);
        ASSERT_EQ(result.status, 0) << classes << ": " << result.err.toStdString();
        const QStringList table = lines("hexes.csv");
        EXPECT_EQ(table.value(0), "hex,column,row,x,y,terrain,share");
        EXPECT_EQ(table.size(), map.hexes.size() + 1) << classes;
        QStringList counts;
        for (int c = 1; c <= classes; ++c) {
            const auto count = table.join('\n').count(QStringLiteral(",Terrain %1,").arg(c));
            EXPECT_TRUE(count > 0 || classes > 4) << classes << ": " << c;
            counts << QStringLiteral("Terrain %1 %2").arg(c).arg(count);
        }
        EXPECT_EQ(result.out, counts.join(", ") + "\n") << classes;
    }
}

// A legend names every hex's terrain in HexJSON, as the map has it, and the river's sides go
// beside it, its sample side among them.
TEST_F(CliTerrain, ALegendNamesTheHexesAndTheRiversSides) {
    const Finished result = run("map.png hexes.json --legend legend.txt" + kGrid);
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(readBytes(dir.path("hexes.json"))).object();
    EXPECT_EQ(json["layout"].toString(), "even-r");
    ASSERT_EQ(json["hexes"].toObject().size(), map.hexes.size());
    int right = 0;
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        const QString terrain = json["hexes"][number(i)]["terrain"].toString();
        EXPECT_TRUE(kNames.contains(terrain)) << number(i).toStdString();
        right += terrain == kNames[map.truth[i]] ? 1 : 0;
    }
    EXPECT_GE(right, 0.97 * map.hexes.size());
    const QStringList sides = lines("hexes.sides.csv");
    EXPECT_EQ(sides.value(0), "hex,side,neighbour,feature");
    const QString sample = legend().section("River: line ", 1).trimmed().replace(' ', ",S[EW],");
    EXPECT_EQ(sides.filter(QRegularExpression("^" + sample + ",River$")).size(), 1);
    const QString shown =
        QStringLiteral("^Clear \\d+, Woods \\d+, Water \\d+, Marsh \\d+; River %1 sides\n$");
    EXPECT_TRUE(QRegularExpression(shown.arg(sides.size() - 1)).match(result.out).hasMatch())
        << result.out.toStdString();
}

// What a settings file notes of the terrain is what the command reads without --legend: its
// legend gives the table the legend file gives, its corrections go over it, whole, and the
// command's own --legend or --classes go over the file's legend. What the map does not hold
// is refused naming the file's field.
TEST_F(CliTerrain, ASettingsFilesTerrainIsReadAndCorrected) {
    ASSERT_EQ(run("map.png by-file.csv --legend legend.txt" + kGrid).status, 0);
    GridChoices noted;
    noted.terrain.legend = legend().split('\n', Qt::SkipEmptyParts);
    const QString corrected = number(0);
    const QString other = kNames[(map.truth[0] + 1) % kNames.size()];
    noted.terrain.corrections = {{corrected, other.toLower()}};
    writeBytes(dir.path("fit.hexgrid"), settingsText(noted));
    noted.terrain.corrections = {{"9912", "Woods"}};
    writeBytes(dir.path("far.hexgrid"), settingsText(noted));
    noted.terrain.corrections = {{corrected, "Snow"}};
    writeBytes(dir.path("snow.hexgrid"), settingsText(noted));

    const Finished result = run("map.png by-settings.csv --settings fit.hexgrid" + kGrid);
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    QStringList byFile = lines("by-file.csv"), bySettings = lines("by-settings.csv");
    ASSERT_EQ(bySettings.size(), byFile.size());
    EXPECT_TRUE(bySettings[1].endsWith("," + other + ",1.00")) << bySettings[1].toStdString();
    bySettings.removeAt(1);
    byFile.removeAt(1);
    EXPECT_EQ(bySettings, byFile) << "every other hex as the legend file has it";
    EXPECT_TRUE(QFile::exists(dir.path("by-settings.sides.csv")));

    const struct {
        QString arguments;
        QString err;
    } refused[] = {
        {"map.png far.csv --settings far.hexgrid" + kGrid,
         "the settings file's correction of hex 9912: no such hex on the map\n"},
        {"map.png snow.csv --settings snow.hexgrid" + kGrid,
         "the settings file's correction of hex " + corrected + ": no class \"Snow\" on the map\n"},
        {"map.png three.csv --classes 3 --settings fit.hexgrid" + kGrid,
         "the settings file's correction of hex " + corrected + ": no class \"" + other.toLower() +
             "\" on the map\n"},
    };
    for (const auto& row : refused) {
        const Finished r = run(row.arguments);
        EXPECT_EQ(r.status, 2) << row.arguments.toStdString();
        EXPECT_EQ(r.err.toStdString(), ("tessara: " + row.err).toStdString());
        EXPECT_FALSE(QFile::exists(dir.path(row.arguments.section(' ', 1, 1))));
    }
}
