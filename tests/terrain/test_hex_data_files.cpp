#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/qt_print.h"
#include "support/test_files.h"
#include "terrain/hex_data_files.h"

using namespace tessara;

namespace {

constexpr double kHex = 40;                  // flat to flat
constexpr double kPitch = kHex * kRowPitch;  // from line to line

GridLayout smallGrid(GridOrientation orientation, ShiftedLines shifted, double offset = 0) {
    GridOptions options;
    options.orientation = orientation;
    options.shifted = shifted;
    options.hexPixels = kHex;
    options.offsetX = offset;
    options.offsetY = offset;
    return layoutGrid(200, 150, 1, 1, options);
}

// Three classes, given to the hexes in turn, covering 1, a half and two thirds of them.
TerrainMap threeClasses(size_t hexes) {
    TerrainMap map;
    map.classes = {{"Clear", {}}, {"Woods, light", {}}, {"The \"Moor\"", {}}};
    const double shares[] = {1.0, 0.5, 2.0 / 3};
    for (size_t i = 0; i < hexes; ++i) {
        map.hexes.push_back({static_cast<int>(i % 3), shares[i % 3]});
    }
    return map;
}

QStringList linesOf(const QString& path) {
    QString text = QString::fromUtf8(test::readBytes(path));
    EXPECT_TRUE(text.endsWith('\n'));
    text.chop(1);
    return text.split('\n');
}

}  // namespace

