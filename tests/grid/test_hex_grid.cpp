#include <gtest/gtest.h>

#include <vector>

#include "grid/hex_grid.h"

using namespace tessara;

namespace {

struct Segment {
    QPointF from;
    QPointF to;
    friend bool operator==(const Segment&, const Segment&) = default;
};

void PrintTo(const Segment& s, std::ostream* os) {
    *os << "(" << s.from.x() << ", " << s.from.y() << ")-(" << s.to.x() << ", " << s.to.y() << ")";
}

QPointF at(Single x, Single y) {
    return {x, y};
}

// A box in pixels over a white picture that records every line drawn on it.
class Surface {
  public:
    explicit Surface(int width = 200, int height = 200) : box(0, 0) {
        QImage white(width, height, QImage::Format_RGB32);
        white.fill(Qt::white);
        box.setPicture(Picture(white));
        box.setScaleMode(ScaleMode::Pixels);
        box.watchLines([this](QPointF from, QPointF to) { lines.push_back({from, to}); });
    }
    PictureBox box;
    std::vector<Segment> lines;
};

}  // namespace

TEST(DrawHex, AnOutlineIsOnePathOfFiveLinesLeavingOutTheLeftFlat) {
    Surface s;
    draw_hex(s.box, -50, 0, 100, 0);
    const std::vector<Segment> expected = {
        {at(-50, 57.735F), at(0, 86.603F)}, {at(0, 86.603F), at(50, 57.735F)},
        {at(50, 57.735F), at(50, 0)},       {at(50, 0), at(0, -28.868F)},
        {at(0, -28.868F), at(-50, 0)},
    };
    EXPECT_EQ(s.lines, expected);
    EXPECT_EQ(s.box.currentPoint(), at(-50, 0))
        << "the path ends at the upper end of the left flat";
}

TEST(DrawHex, AFlatOnlyCellIsTheRightFlatDrawnUpwards) {
    for (const Integer flatOnly : {Integer{1}, Integer{2}, Integer{-1}}) {
        Surface s;
        draw_hex(s.box, 0, 87, 100, flatOnly);
        const std::vector<Segment> expected = {{at(100, 144.736F), at(100, 87)}};
        EXPECT_EQ(s.lines, expected) << "flatOnly " << flatOnly;
        EXPECT_EQ(s.box.currentPoint(), at(100, 87)) << "flatOnly " << flatOnly;
    }
}

TEST(DrawHex, EachCoordinateIsRoundedToSinglePrecision) {
    Surface s;
    draw_hex(s.box, 1000001, 7, 83.37838F, 0);
    ASSERT_EQ(s.lines.size(), 5U);
    const double s83 = 83.37838F;
    EXPECT_EQ(s.lines[0].from.y(), static_cast<double>(static_cast<Single>(7 + s83 * 0.57735)));
    EXPECT_EQ(s.lines[0].to.x(), static_cast<double>(static_cast<Single>(1000001 + s83 * 0.5)));
    EXPECT_EQ(s.lines[3].to.y(), static_cast<double>(static_cast<Single>(7 - s83 * 0.28868)));
    EXPECT_EQ(s.lines[4].to.x(), 1000001.0) << "x passes without offset, as a Single";
}

TEST(DrawHex, DrawsThePensColourOnlyAlongTheOutline) {
    Surface s;
    s.box.setForeColor(QColor(128, 0, 0));
    draw_hex(s.box, 50, 60, 100, 0);
    const QImage image = s.box.Image().image();
    const QRgb red = qRgb(128, 0, 0);
    EXPECT_EQ(image.pixel(150, 90), red) << "the right flat";
    EXPECT_EQ(image.pixel(100, 147), red) << "the bottom vertex, 86.603 below the flats";
    EXPECT_EQ(image.pixel(100, 31), red) << "the top vertex, 28.868 above them";
    EXPECT_EQ(image.pixel(50, 90), qRgb(255, 255, 255)) << "the left flat is not drawn";
    EXPECT_EQ(image.pixel(100, 90), qRgb(255, 255, 255)) << "the inside stays as it was";
}

TEST(DrawHex, CellsReachingPastThePictureAreClippedWithoutError) {
    struct Row {
        const char* guards;
        Long x, y;
        QPoint visible;
    } const rows[] = {
        {"a negative x", -50, 20, {50, 40}},
        {"a negative y", 30, -40, {130, 0}},
        {"the top vertex above the picture", 30, 10, {130, 30}},
        {"far below and right", 180, 190, {190, 184}},
    };
    for (const auto& row : rows) {
        Surface s;
        s.box.setDrawWidth(3);
        draw_hex(s.box, row.x, row.y, 100, 0);
        const QImage image = s.box.Image().image();
        EXPECT_EQ(image.size(), QSize(200, 200)) << row.guards;
        EXPECT_EQ(image.pixel(row.visible), qRgb(0, 0, 0)) << row.guards;
    }
}

TEST(DrawGrid, DrawsEveryCellOfThePlanColumnByColumn) {
    Surface s(1000, 800);
    const GridPlan plan = planGrid(1000, 800, 10, 100);
    drawGrid(s.box, plan);
    EXPECT_EQ(s.lines.size(), 72U * 5 + 60U) << "72 outlines and 60 lone flats";
    EXPECT_EQ(s.lines.front(), (Segment{at(-50, 57.735F), at(0, 86.603F)}));
    EXPECT_EQ(s.lines[5], (Segment{at(100, 144.736F), at(100, 87)})) << "then row 2 of column 1";
    EXPECT_EQ(s.lines.back(), (Segment{at(1100, 837.132F), at(1050, 866)}));
}

TEST(QBColor, TheEightColoursOfTheListAreTheDarkHalvesOfThePalette) {
    struct Row {
        const char* entry;
        QRgb rgb;
    } const rows[] = {
        {"black", qRgb(0, 0, 0)},      {"blue", qRgb(0, 0, 128)},
        {"green", qRgb(0, 128, 0)},    {"cyan", qRgb(0, 128, 128)},
        {"red", qRgb(128, 0, 0)},      {"magenta", qRgb(128, 0, 128)},
        {"yellow", qRgb(128, 128, 0)}, {"white", qRgb(192, 192, 192)},
    };
    for (int n = 0; n < 8; ++n) {
        ASSERT_TRUE(QBColor(n).has_value()) << rows[n].entry;
        EXPECT_EQ(QBColor(n)->rgb(), rows[n].rgb) << rows[n].entry;
    }
    EXPECT_FALSE(QBColor(-1).has_value()) << "no selection";
    EXPECT_FALSE(QBColor(8).has_value());
}
