#include <gtest/gtest.h>

#include <sys/resource.h>
#include <algorithm>

#include "grid/grid_generation.h"
#include "grid/hex_numbers.h"
#include "grid/number_stamps.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

HexNumbering numbering(NumberFormat format, QString pattern = {}) {
    HexNumbering n;
    n.enabled = true;
    n.format = format;
    n.pattern = std::move(pattern);
    return n;
}

GridOptions sized(double hexPixels, GridOrientation orientation = GridOrientation::Rows) {
    GridOptions options;
    options.orientation = orientation;
    options.hexPixels = hexPixels;
    return options;
}

}  // namespace

TEST(HexNumbers, LabelsFollowTheirFormat) {
    struct Row {
        const char* guards;
        HexNumbering numbering;
        int column, row, columnWidth, rowWidth;
        QString label;
    };
    const Row rows[] = {
        {"column then row, two digits each", numbering(NumberFormat::Joined), 14, 2, 2, 2, "1402"},
        {"three digits once a count passes 99", numbering(NumberFormat::Joined), 7, 105, 2, 3,
         "07105"},
        {"with a dot", numbering(NumberFormat::Dotted), 3, 9, 2, 2, "03.09"},
        {"letters for columns", numbering(NumberFormat::Letters), 3, 12, 2, 2, "C12"},
        {"letters past Z", numbering(NumberFormat::Letters), 28, 1, 2, 2, "AB1"},
        {"plain numbers with a comma", numbering(NumberFormat::Comma), 5, 17, 2, 2, "5,17"},
        {"a pattern with padding and letters", numbering(NumberFormat::Pattern, "{C}-{r:3} ({c})"),
         27, 4, 2, 2, "AA-004 (27)"},
        {"unknown fields stay as typed", numbering(NumberFormat::Pattern, "{x}{c:}{r}"), 1, 2, 2, 2,
         "{x}{c:}2"},
        {"a first number of 0 keeps digits", numbering(NumberFormat::Letters), 0, 0, 2, 2, "00"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(hexLabel(row.numbering, row.column, row.row, row.columnWidth, row.rowWidth),
                  row.label)
            << row.guards;
    }
    EXPECT_EQ(columnLetters(26), "Z");
    EXPECT_EQ(columnLetters(702), "ZZ");
    EXPECT_EQ(columnLetters(703), "AAA");
    EXPECT_EQ(paddedWidth(99), 2);
    EXPECT_EQ(paddedWidth(100), 3);
}

// A 400 x 300 picture with 100-pixel hexes: rows of centres at y = 28.87 + 86.6 j.
TEST(HexNumbers, EveryHexWhoseCentreIsOnThePictureIsCountedFromItsCorner) {
    struct Row {
        const char* guards;
        GridOptions options;
        NumberOrigin origin;
        int first;
        QPointF centre;  // of the hex looked at
        int column, row;
        size_t count;
    };
    using enum NumberOrigin;
    const GridOptions rowsOf100 = sized(100);
    const GridOptions columnsOf100 = sized(100, GridOrientation::Columns);
    // clang-format off
    const Row rows[] = {
        {"top-left: the first row's first hex", rowsOf100, TopLeft, 1, {0, 28.8675}, 1, 1, 16},
        {"an unshifted row's hexes sit between the shifted ones'", rowsOf100, TopLeft, 1,
         {150, 115.4695}, 2, 2, 16},
        {"bottom-left counts rows upwards", rowsOf100, BottomLeft, 1, {0, 28.8675}, 1, 4, 16},
        {"the first number may be 0", rowsOf100, TopLeft, 0, {100, 28.8675}, 1, 0, 16},
        {"columns: numbered left to right, rows down each column", columnsOf100, TopLeft, 1,
         {115.4695, 50}, 2, 1, 15},
    };
    // clang-format on
    for (const Row& row : rows) {
        const GridLayout layout = layoutGrid(400, 300, 5, 100, row.options);
        HexNumbering n = numbering(NumberFormat::Joined);
        n.origin = row.origin;
        n.first = row.first;
        const std::vector<NumberedHex> hexes = numberedHexes(layout, 400, 300, n);
        EXPECT_EQ(hexes.size(), row.count) << row.guards;
        const auto hex = std::find_if(hexes.begin(), hexes.end(), [&](const NumberedHex& h) {
            return std::abs(h.centre.x() - row.centre.x()) < 1e-6 &&
                   std::abs(h.centre.y() - row.centre.y()) < 1e-6;
        });
        ASSERT_NE(hex, hexes.end()) << row.guards;
        EXPECT_EQ(hex->column, row.column) << row.guards;
        EXPECT_EQ(hex->row, row.row) << row.guards;
        for (const NumberedHex& h : hexes) {
            EXPECT_TRUE(QRectF(0, 0, 400, 300).contains(h.centre)) << row.guards;
        }
    }
}

// Numbers are drawn inside their hexes, next to nothing else: the lines stay as they were.
TEST(HexNumbers, NumbersLandInsideTheirHexesAndLeaveTheLinesAlone) {
    QImage white(400, 300, QImage::Format_RGB32);
    white.fill(Qt::white);
    const GridPen pen{1, Qt::black};
    PictureBox lines(0, 0);
    lines.setPicture(Picture(white));
    ASSERT_EQ(drawGridOn(lines, {100, 25}, pen).failure, GridFailure::None);
    PictureBox numbered(0, 0);
    numbered.setPicture(Picture(white));
    HexNumbering n = numbering(NumberFormat::Joined);
    n.colour = QColor(Qt::red);
    n.halo = NumberHalo::White;
    const GridOutcome outcome = drawGridOn(numbered, {100, 25}, pen, {}, n);
    ASSERT_FALSE(outcome.numbersLeftOut.has_value());
    const QImage a = lines.Image().image();
    const QImage b = numbered.Image().image();
    const GridLayout layout = layoutGrid(400, 300, 25, 100, {});
    int changed = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (a.pixel(x, y) == b.pixel(x, y)) {
                continue;
            }
            ++changed;
            EXPECT_NE(a.pixel(x, y), qRgb(0, 0, 0))
                << "a number covered a line at " << x << "," << y;
            // The nearest centre is less than a label's reach away, above it (top position).
            double nearest = 1e9;
            for (const NumberedHex& hex : numberedHexes(layout, 400, 300, n)) {
                nearest = std::min(nearest, QLineF(hex.centre, QPointF(x, y)).length());
            }
            ASSERT_LT(nearest, 45) << "a number pixel far from every centre at " << x << "," << y;
        }
    }
    EXPECT_GT(changed, 15 * 30) << "fifteen labels were drawn";
}

