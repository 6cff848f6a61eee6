#include <gtest/gtest.h>

#include <QLineF>
#include <algorithm>

#include "support/qt_print.h"
#include "terrain/hex_sides.h"
#include "terrain_maps.h"

using namespace tessara;
using namespace tessara::test;

TEST(HexSides, EverySideTwoHexesShareIsListedOnce) {
    for (const GridOrientation orientation : {GridOrientation::Rows, GridOrientation::Columns}) {
        for (const ShiftedLines shifted : {ShiftedLines::First, ShiftedLines::Second}) {
            GridOptions options;
            options.orientation = orientation;
            options.shifted = shifted;
            options.hexPixels = 40;
            const GridLayout layout = layoutGrid(230, 170, 1, 1, options);
            const std::vector<MapHex> hexes = mapHexes(layout, HexNumbering{});
            // Neighbours are the hexes one hex apart.
            std::vector<HexSide> apart;
            for (size_t i = 0; i < hexes.size(); ++i) {
                for (size_t j = i + 1; j < hexes.size(); ++j) {
                    if (std::abs(QLineF(hexes[i].centre, hexes[j].centre).length() - 40) < 0.01) {
                        apart.push_back({static_cast<int>(i), static_cast<int>(j)});
                    }
                }
            }
            std::vector<HexSide> sides = mapSides(layout, hexes);
            const auto order = [](const HexSide& a, const HexSide& b) {
                return std::pair(a.hex, a.neighbour) < std::pair(b.hex, b.neighbour);
            };
            std::sort(sides.begin(), sides.end(), order);
            EXPECT_EQ(sides, apart);
            EXPECT_GT(sides.size(), 2 * hexes.size());
        }
    }
}

TEST(HexSides, ASideIsNamedByTheWayItsNeighbourLies) {
    struct Row {
        GridOrientation orientation;
        const char* from;
        const char* to;
        const char* way;
    };
    using enum GridOrientation;
    const Row rows[] = {
        {Rows, "0202", "0302", "E"},     {Rows, "0202", "0102", "W"},
        {Rows, "0202", "0301", "NE"},    {Rows, "0202", "0201", "NW"},
        {Rows, "0202", "0303", "SE"},    {Rows, "0202", "0203", "SW"},
        {Columns, "0202", "0201", "N"},  {Columns, "0202", "0203", "S"},
        {Columns, "0202", "0302", "NE"}, {Columns, "0202", "0303", "SE"},
        {Columns, "0202", "0102", "NW"}, {Columns, "0202", "0103", "SW"},
    };
    for (const Row& row : rows) {
        GridOptions options;
        options.orientation = row.orientation;
        options.hexPixels = 40;
        const GridLayout layout = layoutGrid(200, 200, 1, 1, options);
        const std::vector<MapHex> hexes = mapHexes(layout, HexNumbering{});
        const auto hex = [&](const char* number) {
            return *std::find_if(hexes.begin(), hexes.end(),
                                 [&](const MapHex& h) { return h.number == number; });
        };
        ASSERT_TRUE(areNeighbours(layout, hex(row.from).hex, hex(row.to).hex)) << row.to;
        EXPECT_EQ(sideDirection(hex(row.from), hex(row.to)), row.way) << row.from << " " << row.to;
    }
}

TEST(HexSides, AFeatureIsFoundOnTheSidesItFollows) {
    struct Row {
        const char* guards;
        TerrainMapCase map;  // the features follow the sides after these lines; the river
                             // runs through the hexes of its through lines too
    };
    using enum GridOrientation;
    using enum ShiftedLines;
    const Row rows[] = {
        {"a river and a road over terrain of hexes", {5, false, Rows, First, 11, {2, 6}, {4}}},
        {"a river and a road over natural terrain", {4, true, Rows, Second, 12, {3, 8}, {5}}},
        {"a river and a road between columns", {6, false, Columns, First, 13, {4, 9}, {2}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const TerrainTestMap map = drawTerrainMap(row.map);
        const std::vector<HexLook> looks =
            readHexLooks(map.picture, map.layout, map.numbering, map.hexes);
        const std::vector<HexSide> sides = mapSides(map.layout, map.hexes);
        const auto followed = [&](const HexSide& side) {
            const int line = map.hexes[static_cast<size_t>(side.hex)].hex.line;
            const auto it =
                std::find(row.map.featureLines.begin(), row.map.featureLines.end(), line);
            const bool below = map.hexes[static_cast<size_t>(side.neighbour)].hex.line == line + 1;
            return it == row.map.featureLines.end() || !below
                       ? -1
                       : static_cast<int>(it - row.map.featureLines.begin());
        };
        std::vector<LineFeature> features;
        for (const QString& name : {QStringLiteral("River"), QStringLiteral("Road")}) {
            const int f = static_cast<int>(features.size());
            const HexSide sample = *std::find_if(
                sides.begin(), sides.end(), [&](const HexSide& s) { return followed(s) == f; });
            features.push_back({name, sample.neighbour, sample.hex});
        }
        const std::vector<FeatureSide> found =
            featureSides(map.picture, map.layout, map.hexes, looks, features);
        std::vector<int> truth(2, 0), right(2, 0), named(2, 0);
        int others = 0, wrong = 0;
        // The hexes the river runs through, but the two at the ends of its line, where it
        // starts and may or may not count; and no others.
        int through = 0, throughTruth = 0, throughWrong = 0;
        for (size_t h = 0; h < map.hexes.size(); ++h) {
            const int line = map.hexes[h].hex.line;
            const bool onLine = std::ranges::count(row.map.throughLines, line) > 0;
            const bool end =
                onLine && (h == 0 || h + 1 == map.hexes.size() ||
                           map.hexes[h - 1].hex.line != line || map.hexes[h + 1].hex.line != line);
            const bool found_ = std::ranges::any_of(found, [&](const FeatureSide& s) {
                return s.through() && s.side.hex == static_cast<int>(h) && s.feature == 0;
            });
            throughTruth += onLine && !end ? 1 : 0;
            through += onLine && !end && found_ ? 1 : 0;
            throughWrong += std::ranges::count_if(found, [&](const FeatureSide& s) {
                return s.through() && s.side.hex == static_cast<int>(h) &&
                       !(onLine && s.feature == 0);
            });
        }
        EXPECT_GE(through, 0.95 * throughTruth)
            << "of " << throughTruth << " hexes it runs through";
        EXPECT_LE(throughWrong, 0.02 * map.hexes.size()) << "hexes it does not run through";
        for (const HexSide& side : sides) {
            const int f = followed(side);
            f < 0 ? ++others : ++truth[static_cast<size_t>(f)];
            const auto it = std::find_if(found.begin(), found.end(),
                                         [&](const FeatureSide& s) { return s.side == side; });
            if (it != found.end()) {
                ++named[static_cast<size_t>(it->feature)];
                it->feature == f ? ++right[static_cast<size_t>(f)] : ++wrong;
            }
        }
        for (size_t f = 0; f < 2; ++f) {
            EXPECT_GE(right[f], 0.95 * truth[f]) << "found of feature " << f << ", " << truth[f];
            EXPECT_GE(right[f], 0.9 * named[f]) << "right of those named " << f;
        }
        EXPECT_LE(wrong, 0.02 * others) << "of " << others << " other sides";
        ::testing::Test::RecordProperty(
            row.guards,
            QString::asprintf("river %d/%d road %d/%d wrong %d/%d through %d/%d, %d wrong",
                              right[0], truth[0], right[1], truth[1], wrong, others, through,
                              throughTruth, throughWrong)
                .toStdString());
    }
}
