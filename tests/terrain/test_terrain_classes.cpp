#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <map>
#include <numeric>

#include "support/qt_print.h"
#include "terrain/hex_looks.h"
#include "terrain/map_hexes.h"
#include "terrain/terrain_classes.h"

using namespace tessara;

namespace {

// Terrain as hex maps print it: flat tints, and tints under a pattern of marks.
enum class Pattern { Flat, Dots, Dashes, Blocks, Hatch };
struct Terrain {
    QRgb ground;
    Pattern pattern;
    QRgb mark;
};
const Terrain kTerrains[] = {
    {qRgb(236, 226, 188), Pattern::Flat, 0},                     // clear
    {qRgb(120, 170, 95), Pattern::Dots, qRgb(40, 90, 40)},       // woods
    {qRgb(110, 165, 225), Pattern::Flat, 0},                     // water
    {qRgb(175, 205, 185), Pattern::Dashes, qRgb(60, 120, 140)},  // marsh
    {qRgb(200, 190, 180), Pattern::Blocks, qRgb(110, 80, 80)},   // town
    {qRgb(190, 150, 105), Pattern::Flat, 0},                     // rough
    {qRgb(150, 130, 115), Pattern::Hatch, qRgb(80, 60, 50)},     // mountain
};

QRgb terrainPixel(int terrain, int x, int y) {
    const Terrain& t = kTerrains[terrain];
    bool mark = false;
    switch (t.pattern) {
        case Pattern::Flat:
            break;
        case Pattern::Dots:
            mark = (x % 6 < 2 && y % 6 < 2) || ((x + 3) % 6 < 2 && (y + 3) % 6 < 2);
            break;
        case Pattern::Dashes:
            mark = y % 5 == 0 && x % 8 < 5;
            break;
        case Pattern::Blocks:
            mark = x % 9 < 4 && y % 9 < 4;
            break;
        case Pattern::Hatch:
            mark = (x + y) % 6 == 0;
            break;
    }
    return mark ? t.mark : t.ground;
}

unsigned mixed(unsigned a, unsigned b) {
    unsigned h = a * 0x9E3779B1U ^ (b + 0x7F4A7C15U + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 0x2C1B3C6DU;
    return h ^ (h >> 13);
}

struct MapCase {
    int classes;
    bool natural;  // terrain that ignores the hexes
    GridOrientation orientation;
    ShiftedLines shifted;
    unsigned seed;
};

// A small map drawn as a printed hex map is: terrain, then the grid, the hex numbers, a road
// and place names over it, stored as a JPEG.
struct TestMap {
    GridLayout layout;
    HexNumbering numbering;
    std::vector<MapHex> hexes;
    std::vector<int> truth;          // each hex's class that covers most of it
    std::vector<double> truthShare;  // and the share it covers
    QImage picture;
};

GridLayout testLayout(const MapCase& c) {
    GridOptions options;
    options.orientation = c.orientation;
    options.shifted = c.shifted;
    options.hexPixels = 40;
    options.offsetX = 3;
    options.offsetY = 2;
    return layoutGrid(540, 420, 1, 1, options);
}

// Which class a pixel shows: its hex's on a hex map; on a natural one the class of the
// nearest of some scattered places, the boundaries wavy.
std::function<int(int, int)> terrainOf(const MapCase& c, const GridLayout& layout) {
    if (!c.natural) {
        return [c, &layout](int x, int y) {
            const GridHex hex = hexAt(layout, QPointF(x + 0.5, y + 0.5));
            return static_cast<int>(mixed(mixed(static_cast<unsigned>(hex.line), c.seed),
                                          static_cast<unsigned>(hex.cell)) %
                                    static_cast<unsigned>(c.classes));
        };
    }
    std::vector<QPointF> places;
    std::vector<int> classes;
    for (unsigned i = 0; i < 40; ++i) {
        places.emplace_back(mixed(i, c.seed) % 540, mixed(i, c.seed + 1) % 420);
        classes.push_back(static_cast<int>(i % static_cast<unsigned>(c.classes)));
    }
    return [places, classes](int x, int y) {
        const QPointF p(x + 7 * std::sin(y / 11.0), y + 7 * std::cos(x / 9.0));
        size_t nearest = 0;
        for (size_t i = 1; i < places.size(); ++i) {
            const QPointF d = places[i] - p, e = places[nearest] - p;
            if (QPointF::dotProduct(d, d) < QPointF::dotProduct(e, e)) {
                nearest = i;
            }
        }
        return classes[nearest];
    };
}

void drawOverprint(QImage& image, const TestMap& map) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 50, 40), 1.5));
    for (const MapHex& hex : map.hexes) {
        const auto corners = hexCorners(map.layout, hex.hex.line, hex.hex.cell);
        painter.drawPolygon(corners.data(), static_cast<int>(corners.size()));
    }
    QFont font;
    font.setPixelSize(static_cast<int>(numberSize(map.layout, map.numbering)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (const MapHex& hex : map.hexes) {
        const QPointF middle = labelMiddle(map.layout, map.numbering, hex.centre, font.pixelSize());
        painter.drawText(QRectF(middle - QPointF(20, 6), QSizeF(40, 12)), Qt::AlignCenter,
                         hex.number);
    }
    QPainterPath road(QPointF(0, 130));
    road.cubicTo(QPointF(180, 40), QPointF(330, 330), QPointF(540, 250));
    painter.setPen(QPen(QColor(200, 40, 30), 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(road);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.drawText(QPointF(60, 300), QStringLiteral("Mill Creek"));
    painter.drawText(QPointF(330, 90), QStringLiteral("Hill 203"));
}

TestMap drawMap(const MapCase& c) {
    TestMap map;
    map.layout = testLayout(c);
    map.numbering.enabled = true;
    map.hexes = mapHexes(map.layout, map.numbering);
    std::map<std::pair<int, int>, size_t> index;
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        index[{map.hexes[i].hex.line, map.hexes[i].hex.cell}] = i;
    }
    const auto terrain = terrainOf(c, map.layout);
    QImage image(540, 420, QImage::Format_RGB32);
    std::vector<std::vector<int>> counts(map.hexes.size(), std::vector<int>(7, 0));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int t = terrain(x, y);
            image.setPixel(x, y, terrainPixel(t, x, y));
            const GridHex hex = hexAt(map.layout, QPointF(x + 0.5, y + 0.5));
            if (const auto it = index.find({hex.line, hex.cell}); it != index.end()) {
                ++counts[it->second][static_cast<size_t>(t)];
            }
        }
    }
    for (const std::vector<int>& count : counts) {
        const auto most = std::max_element(count.begin(), count.end());
        map.truth.push_back(static_cast<int>(most - count.begin()));
        const int total = std::accumulate(count.begin(), count.end(), 0);
        map.truthShare.push_back(static_cast<double>(*most) / std::max(1, total));
    }
    drawOverprint(image, map);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPEG", 75));
    map.picture = QImage::fromData(buffer.data(), "JPEG");
    return map;
}

