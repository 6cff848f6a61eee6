#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <algorithm>
#include <cmath>

#include "print/scale_tiles.h"

using namespace tessara;

namespace {

constexpr double k300Dpi = 300 / 25.4;  // pixels per mm

// 10 px per mm on a page whose map area is 200 x 200 mm: 2000 px shown, 1900 px a step.
TileRequest tenPerMm(int width, int height) {
    return {QSize(width, height), 10, QSizeF(200, 200 + kFooterMm), 10};
}

TilePlan planOf(const TileRequest& request) {
    TilePlanning planning = planTiles(request);
    EXPECT_TRUE(planning.plan.has_value()) << planning.refusal.toStdString();
    return planning.plan.value_or(TilePlan{});
}

bool near(const QRectF& a, const QRectF& b) {
    const QRectF d(a.topLeft() - b.topLeft(), a.size() - b.size());
    return std::max({std::abs(d.x()), std::abs(d.y()), std::abs(d.width()), std::abs(d.height())}) <
           1e-9;
}

using Span = std::pair<double, double>;  // [first, second) along one side, in pixels

// Every pixel's middle is on one page, or on two where the pages say they share a strip.
void expectCoverage(const std::vector<Span>& pages, const std::vector<Span>& strips, int length) {
    auto within = [](const std::vector<Span>& spans, double at) {
        return std::count_if(spans.begin(), spans.end(),
                             [at](const Span& s) { return s.first <= at && at < s.second; });
    };
    for (int pixel = 0; pixel < length; ++pixel) {
        ASSERT_EQ(within(pages, pixel + 0.5), within(strips, pixel + 0.5) > 0 ? 2 : 1) << pixel;
    }
}

}  // namespace

TEST(ScaleTiles, PlansTheFewestPagesAndTheirParts) {
    struct Row {
        const char* guards;
        TileRequest request;
        int columns, rows;
        QRectF first, last;
        const char* lastLabel;
    } const rows[] = {
        // clang-format off
        {"fits one page exactly", tenPerMm(2000, 2000), 1, 1,
         {0, 0, 2000, 2000}, {0, 0, 2000, 2000}, "A1"},
        {"one pixel more: a column of 101 px", tenPerMm(2001, 2000), 2, 1,
         {0, 0, 2000, 2000}, {1900, 0, 101, 2000}, "B1"},
        {"two full columns", tenPerMm(3900, 2000), 2, 1,
         {0, 0, 2000, 2000}, {1900, 0, 2000, 2000}, "B1"},
        {"both ways over", tenPerMm(3901, 2001), 3, 2,
         {0, 0, 2000, 2000}, {3800, 1900, 101, 101}, "C2"},
        {"27 columns end on AA", tenPerMm(2000 + 26 * 1900, 500), 27, 1,
         {0, 0, 2000, 500}, {26 * 1900, 0, 2000, 500}, "AA1"},
        {"300 dpi, A4 less 5 mm margins", {QSize(5000, 3000), k300Dpi, {200, 287}, 10}, 3, 1,
         {0, 0, 200 * k300Dpi, 3000}, {380 * k300Dpi, 0, 5000 - 380 * k300Dpi, 3000}, "C1"},
        {"no overlap: edge to edge", {QSize(300, 100), 1, QSizeF(100, 58), 0}, 3, 2,
         {0, 0, 100, 50}, {200, 50, 100, 50}, "C2"},
        // clang-format on
    };
    for (const auto& row : rows) {
        const TilePlan plan = planOf(row.request);
        EXPECT_EQ(plan.columns, row.columns) << row.guards;
        EXPECT_EQ(plan.rows, row.rows) << row.guards;
        ASSERT_EQ(plan.tiles.size(), std::size_t(row.columns * row.rows)) << row.guards;
        EXPECT_TRUE(near(plan.tiles.front().source, row.first)) << row.guards;
        EXPECT_TRUE(near(plan.tiles.back().source, row.last)) << row.guards;
        EXPECT_EQ(plan.tiles.back().label, row.lastLabel) << row.guards;
        // Each page's part lands at the printable area's corner, at the plan's scale.
        const QRectF last = plan.tiles.back().map;
        EXPECT_EQ(last.topLeft(), QPointF(0, 0)) << row.guards;
        EXPECT_NEAR(last.width() * row.request.pixelsPerMm, row.last.width(), 1e-9) << row.guards;
    }
}

TEST(ScaleTiles, OnePixelPastAnExactFitNeedsAnotherPage) {
    for (const double scale : {10.0, k300Dpi, 2.5}) {
        for (int n = 1; n <= 5; ++n) {
            // The widest picture n pages show: one map area and n - 1 steps.
            const int fits = static_cast<int>(std::floor((200 + (n - 1) * 190) * scale + 1e-9));
            for (const int size : {fits, fits + 1}) {
                const TilePlan plan = planOf({QSize(size, size), scale, QSizeF(200, 208), 10});
                EXPECT_EQ(plan.columns, size == fits ? n : n + 1) << scale << " " << size;
                EXPECT_EQ(plan.rows, size == fits ? n : n + 1) << scale << " " << size;
            }
        }
    }
}