// Every hex placed as HexJSON places (q, r) in its layout lies where the grid has it: the
// layout word and the rows counted up from the bottom agree with the picture.
TEST(HexDataFiles, HexJsonPlacesEveryHexWhereTheGridHasIt) {
    struct Row {
        const char* guards;
        GridOrientation orientation;
        ShiftedLines shifted;
        double offset;
        const char* layout;
        HexJsonPlace first;  // of the top-left hex, 0101
    };
    using enum GridOrientation;
    using enum ShiftedLines;
    const Row rows[] = {
        {"rows, the first shifted left", Rows, First, 0, "even-r", {0, 3}},
        {"rows, the second shifted left", Rows, Second, 0, "odd-r", {0, 3}},
        {"rows, the first row off the picture", Rows, First, -30, "odd-r", {0, 3}},
        {"columns, the first shifted up", Columns, First, 0, "even-q", {0, 3}},
        {"columns, the second shifted up", Columns, Second, 0, "odd-q", {0, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const GridLayout layout = smallGrid(row.orientation, row.shifted, row.offset);
        const std::vector<MapHex> hexes = mapHexes(layout, HexNumbering{});
        const HexJsonFrame frame = hexJsonFrame(layout, hexes);
        EXPECT_EQ(frame.layout, row.layout);
        ASSERT_EQ(frame.places.size(), hexes.size());
        EXPECT_EQ(hexes[0].number, "0101");
        EXPECT_EQ(frame.places[0].q, row.first.q);
        EXPECT_EQ(frame.places[0].r, row.first.r);
        const bool odd = frame.layout.startsWith("odd");
        QPointF origin;
        for (size_t i = 0; i < hexes.size(); ++i) {
            const auto [q, r] = frame.places[i];
            // Where HexJSON draws the hex, y upwards.
            const QPointF drawn =
                row.orientation == Rows
                    ? QPointF(kHex * (q + ((r % 2 == 1) == odd ? 0.5 : 0)), kPitch * r)
                    : QPointF(kPitch * q, kHex * (r + ((q % 2 == 1) == odd ? 0.5 : 0)));
            const QPointF onPicture(hexes[i].centre.x(), -hexes[i].centre.y());
            if (i == 0) {
                origin = onPicture - drawn;
            }
            EXPECT_NEAR((onPicture - drawn - origin).manhattanLength(), 0, 1e-6)
                << hexes[i].number.toStdString();
        }
    }
}

TEST(HexDataFiles, TheCsvHoldsALineAHex) {
    const test::ScratchDir dir;
    const GridLayout layout = smallGrid(GridOrientation::Rows, ShiftedLines::First);
    HexNumbering commas;
    commas.format = NumberFormat::Comma;
    const std::vector<MapHex> hexes = mapHexes(layout, commas);
    ASSERT_EQ(hexes.size(), 20U);  // 5 a row, 4 rows
    const TerrainMap terrain = threeClasses(hexes.size());
    const QString path = dir.path("hexes.csv");
    const WriteResult written = writeHexData(path, layout, hexes, terrain);
    ASSERT_TRUE(written) << written.error.toStdString();
    const QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), 21);
    struct Row {
        const char* guards;
        int line;
        const char* text;
    };
    const Row rows[] = {
        {"the header", 0, "hex,column,row,x,y,terrain,share"},
        {"the first hex, on the picture's edge", 1, "\"1,1\",1,1,0.00,11.55,Clear,1.00"},
        {"a name with a comma, a share of a half", 2,
         "\"2,1\",2,1,40.00,11.55,\"Woods, light\",0.50"},
        {"a name with quotes, a share of two thirds", 3,
         "\"3,1\",3,1,80.00,11.55,\"The \"\"Moor\"\"\",0.67"},
        {"the second row, half a hex right", 6,
         "\"1,2\",1,2,20.00,46.19,\"The \"\"Moor\"\"\",0.67"},
        {"the last hex", 20, "\"5,4\",5,4,180.00,115.47,\"Woods, light\",0.50"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(lines[row.line], QString::fromUtf8(row.text)) << row.guards;
    }
}

TEST(HexDataFiles, HexJsonReadsBackFieldByField) {
    const test::ScratchDir dir;
    const GridLayout layout = smallGrid(GridOrientation::Columns, ShiftedLines::Second);
    const std::vector<MapHex> hexes = mapHexes(layout, HexNumbering{});
    const TerrainMap terrain = threeClasses(hexes.size());
    const QString path = dir.path("hexes.json");
    ASSERT_TRUE(writeHexData(path, layout, hexes, terrain));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(test::readBytes(path), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(document["layout"].toString(), "odd-q");
    const QJsonObject all = document["hexes"].toObject();
    ASSERT_EQ(all.size(), static_cast<qsizetype>(hexes.size()));
    const HexJsonFrame frame = hexJsonFrame(layout, hexes);
    for (size_t i = 0; i < hexes.size(); ++i) {
        SCOPED_TRACE(hexes[i].number.toStdString());
        const QJsonObject hex = all[hexes[i].number].toObject();
        EXPECT_EQ(hex.size(), 4);
        EXPECT_EQ(hex["q"].toInt(-1), frame.places[i].q);
        EXPECT_EQ(hex["r"].toInt(-1), frame.places[i].r);
        EXPECT_EQ(hex["terrain"].toString(), terrain.classes[i % 3].name);
        EXPECT_DOUBLE_EQ(hex["share"].toDouble(), i % 3 == 0 ? 1.0 : i % 3 == 1 ? 0.5 : 0.67);
    }
    EXPECT_EQ(all["0201"]["q"].toInt(), 1);
    EXPECT_EQ(all["0201"]["r"].toInt(), 3) << "the top of 4 rows is r = 3";
}

TEST(HexDataFiles, AFailedWriteSaysWhyAndLeavesNoFile) {
    const test::ScratchDir dir;
    const GridLayout layout = smallGrid(GridOrientation::Rows, ShiftedLines::First);
    const std::vector<MapHex> hexes = mapHexes(layout, HexNumbering{});
    const TerrainMap terrain = threeClasses(hexes.size());
    struct Row {
        const char* guards;
        QString path;
        QString error;
    };
    const Row rows[] = {
        {"a folder that is not there", dir.path("missing/hexes.csv"),
         "Cannot write the hex data " + dir.path("missing/hexes.csv") +
             ": No such file or directory"},
        {"a name that is neither CSV nor JSON", dir.path("hexes.txt"),
         "Hex data is written as .csv or .json, not as " + dir.path("hexes.txt") + "."},
    };
    for (const Row& row : rows) {
        const WriteResult written = writeHexData(row.path, layout, hexes, terrain);
        EXPECT_FALSE(written) << row.guards;
        EXPECT_EQ(written.error, row.error) << row.guards;
        EXPECT_FALSE(QFile::exists(row.path)) << row.guards;
    }
}

TEST(HexDataFiles, TheSidesGoBesideTheHexesALineASide) {
    const test::ScratchDir dir;
    struct Row {
        const char* output;
        const char* sides;
    };
    const Row rows[] = {
        {"out/map.csv", "out/map.sides.csv"},
        {"map.json", "map.sides.csv"},
        {"v1.2/map", "v1.2/map.sides.csv"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(sidesPath(row.output), row.sides);
    }
    const GridLayout layout = smallGrid(GridOrientation::Rows, ShiftedLines::First);
    const std::vector<MapHex> hexes = mapHexes(layout, HexNumbering{});
    const std::vector<LineFeature> features = {{"River", 0, 5}, {"Road, old", 0, 1}};
    // 0101 and 0102 (index 5), 0101 and 0201; 0202 (6) and 0203 (11).
    const std::vector<FeatureSide> sides = {{{0, 1}, 1}, {{0, 5}, 0}, {{6, 11}, 0}};
    const QString path = dir.path("map.sides.csv");
    ASSERT_TRUE(writeHexSides(path, hexes, sides, features));
    EXPECT_EQ(linesOf(path), QStringList({"hex,side,neighbour,feature", "0101,E,0201,\"Road, old\"",
                                          "0101,SE,0102,River", "0202,SW,0203,River"}));
}
