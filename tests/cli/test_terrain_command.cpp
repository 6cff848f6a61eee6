// tessara terrain, run from a shell as a script runs it, over a small printed hex map of four
// terrains with a river along the sides below its third line of hexes.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "settings/grid_settings.h"
#include "support/program_run.h"
#include "support/test_files.h"
#include "terrain/hex_sides.h"
#include "terrain/terrain_maps.h"

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
        GridChoices grid;
        grid.options.hexPixels = 40;
        grid.options.offsetX = 3;
        grid.options.offsetY = 2;
        EXPECT_TRUE(saveSettings(grid, dir.path("fit.hexgrid")));
        writeBytes(dir.path("legend.txt"), legend().toUtf8());
        writeBytes(dir.path("bad.txt"), "Clear: 0101\nWoods: 9912\n");
        writeBytes(dir.path("apart.txt"), "Clear: 0101\nRiver: line 0101 0301\n");
    }
    // A sample hex of each terrain, and the river by the first side it follows.
    QString legend() const {
        QString text;
        for (int t = 0; t < kNames.size(); ++t) {
            for (size_t i = 0; i < map.hexes.size(); ++i) {
                if (map.truth[i] == t && map.truthShare[i] == 1) {
                    text += kNames[t] + ": " + map.hexes[i].number + "\n";
                    break;
                }
            }
        }
        for (const HexSide& side : mapSides(map.layout, map.hexes)) {
            if (map.hexes[side.hex].hex.line == 2 && map.hexes[side.neighbour].hex.line == 3) {
                return text + "River: line " + map.hexes[side.hex].number + " " +
                       map.hexes[side.neighbour].number + "\n";
            }
        }
        return text;
    }
    Finished run(const QString& arguments) { return runIn(TESSARA_PROGRAM, dir.root(), arguments); }
    QStringList lines(const QString& file) const {
        return QString::fromUtf8(readBytes(dir.path(file))).split('\n', Qt::SkipEmptyParts);
    }
    // The values of a CSV file's column.
    QStringList column(const QString& file, int index) const {
        QStringList values;
        for (const QString& line : lines(file).mid(1)) {
            values << line.split(',').value(index);
        }
        return values;
    }

    ScratchDir dir;
    TerrainTestMap map;
};

}  // namespace

// Every mistake is one line and exit status 2, checked before any file is written; the line
// is the whole of standard error (a map's unreadable reason is the decoder's own).
TEST_F(CliTerrain, BadInputIsOneLineAndWritesNothing) {
    // clang-format off
    const struct { const char* guards; QString arguments; QString err; } rows[] = {
        {"an OUTPUT neither table nor HexJSON", "map.png hexes.txt" + kGrid, "OUTPUT 'hexes.txt' must end in .csv or .json\n"},
        {"one class too few", "map.png hexes.csv --classes 1" + kGrid, "--classes must be a whole number from 2 to 8, not '1'\n"},
        {"one class too many", "map.png hexes.csv --classes 9" + kGrid, "--classes must be a whole number from 2 to 8, not '9'\n"},
        {"a legend and a count", "map.png hexes.csv --legend legend.txt --classes 4" + kGrid, "give only one of --legend or --classes\n"},
        {"a hex the map does not hold", "map.png hexes.csv --legend bad.txt" + kGrid, "bad.txt, line 2: no hex 9912 on the map\n"},
        {"a river between hexes apart", "map.png hexes.csv --legend apart.txt" + kGrid, "apart.txt, line 2: hexes 0101 and 0301 are not neighbours\n"},
        {"a legend not there", "map.png hexes.csv --legend none.txt" + kGrid, "cannot read the legend 'none.txt': No such file or directory\n"},
        {"no INPUT given", "", "missing INPUT, the map picture to read\n"},
        {"an INPUT not there", "absent.png hexes.csv" + kGrid, "cannot read the map 'absent.png': "},
        {"an OUTPUT in a missing folder", "map.png no/hexes.csv" + kGrid, "cannot write 'no/hexes.csv': the folder 'no' does not exist\n"},
        {"no grid", "map.png hexes.csv", "missing --map-width, the map's width in distance units\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        const QStringList before = filesIn(dir.root());
        const Finished result = run("terrain " + row.arguments);
        EXPECT_EQ(result.status, 2) << row.guards;
        EXPECT_TRUE(result.err.startsWith("tessara: " + row.err))
            << row.guards << ": " << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << row.guards;
        EXPECT_EQ(result.out, "") << row.guards;
        EXPECT_EQ(filesIn(dir.root()), before) << row.guards;
    }
}

// The classes found on the map: as many as asked for, from 2 to 8, a line a hex on the map.
TEST_F(CliTerrain, TheClassesAskedForAreTheTablesTerrains) {
    const struct {
        const char* guards;
        QString arguments;
        int classes;
    } rows[] = {
        {"the fewest", "--classes 2" + kGrid, 2},
        {"the map's own", "--classes 4" + kGrid, 4},
        {"the most", "--classes 8" + kGrid, 8},
        {"as many as the map shows, from a settings file", "--settings fit.hexgrid", 4},
    };
    for (const auto& row : rows) {
        const Finished result = run("terrain map.png hexes.csv " + row.arguments);
        ASSERT_EQ(result.status, 0) << row.guards << ": " << result.err.toStdString();
        EXPECT_EQ(result.err, "") << row.guards;
        EXPECT_TRUE(QRegularExpression("^Terrain 1 \\d+(, Terrain \\d \\d+)*\n$")
                        .match(result.out)
                        .hasMatch())
            << result.out.toStdString();
        EXPECT_EQ(result.out.count(", ") + 1, row.classes) << row.guards;
        EXPECT_EQ(lines("hexes.csv").value(0), "hex,column,row,x,y,terrain,share");
        EXPECT_EQ(lines("hexes.csv").size(), map.hexes.size() + 1) << row.guards;
        EXPECT_EQ(column("hexes.csv", 0).value(0), map.hexes[0].number);
        // The line's count of each class is the table's, and each class asked for of the
        // map's own four or fewer holds hexes.
        const QStringList terrains = column("hexes.csv", 5);
        for (int c = 1; c <= row.classes; ++c) {
            const QString name = QStringLiteral("Terrain %1").arg(c);
            const auto count = terrains.count(name);
            EXPECT_TRUE(result.out.contains(QStringLiteral("%1 %2\n").arg(name).arg(count)) ||
                        result.out.contains(QStringLiteral("%1 %2,").arg(name).arg(count)))
                << row.guards << ": " << name.toStdString();
            EXPECT_TRUE(count > 0 || row.classes > 4) << row.guards << ": " << name.toStdString();
        }
        EXPECT_EQ(terrains.filter(QRegularExpression("^Terrain [1-8]$")).size(), terrains.size());
    }
}

// A legend names every hex's terrain in HexJSON, as the map has it, and the river's sides
// go beside it: the sample side among them.
TEST_F(CliTerrain, ALegendNamesTheHexesAndTheRiversSides) {
    const Finished result = run("terrain map.png hexes.json --legend legend.txt" + kGrid);
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(
        QRegularExpression("^Clear \\d+, Woods \\d+, Water \\d+, Marsh \\d+; River (\\d+) sides\n$")
            .match(result.out)
            .hasMatch())
        << result.out.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(readBytes(dir.path("hexes.json"))).object();
    EXPECT_EQ(json["layout"].toString(), "even-r");
    const QJsonObject hexes = json["hexes"].toObject();
    ASSERT_EQ(hexes.size(), map.hexes.size());
    int right = 0;
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        const QString terrain = hexes[map.hexes[i].number].toObject()["terrain"].toString();
        EXPECT_TRUE(kNames.contains(terrain)) << map.hexes[i].number.toStdString();
        right += terrain == kNames.value(map.truth[i]) ? 1 : 0;
    }
    EXPECT_GE(right, 0.97 * map.hexes.size());
    const QStringList sides = lines("hexes.sides.csv");
    EXPECT_EQ(sides.value(0), "hex,side,neighbour,feature");
    const QStringList sample = legend().section("River: line ", 1).trimmed().split(' ');
    const QRegularExpression sampleSide("^" + sample.value(0) + ",S[EW]," + sample.value(1) +
                                        ",River$");
    EXPECT_EQ(sides.filter(sampleSide).size(), 1) << sides.join('\n').toStdString();
    EXPECT_EQ(QString::number(sides.size() - 1),
              QRegularExpression("River (\\d+) sides").match(result.out).captured(1));
    EXPECT_EQ(column("hexes.sides.csv", 3).filter(QRegularExpression("^River$")).size(),
              sides.size() - 1);
}

