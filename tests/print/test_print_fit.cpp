#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>

#include "print/print_fit.h"
#include "view/zoom.h"

using namespace tessara;

namespace {

constexpr PageTwips kLetter{12240, 15840};  // 8.5 x 11 inches, portrait

}  // namespace

TEST(PrintFit, FitsTheMapToThePageKeepingItsProportions) {
    struct Row {
        const char* guards;
        PageTwips page;
        Single IW, IH;
        PrintFit expected;
    } const rows[] = {
        {"twice as wide as high on a portrait page: full width, half of it high",
         kLetter,
         9600,
         4800,
         {12240, 6120}},
        {"taller than the page: full height, w = IW x PH / IH", kLetter, 3000, 9000, {5280, 15840}},
        {"the page's own proportions fill the page", kLetter, 6120, 7920, {12240, 15840}},
        // PW / IW and PH / IH differ, but not as Singles: the width rule applies, and its
        // h is one step of a Single short of PH where the height rule would give PH itself.
        {"equal ratios take the width rule",
         kLetter,
         1012,
         1309.64697265625F,
         {12240, 15839.9990234375F}},
        {"a landscape page and a square map: full height",
         {15840, 12240},
         4500,
         4500,
         {12240, 12240}},
        {"a map smaller than the page is enlarged", kLetter, 150, 75, {12240, 6120}},
        {"a width of 1:3 with a fraction", kLetter, 333.33334F, 1000, {5280, 15840}},
    };
    for (const auto& row : rows) {
        const std::optional<PrintFit> fit = fitToPage(row.page, row.IW, row.IH);
        ASSERT_TRUE(fit.has_value()) << row.guards;
        EXPECT_EQ(fit->w, row.expected.w) << row.guards;
        EXPECT_EQ(fit->h, row.expected.h) << row.guards;
    }
}

TEST(PrintFit, EveryZoomPrintsTheSameSize) {
    const Single width = 1234 * kTwipsPerPixel;
    const Single height = 567 * kTwipsPerPixel;
    for (const PageTwips page : {kLetter, PageTwips{16838, 11906}}) {
        const PrintFit normal = *fitToPage(page, width, height);
        for (const Zoom zoom :
             {Zoom::OneToFive, Zoom::OneToThree, Zoom::TwoToOne, Zoom::FiveToOne}) {
            const std::optional<PrintFit> fit =
                fitToPage(page, zoomedSize(zoom, width), zoomedSize(zoom, height));
            ASSERT_TRUE(fit.has_value());
            EXPECT_FLOAT_EQ(fit->w, normal.w) << static_cast<int>(zoom);
            EXPECT_FLOAT_EQ(fit->h, normal.h) << static_cast<int>(zoom);
        }
    }
    const PrintFit small =
        *fitToPage(kLetter, zoomedSize(Zoom::OneToFive, 9600), zoomedSize(Zoom::OneToFive, 4800));
    const PrintFit large =
        *fitToPage(kLetter, zoomedSize(Zoom::FiveToOne, 9600), zoomedSize(Zoom::FiveToOne, 4800));
    EXPECT_EQ(small, large) << "1:5 and 5:1 of a 640 x 320 map";
    EXPECT_EQ(small, (PrintFit{12240, 6120}));
}

TEST(PrintFit, ARatioThatCannotBeFormedGivesNothing) {
    struct Row {
        const char* guards;
        PageTwips page;
        Single IW, IH;
    } const rows[] = {
        {"no width", kLetter, 0, 4800},
        {"no height", kLetter, 9600, 0},
        {"no size at all", kLetter, 0, 0},
        {"a page of no size over an image of no size", {0, 0}, 0, 0},
        {"a quotient beyond a Single", kLetter, 1e-36F, 1},
    };
    for (const auto& row : rows) {
        EXPECT_FALSE(fitToPage(row.page, row.IW, row.IH).has_value()) << row.guards;
    }
}

TEST(PageTwips, IsTheWholePageInTwipsOrientationIncluded) {
    struct Row {
        const char* guards;
        QPageSize size;
        QPageLayout::Orientation orientation;
        PageTwips expected;
    } const rows[] = {
        {"Letter, 8.5 x 11 inches",
         QPageSize(QPageSize::Letter),
         QPageLayout::Portrait,
         {12240, 15840}},
        {"Letter turned", QPageSize(QPageSize::Letter), QPageLayout::Landscape, {15840, 12240}},
        {"A4, 210 x 297 mm, rounded from its millimetres",
         QPageSize(QPageSize::A4),
         QPageLayout::Portrait,
         {11906, 16838}},
        {"A4 turned", QPageSize(QPageSize::A4), QPageLayout::Landscape, {16838, 11906}},
        {"Ledger, defined wider than high",
         QPageSize(QPageSize::Ledger),
         QPageLayout::Portrait,
         {24480, 15840}},
        {"a size of the printer's own in points",
         QPageSize(QSizeF(500.5, 700), QPageSize::Point),
         QPageLayout::Portrait,
         {10010, 14000}},
    };
    for (const auto& row : rows) {
        // Margins do not count: the page is measured with its unprintable border.
        const QPageLayout layout(row.size, row.orientation, QMarginsF(36, 36, 36, 36));
        EXPECT_EQ(pageTwips(layout), row.expected) << row.guards;
    }
}

TEST(TwipsToDevice, ConvertsAtTheDevicesResolution) {
    struct Row {
        const char* guards;
        PrintFit fit;
        double dpiX, dpiY;
        QSizeF expected;
    } const rows[] = {
        {"an inch is the resolution", {1440, 2880}, 1200, 1200, {1200, 2400}},
        {"Letter's width at 600 dpi", {12240, 6120}, 600, 600, {5100, 2550}},
        {"each axis at its own resolution", {1440, 1440}, 300, 600, {300, 600}},
        {"fractions are kept", {100, 10}, 72, 72, {5, 0.5}},
    };
    for (const auto& row : rows) {
        const QSizeF got = twipsToDevice(row.fit, row.dpiX, row.dpiY);
        EXPECT_DOUBLE_EQ(got.width(), row.expected.width()) << row.guards;
        EXPECT_DOUBLE_EQ(got.height(), row.expected.height()) << row.guards;
    }
}
