#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <random>

#include "support/qt_print.h"
#include "terrain/hex_looks.h"
#include "terrain/lab_colour.h"
#include "terrain/terrain_classes.h"
#include "terrain_maps.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// One sample a class: the hex that shows it most fully, first on the map.
std::vector<ClassSamples> oneSampleEach(const TerrainTestMap& map, int classes) {
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
double rightShare(const TerrainTestMap& map, const TerrainMap& found, double least) {
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
        TerrainMapCase map;
        double rotation;    // degrees the grid is turned
        bool legend;        // one sample hex a class, or the classes found on the map
        double least;       // the truth's share from which a hex is counted
        double rightShare;  // of those, at least
    };
    using enum GridOrientation;
    using enum ShiftedLines;
    // clang-format off
    const Row rows[] = {
        {"four classes, a sample each", {4, false, Rows, First, 1, {}}, 0, true, 0, 0.99},
        {"seven classes in columns, a sample each", {7, false, Columns, Second, 2, {}}, 0, true, 0, 0.99},
        {"four classes found", {4, false, Rows, Second, 3, {}}, 0, false, 0, 0.97},
        {"five classes found in columns", {5, false, Columns, First, 4, {}}, 0, false, 0, 0.97},
        {"seven classes found", {7, false, Rows, First, 5, {}}, 0, false, 0, 0.97},
        {"six classes on a turned grid found", {6, false, Rows, First, 8, {}}, 8, false, 0, 0.97},
        {"four classes in turned columns, a sample each", {4, false, Columns, First, 9, {}}, -5, true, 0, 0.99},
        {"natural terrain of five classes, a sample each", {5, true, Rows, First, 6, {}}, 0, true, 0.6, 0.97},
        {"natural terrain of four classes found", {4, true, Columns, First, 7, {}}, 0, false, 0.6, 0.97},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const TerrainTestMap map = drawTerrainMap(row.map, row.rotation);
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
    const TerrainTestMap map =
        drawTerrainMap({4, false, GridOrientation::Rows, ShiftedLines::First, 1, {}});
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

TEST(TerrainClasses, ColoursAreReadAsCieLab) {
    struct Row {
        const char* guards;
        QRgb colour;
        LabColour lab;
    };
    const Row rows[] = {
        {"white", qRgb(255, 255, 255), {100, 0, 0}},
        {"black", qRgb(0, 0, 0), {0, 0, 0}},
        {"middle grey", qRgb(128, 128, 128), {53.585F, 0, 0}},
        {"the darkest grey, on the curve's straight part", qRgb(1, 1, 1), {0.274F, 0, 0}},
        {"red", qRgb(255, 0, 0), {53.241F, 80.092F, 67.203F}},
        {"green", qRgb(0, 255, 0), {87.735F, -86.183F, 83.179F}},
        {"blue", qRgb(0, 0, 255), {32.297F, 79.188F, -107.860F}},
    };
    for (const Row& row : rows) {
        const LabColour lab = toLab(row.colour);
        EXPECT_NEAR(lab.l, row.lab.l, 0.01) << row.guards;
        EXPECT_NEAR(lab.a, row.lab.a, 0.05) << row.guards;
        EXPECT_NEAR(lab.b, row.lab.b, 0.05) << row.guards;
        EXPECT_EQ(fromLab(lab), row.colour) << row.guards << ", and back";
    }
}

// A class's colour is its look turned back to sRGB, each channel clamped to what sRGB holds.
TEST(TerrainClasses, LookColoursTurnBackToTheNearestSrgb) {
    const std::pair<LabColour, QRgb> rows[] = {
        {{50, 0, 0}, qRgb(119, 119, 119)},             // half way from black as eyes see it
        {{104, 0, 0}, qRgb(255, 255, 255)},            // past white
        {{-3, 0, 0}, qRgb(0, 0, 0)},                   // below black
        {{53.241F, 110, 67.203F}, qRgb(255, 0, 18)},   // red past sRGB's: green under 0
        {{32.297F, 79.188F, -140}, qRgb(0, 42, 255)},  // blue past sRGB's: red under 0
    };
    for (const auto& [lab, colour] : rows) {
        EXPECT_EQ(QColor(fromLab(lab)), QColor(colour)) << lab.l << " " << lab.a << " " << lab.b;
    }
}

TEST(TerrainClasses, ARowOfColoursIsReadAsEachColourAlone) {
    std::vector<QRgb> colours;
    for (int v = 0; v < 256 * 256 * 256; v += 4099) {
        colours.push_back(qRgb(v >> 16, (v >> 8) & 255, v & 255));
    }
    std::vector<LabColour> row(colours.size());
    toLab(colours.data(), colours.size(), row.data());
    for (size_t i = 0; i < colours.size(); ++i) {
        const LabColour alone = toLab(colours[i]);
        ASSERT_EQ(row[i].l, alone.l) << i;
        ASSERT_EQ(row[i].a, alone.a) << i;
        ASSERT_EQ(row[i].b, alone.b) << i;
    }
}

// Values that make every pivot of a median-of-three quickselect the second least of those
// left, so that each round sets only two aside and the search ends the other way.
std::vector<float> badPivots(size_t count) {
    std::vector<size_t> left(count);
    std::iota(left.begin(), left.end(), 0);
    std::vector<float> values(count);
    float next = 0;
    while (left.size() >= 3) {
        values[left.front()] = next++;
        values[left[left.size() / 2]] = next++;
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(left.size() / 2));
        left.erase(left.begin());
    }
    for (const size_t i : left) {
        values[i] = next++;
    }
    return values;
}

// The median as sorting finds it.
float sortedMiddle(std::vector<float> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

TEST(HexLooks, TheMedianIsTheMiddleValueInOrder) {
    const std::pair<std::vector<float>, float> rows[] = {
        {{7}, 7},
        {{2, 1}, 2},  // of two in the middle, the greater
        {{3, 1, 2}, 2},
        {{4, 1, 3, 2}, 3},
        {{5, 5, 5, 5, 5}, 5},
        {{7, 0.5F, 7, -1, 7, 2}, 7},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, 5},
        {{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, 5},
        {{0, 0, 0, 0, 1, 1, 1, 1}, 1},
        {badPivots(101), 50},
    };
    MedianFinder finder;
    for (const auto& [values, median] : rows) {
        EXPECT_EQ(medianOf(values), median) << values.size() << " values";
        EXPECT_EQ(finder.of(values), median) << values.size() << " values, found again";
    }
}

TEST(HexLooks, TheMedianOfSetsIsThatOfAllTheirValues) {
    const std::pair<std::vector<std::vector<float>>, float> rows[] = {
        {{{1, 2, 3}}, 2},
        {{{1, 2, 3}, {10, 20}}, 3},
        {{{}, {3, 1, 2}, {}}, 2},
        {{{5}, {5}, {5, 5}}, 5},
        {{{0, 0, 0, 100}, {100, 100, 100, 0}}, 100},  // the medians, far apart
        {{{0, 1, 2, 3, 4}, {2, 3, 4, 5, 6}}, 3},      // some equal to the least median
        {{{1, 9}, {2, 8}, {3, 7}, {4, 6}}, 6},
        {{{1, 2, 3, 4, 5}, {3, 3, 3}, {0, 3, 9}}, 3},
    };
    MedianFinder finder;
    const auto ofAll = [&](const std::vector<std::vector<float>>& sets) {
        std::vector<float> medians;
        for (const std::vector<float>& set : sets) {
            medians.push_back(set.empty() ? 0 : sortedMiddle(set));
        }
        return finder.ofAll(std::vector<std::span<const float>>(sets.begin(), sets.end()), medians);
    };
    for (const auto& [sets, median] : rows) {
        EXPECT_EQ(ofAll(sets), median) << sets.size() << " sets";
    }
    // Sets of many sizes, of few values or many, as sorting finds them altogether.
    std::mt19937 random(5);
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<std::vector<float>> sets(1 + random() % 16);
        std::vector<float> all{0};  // and a set of 0 alone, below them all, never empty
        for (std::vector<float>& set : sets) {
            set.resize(random() % 90);
            for (float& v : set) {
                v = 1 + static_cast<float>(random() % (trial % 2 == 0 ? 4 : 1000));
            }
            all.insert(all.end(), set.begin(), set.end());
        }
        sets.push_back({0});
        EXPECT_EQ(finder.of(all), sortedMiddle(all)) << "trial " << trial;
        EXPECT_EQ(ofAll(sets), sortedMiddle(all)) << "trial " << trial;
    }
}

// A hex's texture is the mean change of lightness to the pixels right of and below those
// it reads, in a picture of 32-bit colours or of grey levels.
TEST(HexLooks, TextureIsTheChangeToTheRightAndBelow) {
    const TerrainTestMap map = drawTerrainMap({});
    const float step = toLab(qRgb(200, 200, 200)).l - toLab(qRgb(40, 40, 40)).l;
    struct Row {
        const char* guards;
        bool (*light)(int x, int y);
        float texture;  // in steps
    };
    const Row rows[] = {
        {"plain", [](int, int) { return true; }, 0},
        {"columns a pixel wide", [](int x, int) { return x % 2 == 0; }, 1},
        {"rows a pixel high", [](int, int y) { return y % 2 == 0; }, 1},
        {"a board of single pixels", [](int x, int y) { return (x + y) % 2 == 0; }, 2},
    };
    for (const Row& row : rows) {
        QImage picture(map.picture.size(), QImage::Format_Grayscale8);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                picture.scanLine(y)[x] = row.light(x, y) ? 200 : 40;
            }
        }
        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
            SCOPED_TRACE(testing::Message() << row.guards << ", format " << format);
            const std::vector<HexLook> looks =
                readHexLooks(picture.convertToFormat(format), map.layout, map.numbering, map.hexes);
            int inside = 0;
            for (size_t i = 0; i < map.hexes.size(); ++i) {
                // Away from the edges, where the last pixels have none right of or below them.
                if (QRectF(picture.rect())
                        .marginsRemoved(QMarginsF(40, 40, 40, 40))
                        .contains(map.hexes[i].centre)) {
                    ++inside;
                    ASSERT_NEAR(looks[i].whole[3], row.texture * step, 1e-3) << i;
                    for (const Look& part : looks[i].parts) {
                        ASSERT_NEAR(part[3], row.texture * step, 1e-3) << i;
                    }
                }
            }
            EXPECT_GE(inside, 40);
        }
    }
}