TEST(HexNumbers, NumbersTooSmallToReadAreLeftOutWithTheSizeThatWouldHoldThem) {
    QImage white(300, 200, QImage::Format_RGB32);
    white.fill(Qt::white);
    struct Row {
        const char* guards;
        double hexPixels;
        std::optional<double> points;
        std::optional<double> smallestHex;  // when left out
    };
    // 20% of the hex: 6 pixels of text need hexes of 30 pixels; 4.5 points are 6 pixels.
    const Row rows[] = {
        {"at the limit", 30, std::nullopt, std::nullopt},
        {"one step below", 29.9, std::nullopt, 30},
        {"points at the limit", 40, 4.5, std::nullopt},
        {"points one step below, whatever the hex", 400, 4.4, 0},
    };
    for (const Row& row : rows) {
        PictureBox box(0, 0);
        box.setPicture(Picture(white));
        HexNumbering n = numbering(NumberFormat::Comma);
        n.sizePoints = row.points;
        const GridOutcome outcome =
            drawGridOn(box, {100, 5}, {1, Qt::black}, sized(row.hexPixels), n);
        ASSERT_EQ(outcome.numbersLeftOut.has_value(), row.smallestHex.has_value()) << row.guards;
        if (outcome.numbersLeftOut) {
            EXPECT_EQ(outcome.numbersLeftOut->smallestHex, *row.smallestHex) << row.guards;
        }
    }
}

// Hexes of a pixel on a 4000 x 4000 map: their sixteen million labels, gigabytes, would be
// made only to be left out.
TEST(HexNumbers, NumbersThatCannotFitAreLeftOutBeforeAnyLabelIsMade) {
    const auto peakMegabytes = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss / 1024;
    };
    const GridLayout layout = layoutGrid(4000, 4000, 5, 100, sized(1));
    const long before = peakMegabytes();
    const NumberPlan plan = planNumbers(layout, 4000, 4000, numbering(NumberFormat::Joined));
    EXPECT_LT(peakMegabytes() - before, 100);
    ASSERT_TRUE(plan.leftOut.has_value());
    EXPECT_GT(plan.leftOut->smallestHex, 30) << "8 digits are wider than 20% of a hex";
}

// The top-left hex on the map is the first number whatever the offset: the offset moves the
// grid, not the numbering (a 400 x 300 picture, 100-pixel hexes).
TEST(HexNumbers, TheFirstHexOnTheMapIsNumberedFirstWhateverTheOffset) {
    using enum GridOrientation;
    for (const GridOrientation orientation : {Rows, Columns}) {
        for (const double offset : {-60.0, -30.0, -0.5, 0.0, 30.0, 45.5, 99.0}) {
            GridOptions options = sized(100, orientation);
            options.offsetX = offset;
            options.offsetY = offset / 3;
            const GridLayout layout = layoutGrid(400, 300, 5, 100, options);
            const std::vector<NumberedHex> hexes =
                numberedHexes(layout, 400, 300, numbering(NumberFormat::Joined));
            ASSERT_FALSE(hexes.empty());
            // The first hex of the first line with a centre on the map.
            const auto before = [&](const NumberedHex& a, const NumberedHex& b) {
                const QPointF pa = a.centre, pb = b.centre;
                return orientation == Rows ? std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x())
                                           : std::pair(pa.x(), pa.y()) < std::pair(pb.x(), pb.y());
            };
            const NumberedHex first = *std::min_element(hexes.begin(), hexes.end(), before);
            EXPECT_EQ(first.column, 1) << int(orientation) << " at " << offset;
            EXPECT_EQ(first.row, 1) << int(orientation) << " at " << offset;
            for (const NumberedHex& hex : hexes) {
                EXPECT_GE(hex.column, 1) << "nothing numbered before the first";
                EXPECT_GE(hex.row, 1) << "nothing numbered before the first";
            }
        }
    }
}