// One sample a class: the hex that shows it most fully, first on the map.
std::vector<ClassSamples> oneSampleEach(const TestMap& map, int classes) {
    std::vector<ClassSamples> samples;
    for (int t = 0; t < classes; ++t) {
        int best = -1;
        for (size_t i = 0; i < map.hexes.size(); ++i) {
            if (map.truth[i] == t && (best < 0 || map.truthShare[i] > map.truthShare[best])) {
                best = static_cast<int>(i);
            }
        }
        samples.push_back({QStringLiteral("Class %1").arg(t), {best}});
    }
    return samples;
}

// The share of the hexes (of those the truth covers by at least `least`) whose class is
// right, each class found taken as the true class most of its hexes have.
double rightShare(const TestMap& map, const TerrainMap& found, double least) {
    std::map<int, std::vector<int>> votes;
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        auto& vote = votes[found.hexes[i].terrainClass];
        vote.resize(7);
        ++vote[static_cast<size_t>(map.truth[i])];
    }
    int right = 0, counted = 0;
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        if (map.truthShare[i] < least) {
            continue;
        }
        const auto& vote = votes[found.hexes[i].terrainClass];
        ++counted;
        right += std::max_element(vote.begin(), vote.end()) - vote.begin() == map.truth[i];
    }
    return static_cast<double>(right) / counted;
}

}  // namespace

