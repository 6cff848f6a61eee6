// Sections of one printed map, each scanned a little crooked and overlapping its neighbours,
// joined on the printed grid into one board.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "photo/printed_fit.h"
#include "photo/section_joining.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::synthetic;

namespace {

ScanRecipe printedMap(std::uint64_t seed = 3) {
    ScanRecipe map;
    map.size = {1400, 1000};
    map.grid.hexPixels = 40;
    map.grid.rotation = 0.8;
    map.grid.offsetX = 7.3;
    map.grid.offsetY = -2.1;
    map.lineWidth = 2;
    map.lineGrey = 30;
    map.margin = 20;
    map.seed = seed;
    return map;
}

}  // namespace

// The board's printed lines lie on its grid, seams included, as on a flat scan (0.2 px on
// average, 0.5 px at the 95th percentile), it holds the map's hexes, none lost or doubled,
// and two sections show the same place within a fifth of a pixel where they meet.
TEST(SectionJoining, SectionsInAnyOrderMakeOneBoardOnThePrintedGrid) {
    const QImage map = drawScan(printedMap());
    const GridOptions printed = printedMap().grid;
    const PrintedFit whole = printedFit(map, printed);
    const struct {
        const char* guards;
        std::vector<SectionCut> cuts;
    } rows[] = {
        {"two halves overlapping by 30 %, turned 2 degrees either way",
         {{{0, 0, 800, 1000}, 2, 1}, {{560, 0, 840, 1000}, -2, 1}}},
        {"three strips overlapping by 10 %, scaled by half a per cent, in another order",
         {{{860, 0, 540, 1000}, 1, 1.005},
          {{0, 0, 540, 1000}, -5, 0.995},
          {{430, 0, 540, 1000}, 5, 1}}},
        {"four quarters overlapping by 40 %",
         {{{0, 0, 840, 600}, 3, 1},
          {{560, 0, 840, 600}, -1, 1},
          {{0, 400, 840, 600}, 0, 1},
          {{560, 400, 840, 600}, -3, 1.003}}},
    };
    for (const auto& row : rows) {
        std::vector<QImage> sections;
        std::uint64_t seed = 0;
        for (SectionCut cut : row.cuts) {
            cut.grain = 3;  // each scan's own
            cut.seed = ++seed;
            sections.push_back(scanSection(map, cut));
        }
        const JoinedBoard joined = joinSections(
            static_cast<int>(sections.size()),
            [&](int k) { return sections[static_cast<size_t>(k)]; }, std::nullopt);
        ASSERT_EQ(joined.problem, JoiningProblem::None) << row.guards << ": " << joined.section;
        const PrintedFit fit = printedFit(joined.board, joined.options);
        std::printf(
            "  %-78s board %dx%d, lines %.3f px, 95th %.3f, %d hexes of %d, seams %.3f px\n",
            row.guards, joined.board.width(), joined.board.height(), fit.mean, fit.ninetyFifth,
            fit.hexes, whole.hexes, joined.worstSeam);
        EXPECT_LT(fit.mean, 0.2) << row.guards;
        EXPECT_LT(fit.ninetyFifth, 0.5) << row.guards;
        EXPECT_NEAR(fit.hexes, whole.hexes, whole.hexes / 100.0) << row.guards;
        EXPECT_GT(joined.worstSeam, 0) << row.guards << ": measured where sections meet";
        EXPECT_LT(joined.worstSeam, 0.2) << row.guards;
    }
}

// A section of another map, and a picture with no grid, are refused by their place.
TEST(SectionJoining, ASectionThatCannotBePlacedIsNamed) {
    const QImage map = drawScan(printedMap());
    const QImage other = drawScan(printedMap(9));
    QImage blank(600, 500, QImage::Format_RGB32);
    blank.fill(Qt::white);
    const std::vector<QImage> sections{scanSection(map, {{0, 0, 800, 1000}, 1, 1}),
                                       scanSection(map, {{560, 0, 840, 1000}, -1, 1}),
                                       scanSection(other, {{300, 0, 800, 1000}, 0, 1}), blank};
    const struct {
        std::vector<int> taken;
        JoiningProblem problem;
        int section;
    } rows[] = {
        {{0, 2, 1}, JoiningProblem::NoOverlap, 1},
        {{0, 1, 3}, JoiningProblem::NoGrid, 2},
    };
    for (const auto& row : rows) {
        const JoinedBoard joined = joinSections(
            static_cast<int>(row.taken.size()),
            [&](int k) { return sections[static_cast<size_t>(row.taken[k])]; }, std::nullopt);
        EXPECT_EQ(joined.problem, row.problem);
        EXPECT_EQ(joined.section, row.section);
        EXPECT_TRUE(joined.board.isNull());
    }
}
