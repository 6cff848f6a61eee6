#include <gtest/gtest.h>

#include "window/form_layout.h"

using namespace tessara;

TEST(FormLayout, AtTheMinimumSizeTheControlsGoWhereTheFiguresSay) {
    const LayoutStep step = layoutFor(8400, 5280, false);
    ASSERT_TRUE(std::holds_alternative<ControlPlaces>(step))
        << "a size equal to the limit is laid out";
    const auto& p = std::get<ControlPlaces>(step);
    EXPECT_EQ(p.frame1Left, 292.5F);
    EXPECT_EQ(p.frame1Top, 2480.0F);
    EXPECT_EQ(p.frame2Left, 4732.5F);
    EXPECT_EQ(p.frame2Top, 2480.0F);
    EXPECT_EQ(p.command1Left, 1852.5F);
    EXPECT_EQ(p.command1Top, 3680.0F);
    EXPECT_EQ(p.picture1, (TwipsRect{200, 200, 7745, 1980}));
    EXPECT_EQ(p.vscroll2Left, 7945.0F);
    EXPECT_EQ(p.vscroll2Top, 200.0F);
    EXPECT_EQ(p.vscroll2Height, 2235.0F);
    EXPECT_EQ(p.hscroll1Left, 200.0F);
    EXPECT_EQ(p.hscroll1Top, 2180.0F);
    EXPECT_EQ(p.hscroll1Width, 7745.0F);
}

TEST(FormLayout, ALargerWindowCentresTheFramesAndGrowsTheViewport) {
    const auto p = std::get<ControlPlaces>(layoutFor(12001, 9000, false));
    EXPECT_EQ(p.frame1Left, 2093.0F);  // (12001 - 7815) / 2
    EXPECT_EQ(p.frame1Top, 6200.0F);
    EXPECT_EQ(p.picture1.Width, 11346.0F);
    EXPECT_EQ(p.picture1.Height, 5700.0F);
    EXPECT_EQ(p.vscroll2Left, 11546.0F);
}

struct CorrectionRow {
    const char* guards;
    Single width;
    Single height;
    bool minimised;
    int expectedKind;  // index into LayoutStep
    Single expectedSize;
};

TEST(FormLayout, SizesBelowTheMinimumAreCorrectedHeightFirst) {
    const CorrectionRow rows[] = {
        {"6000 x 4000: the height first", 6000, 4000, false, 1, 5280},
        {"6000 x 5280: then the width", 6000, 5280, false, 2, 8400},
        {"one twip too low", 8400, 5279, false, 1, 5280},
        {"one twip too narrow", 8399, 5280, false, 2, 8400},
        {"minimised: nothing moves, whatever the size", 1000, 300, true, 0, 0},
        {"minimised at a normal size", 9000, 6000, true, 0, 0},
    };
    for (const auto& row : rows) {
        const LayoutStep step = layoutFor(row.width, row.height, row.minimised);
        ASSERT_EQ(static_cast<int>(step.index()), row.expectedKind) << row.guards;
        if (const auto* h = std::get_if<SetWindowHeight>(&step)) {
            EXPECT_EQ(h->height, row.expectedSize) << row.guards;
        }
        if (const auto* w = std::get_if<SetWindowWidth>(&step)) {
            EXPECT_EQ(w->width, row.expectedSize) << row.guards;
        }
    }
}

TEST(FormLayout, TheWholeCorrectionSequenceEndsLaidOutAtTheMinimum) {
    Single w = 6000;
    Single h = 4000;
    std::vector<int> kinds;
    for (int pass = 0; pass < 5; ++pass) {
        const LayoutStep step = layoutFor(w, h, false);
        kinds.push_back(static_cast<int>(step.index()));
        if (const auto* sh = std::get_if<SetWindowHeight>(&step)) {
            h = sh->height;
        } else if (const auto* sw = std::get_if<SetWindowWidth>(&step)) {
            w = sw->width;
        } else {
            break;
        }
    }
    EXPECT_EQ(kinds, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(w, 8400.0F);
    EXPECT_EQ(h, 5280.0F);
}
