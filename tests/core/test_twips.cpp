#include <gtest/gtest.h>

#include "core/twips.h"

using namespace tessara;

TEST(TwipsToPixels, FifteenTwipsMakeAPixelAndHalvesGoToEven) {
    EXPECT_EQ(twipsToPixels(15), 1);
    EXPECT_EQ(twipsToPixels(7.5), 0);     // half a pixel, to the even 0
    EXPECT_EQ(twipsToPixels(22.5), 2);    // one and a half, to the even 2
    EXPECT_EQ(twipsToPixels(292.5), 20);  // 19.5
    EXPECT_EQ(twipsToPixels(-15), -1);
    EXPECT_EQ(twipsToPixels(1e12), 16777215) << "clamped to the largest widget size";
}

TEST(ToPixels, ControlsFlushInTwipsStayFlushInPixels) {
    // The viewport and the vertical bar of the minimum-size layout: 200 + 7745 = 7945.
    const QRect viewport = toPixels({200, 200, 7745, 1980});
    const QRect bar = toPixels({7945, 200, 255, 2235});
    EXPECT_EQ(viewport.x() + viewport.width(), bar.x());
    const QRect hbar = toPixels({200, 2180, 7745, 255});
    EXPECT_EQ(viewport.y() + viewport.height(), hbar.y());
}

TEST(ToPixels, NegativeSizesBecomeEmpty) {
    EXPECT_EQ(toPixels({0, 0, -30, -30}).size(), QSize(0, 0));
}