TEST(ScaleTiles, RefusesWhatCannotBePrinted) {
    const QSize map(1000, 1000);
    struct Row {
        const char* guards;
        TileRequest request;
        const char* says;  // nullptr: the plan is made
    } const rows[] = {
        // clang-format off
        {"overlap equal to the map's height", {map, 1, QSizeF(300, 108), 100}, "less than 100 mm"},
        {"one millimetre less works", {map, 1, QSizeF(300, 108), 99}, nullptr},
        {"overlap equal to the width", {map, 1, QSizeF(150, 300), 150}, "less than 150 mm"},
        {"a negative overlap", {map, 1, QSizeF(200, 200), -1}, "negative"},
        {"no scale", {map, 0, QSizeF(200, 200), 10}, "scale"},
        {"a negative scale", {map, -2, QSizeF(200, 200), 10}, "scale"},
        {"a scale that is not a number", {map, std::nan(""), QSizeF(200, 200), 10}, "scale"},
        {"no picture", {QSize(0, 10), 1, QSizeF(200, 200), 10}, "no picture"},
        {"narrower than the ruler", {map, 1, QSizeF(99.9, 200), 0}, "99.9 mm wide"},
        {"as wide as the ruler", {map, 1, QSizeF(100, 200), 0}, nullptr},
        {"no room under the footer", {map, 1, QSizeF(200, kFooterMm), 0}, "8 mm high"},
        {"a little room under the footer", {map, 100, QSizeF(200, kFooterMm + 0.5), 0}, nullptr},
        // A map area of 100 x 10 mm at 1 px per mm, no overlap.
        {"10,000 pages", {QSize(10000, 1000), 1, QSizeF(100, 18), 0}, nullptr},
        {"one row more", {QSize(10000, 1001), 1, QSizeF(100, 18), 0}, "10100 pages (100 x 101)"},
        {"a page less than a billion", {QSize(1000000, 999990), 1, QSizeF(100, 18), 0},
         "999990000 pages (10000 x 99999)"},
        {"a billion", {QSize(1000000, 1000000), 1, QSizeF(100, 18), 0}, "a billion pages or more"},
        {"pages beyond counting", {map, 1e-310, QSizeF(200, 200), 10}, "a billion pages or more"},
        // clang-format on
    };
    for (const auto& row : rows) {
        const TilePlanning planning = planTiles(row.request);
        EXPECT_EQ(planning.plan.has_value(), row.says == nullptr) << row.guards;
        EXPECT_EQ(planning.refusal.isEmpty(), row.says == nullptr) << row.guards;
        if (row.says != nullptr) {
            EXPECT_TRUE(planning.refusal.contains(QLatin1String(row.says)))
                << row.guards << ": " << planning.refusal.toStdString();
        }
    }
}

TEST(ScaleTiles, EveryPixelIsOnOnePageAndTheOverlapsOnTwo) {
    for (const TileRequest& request :
         {tenPerMm(3901, 5801), TileRequest{QSize(5000, 7000), k300Dpi, QSizeF(200, 287), 10},
          TileRequest{QSize(1234, 987), 1.7, QSizeF(277, 190), 25}}) {
        const TilePlan plan = planOf(request);
        const double scale = request.pixelsPerMm;
        std::vector<Span> columns, rows, columnStrips, rowStrips;
        for (const Tile& tile : plan.tiles) {
            const QRectF& s = tile.source;
            if (tile.row == 0) {
                columns.emplace_back(s.left(), s.right());
                if (!tile.rightOverlap.isEmpty()) {
                    const QRectF& strip = tile.rightOverlap;
                    columnStrips.emplace_back(s.left() + strip.left() * scale,
                                              s.left() + strip.right() * scale);
                }
            }
            if (tile.column == 0) {
                rows.emplace_back(s.top(), s.bottom());
                if (!tile.bottomOverlap.isEmpty()) {
                    const QRectF& strip = tile.bottomOverlap;
                    rowStrips.emplace_back(s.top() + strip.top() * scale,
                                           s.top() + strip.bottom() * scale);
                }
            }
        }
        EXPECT_EQ(columnStrips.size(), std::size_t(plan.columns - 1));
        EXPECT_EQ(rowStrips.size(), std::size_t(plan.rows - 1));
        expectCoverage(columns, columnStrips, request.picture.width());
        expectCoverage(rows, rowStrips, request.picture.height());
    }
}

TEST(ScaleTiles, SpeaksTheUsersWords) {
    const std::pair<QString, const char*> rows[] = {
        {tileLabel(0, 0), "A1"},
        {tileLabel(1, 2), "B3"},
        {tileLabel(25, 0), "Z1"},
        {tileLabel(26, 0), "AA1"},
        {tileLabel(27, 9), "AB10"},
        {tileLabel(52, 0), "BA1"},
        {tileLabel(701, 0), "ZZ1"},
        {tileLabel(702, 0), "AAA1"},
        {hexScaleText(16, LengthUnit::Millimetre), "16 mm hexes"},
        {hexScaleText(12.5, LengthUnit::Millimetre), "12.5 mm hexes"},
        {hexScaleText(0.63, LengthUnit::Inch), "0.63 in hexes"},
        {dpiScaleText(300), "300 dpi"},
        {describePlan(planOf(tenPerMm(3901, 2001)), "A4", "landscape", "16 mm hexes"),
         "3 x 2 pages, A4 landscape, 16 mm hexes"},
        {describePlan(planOf(tenPerMm(10, 10)), "Letter", "portrait", "300 dpi"),
         "1 page, Letter portrait, 300 dpi"},
    };
    for (const auto& [got, expected] : rows) {
        EXPECT_EQ(got, expected);
    }
    EXPECT_DOUBLE_EQ(scaleForHexSize(40, 16, LengthUnit::Millimetre), 2.5);
    EXPECT_DOUBLE_EQ(scaleForHexSize(127, 0.5, LengthUnit::Inch), 10);
    EXPECT_DOUBLE_EQ(scaleForDpi(254), 10);
    EXPECT_LE(scaleForHexSize(40, 0, LengthUnit::Millimetre), 0);
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5),
                         QPageLayout::Millimeter);
    EXPECT_EQ(printableAreaMm(a4), QSizeF(287, 200));
}