TEST(TerrainClasses, EveryHexGetsTheClassThatCoversMostOfIt) {
    struct Row {
        const char* guards;
        MapCase map;
        bool legend;        // one sample hex a class, or the classes found on the map
        double least;       // the truth's share from which a hex is counted
        double rightShare;  // of those, at least
    };
    using enum GridOrientation;
    using enum ShiftedLines;
    // clang-format off
    const Row rows[] = {
        {"four classes, a sample each", {4, false, Rows, First, 1}, true, 0, 0.99},
        {"seven classes in columns, a sample each", {7, false, Columns, Second, 2}, true, 0, 0.99},
        {"four classes found", {4, false, Rows, Second, 3}, false, 0, 0.97},
        {"five classes found in columns", {5, false, Columns, First, 4}, false, 0, 0.97},
        {"seven classes found", {7, false, Rows, First, 5}, false, 0, 0.97},
        {"natural terrain of five classes, a sample each", {5, true, Rows, First, 6}, true, 0.6, 0.97},
        {"natural terrain of four classes found", {4, true, Columns, First, 7}, false, 0.6, 0.97},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const TestMap map = drawMap(row.map);
        const std::vector<HexLook> looks =
            readHexLooks(map.picture, map.layout, map.numbering, map.hexes);
        TerrainChoices choices;
        if (row.legend) {
            choices.samples = oneSampleEach(map, row.map.classes);
        }
        const TerrainMap found = classifyTerrain(looks, choices);
        ASSERT_EQ(found.hexes.size(), map.hexes.size());
        EXPECT_EQ(found.classes.size(), static_cast<size_t>(row.map.classes));
        const double share = rightShare(map, found, row.least);
        EXPECT_GE(share, row.rightShare);
        ::testing::Test::RecordProperty(row.guards, QString::number(share, 'f', 4).toStdString());
    }
}

// Looks in `groups` tight clusters of `each` looks, spread over the colours; the first
// cluster holds `first` looks.
std::vector<Look> clusters(int groups, int each, int first) {
    std::vector<Look> looks;
    for (int g = 0; g < groups; ++g) {
        const float hue = 6.283F * static_cast<float>(g) / static_cast<float>(groups);
        const Look centre{50.0F + 5.0F * static_cast<float>(g % 3), 40 * std::cos(hue),
                          40 * std::sin(hue), static_cast<float>(g % 2) * 15};
        for (int i = 0; i < (g == 0 ? first : each); ++i) {
            Look look = centre;
            look[0] += static_cast<float>(i % 5) - 2;
            look[3] += static_cast<float>(i % 3) - 1;
            looks.push_back(look);
        }
    }
    return looks;
}

TEST(TerrainClasses, AsManyClassesAreFoundAsTheLooksShow) {
    struct Row {
        const char* guards;
        int groups, each, first;
        int shown;
    };
    const Row rows[] = {
        {"two classes, the fewest", 2, 50, 50, 2},
        {"five classes", 5, 50, 50, 5},
        {"eight classes, the most", 8, 50, 50, 8},
        {"nine clusters are read as the most classes", 9, 50, 50, 8},
        {"a class of 2.5% of the looks is found", 4, 130, 10, 4},
        {"one of less than 2.5% is passed over", 4, 130, 9, 3},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(classesShown(clusters(row.groups, row.each, row.first)), row.shown) << row.guards;
    }
}

TEST(TerrainClasses, AnAskedNumberOfClassesAndHandCorrectionsAreKept) {
    const TestMap map = drawMap({4, false, GridOrientation::Rows, ShiftedLines::First, 1});
    const std::vector<HexLook> looks =
        readHexLooks(map.picture, map.layout, map.numbering, map.hexes);
    TerrainChoices three;
    three.classes = 3;
    const TerrainMap found = classifyTerrain(looks, three);
    ASSERT_EQ(found.classes.size(), 3U);
    EXPECT_EQ(found.classes[0].name, "Terrain 1");
    EXPECT_EQ(found.classes[2].name, "Terrain 3");
    EXPECT_EQ(found.hexes[0].terrainClass, 0) << "classes are numbered as the hexes show them";

    // The hex after the first that has another class, corrected to the first hex's class.
    TerrainChoices corrected;
    const TerrainMap before = classifyTerrain(looks, corrected);
    size_t other = 1;
    while (before.hexes[other].terrainClass == before.hexes[0].terrainClass) {
        ++other;
    }
    corrected.corrections.push_back({static_cast<int>(other), before.hexes[0].terrainClass});
    const TerrainMap after = classifyTerrain(looks, corrected);
    EXPECT_EQ(after.hexes[other].terrainClass, before.hexes[0].terrainClass);
    EXPECT_EQ(after.hexes[other].share, 1.0);
    EXPECT_EQ(after.hexes[other + 1].terrainClass, before.hexes[other + 1].terrainClass);
    EXPECT_GE(before.hexes[other].share, 0.9) << "a hex of one terrain is covered by it";
}
