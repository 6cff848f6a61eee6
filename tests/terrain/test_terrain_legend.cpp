#include <gtest/gtest.h>

#include <QFile>

#include "support/qt_print.h"
#include "support/test_files.h"
#include "terrain/terrain_legend.h"

using namespace tessara;

namespace {

// Five columns of four rows of 40-pixel hexes: 0101 .. 0504.
struct SmallMap {
    explicit SmallMap(GridOrientation orientation = GridOrientation::Rows,
                      ShiftedLines shifted = ShiftedLines::First) {
        GridOptions options;
        options.orientation = orientation;
        options.shifted = shifted;
        options.hexPixels = 40;
        layout = orientation == GridOrientation::Rows ? layoutGrid(200, 140, 1, 1, options)
                                                      : layoutGrid(140, 200, 1, 1, options);
        HexNumbering numbering;
        hexes = mapHexes(layout, numbering);
    }
    const MapHex& hex(const QString& number) const {
        return *std::find_if(hexes.begin(), hexes.end(),
                             [&](const MapHex& h) { return h.number == number; });
    }
    GridLayout layout;
    std::vector<MapHex> hexes;
};

}  // namespace

TEST(TerrainLegend, AnErrorNamesTheLineAndWhatIsWrong) {
    struct Row {
        const char* guards;
        const char* text;
        const char* error;
    };
    const Row rows[] = {
        {"an unknown hex number", "Woods: 0101 9912", "line 1: no hex 9912 on the map"},
        {"one past the last row", "Woods: 0105", "line 1: no hex 0105 on the map"},
        {"a class without a sample", "\n# classes\nWoods:  # none yet\n",
         "line 3: \"Woods\" names no sample hex"},
        {"a line feature between hexes that are not neighbours",
         "Clear: 0101\nRiver: line 0101 0103", "line 2: hexes 0101 and 0103 are not neighbours"},
        {"a line feature with one hex", "River: line 0101",
         "line 1: the line feature \"River\" needs the two hexes either side of it, not 1"},
        {"a line feature of an unknown hex", "River: line 0101 0601",
         "line 1: no hex 0601 on the map"},
        {"a line without a colon", "Clear: 0101\r\n\r\nWoods 0202",
         "line 3: \"Woods 0202\" has no colon between a name and its hexes"},
        {"no name", " : 0101", "line 1: no name before the colon"},
        {"a duplicate name, in another case", "Woods: 0101\nRiver: line 0201 0202\nwoods: 0303",
         "line 3: \"woods\" is named twice, first on line 1"},
        {"a class named as a line feature", "River: line 0201 0202\nRiver: 0303",
         "line 2: \"River\" is named twice, first on line 1"},
        {"a sample of two classes", "Clear: 0101\nWoods: 0202 0101",
         "line 2: hex 0101 is already a sample of \"Clear\", on line 1"},
    };
    const SmallMap map;
    for (const Row& row : rows) {
        const LegendReading reading =
            readLegend(QString::fromUtf8(row.text), map.layout, map.hexes);
        EXPECT_EQ(reading.error, QString::fromUtf8(row.error)) << row.guards;
        EXPECT_TRUE(reading.legend.classes.empty()) << row.guards;
    }
}

TEST(TerrainLegend, ClassesAndLineFeaturesAreReadInTheirOrder) {
    const SmallMap map;
    const LegendReading reading = readLegend(
        "# a small map\nClear: 0101 0201  # open ground\n\tWoods:0504\nRiver: LINE 0101 0102\n"
        "Road, old: line 0302 0303",
        map.layout, map.hexes);
    ASSERT_EQ(reading.error, "");
    const TerrainLegend& legend = reading.legend;
    ASSERT_EQ(legend.classes.size(), 2U);
    EXPECT_EQ(legend.classes[0].name, "Clear");
    ASSERT_EQ(legend.classes[0].hexes.size(), 2U);
    EXPECT_EQ(map.hexes[legend.classes[0].hexes[0]].number, "0101");
    EXPECT_EQ(map.hexes[legend.classes[0].hexes[1]].number, "0201");
    EXPECT_EQ(legend.classes[1].name, "Woods");
    EXPECT_EQ(map.hexes[legend.classes[1].hexes.at(0)].number, "0504");
    ASSERT_EQ(legend.features.size(), 2U);
    EXPECT_EQ(legend.features[0].name, "River");
    EXPECT_EQ(map.hexes[legend.features[0].from].number, "0101");
    EXPECT_EQ(map.hexes[legend.features[0].to].number, "0102");
    EXPECT_EQ(legend.features[1].name, "Road, old");
}

TEST(TerrainLegend, HexesAreNeighboursWhereTheyShareASide) {
    struct Row {
        const char* guards;
        GridOrientation orientation;
        ShiftedLines shifted;
        const char* a;
        const char* b;
        bool neighbours;
    };
    using enum GridOrientation;
    using enum ShiftedLines;
    const Row rows[] = {
        {"along a row", Rows, First, "0201", "0301", true},
        {"two along a row", Rows, First, "0101", "0301", false},
        {"the next row, half a hex right", Rows, First, "0201", "0202", true},
        {"the next row, half a hex left", Rows, First, "0201", "0102", true},
        {"the next row, a hex and a half away", Rows, First, "0201", "0302", false},
        {"second rows shifted: half a hex left", Rows, Second, "0201", "0102", false},
        {"second rows shifted: half a hex right", Rows, Second, "0201", "0302", true},
        {"two rows apart", Rows, First, "0101", "0103", false},
        {"down a column", Columns, First, "0102", "0103", true},
        {"the next column, half a hex down", Columns, First, "0102", "0202", true},
        {"the next column, half a hex up", Columns, First, "0102", "0201", true},
        {"the next column, a hex and a half away", Columns, First, "0102", "0203", false},
    };
    for (const Row& row : rows) {
        const SmallMap map(row.orientation, row.shifted);
        EXPECT_EQ(areNeighbours(map.layout, map.hex(row.a).hex, map.hex(row.b).hex), row.neighbours)
            << row.guards;
        const double apart = QLineF(map.hex(row.a).centre, map.hex(row.b).centre).length();
        EXPECT_EQ(std::abs(apart - 40) < 0.01, row.neighbours) << row.guards << ": " << apart;
    }
}

TEST(TerrainLegend, AFileErrorNamesTheFile) {
    const test::ScratchDir dir;
    const SmallMap map;
    const QString path = test::writeBytes(dir.path("legend.txt"), "Clear: 0101\nWoods: 0909\n");
    EXPECT_EQ(readLegendFile(path, map.layout, map.hexes).error,
              path + ", line 2: no hex 0909 on the map");
    EXPECT_EQ(readLegendFile(dir.path("none.txt"), map.layout, map.hexes).error,
              "Cannot read the legend " + dir.path("none.txt") + ": No such file or directory");
}