// A file that cannot be replaced fails the work, exit status 1 and one line, and leaves both
// files as they were: OUTPUT is not written without its sides.
TEST_F(CliTerrain, AFailedWriteLeavesBothFilesAsTheyWere) {
    writeBytes(dir.path("old.csv"), "old\n");
    writeBytes(dir.path("old.sides.csv"), "old sides\n");
    QFile::setPermissions(dir.path("old.sides.csv"), QFile::ReadOwner);
    writeBytes(dir.path("kept.csv"), "kept\n");
    QFile::setPermissions(dir.path("kept.csv"), QFile::ReadOwner);
    const struct {
        const char* guards;
        QString arguments;
        QString err;
    } rows[] = {
        {"a read-only sides file", "old.csv --legend legend.txt",
         "cannot write 'old.sides.csv': The file old.sides.csv is read-only.\n"},
        {"a read-only OUTPUT", "kept.csv --classes 3",
         "cannot write 'kept.csv': The file kept.csv is read-only.\n"},
    };
    for (const auto& row : rows) {
        const QStringList before = filesIn(dir.root());
        const Finished result = run("terrain map.png " + row.arguments + kGrid);
        EXPECT_EQ(result.status, 1) << row.guards;
        EXPECT_EQ(result.err, "tessara: " + row.err) << row.guards;
        EXPECT_EQ(filesIn(dir.root()), before) << row.guards;
    }
    EXPECT_EQ(readBytes(dir.path("old.csv")), "old\n");
    EXPECT_EQ(readBytes(dir.path("old.sides.csv")), "old sides\n");
    EXPECT_EQ(readBytes(dir.path("kept.csv")), "kept\n");
}

// The usage lists the command and the options it takes, and only those.
TEST_F(CliTerrain, TheUsageListsTheCommandAndItsOptions) {
    EXPECT_TRUE(run("--help").out.contains(
        "\n  tessara terrain INPUT OUTPUT [OPTION...] [--legend FILE | --classes K]\n"));
    const Finished help = run("terrain --help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"\n  --legend FILE ", "\n  --classes K ", "\n  --settings FILE ",
                               "\n  --hex-pixels P ", "\n  --numbers FORMAT "}) {
        EXPECT_TRUE(help.out.contains(option)) << option;
    }
    EXPECT_FALSE(help.out.contains("--hex-mm")) << "a PDF's options are grid's alone";
    EXPECT_EQ(run("terrain map.png hexes.csv --hex-mm 19" + kGrid).err,
              "tessara: unknown option '--hex-mm'\n");
}
