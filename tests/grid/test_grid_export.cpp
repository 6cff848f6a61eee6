#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cmath>
#include <map>
#include <vector>

#include "grid/grid_export.h"
#include "grid/grid_generation.h"
#include "grid/grid_layout.h"
#include "grid/grid_messages.h"
#include "support/file_size_limit.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
const GridSizes kSizes{8, 2};  // hexes 40 pixels across

struct Setting {
    const char* guards;
    GridPen pen;
    GridOptions options;
    HexNumbering numbering;
};

// Black lines have the colour of one of the two backgrounds the grid is told apart from.
const Setting kSettings[] = {
    {"the button's grid in black", {3, QColor(Qt::black)}, {}, {}},
    {"a fitted grid in columns moved by fractions, numbered with a halo and escapes",
     {2, QColor(0, 0, 128)},
     {.orientation = GridOrientation::Columns, .offsetX = 3.3, .offsetY = 1.7, .hexPixels = 41.5},
     {.enabled = true,
      .format = NumberFormat::Pattern,
      .pattern = "{c}<{r}&",
      .sizePoints = 9,
      .colour = QColor(255, 200, 0),
      .halo = NumberHalo::White}},
};

// What the Generate Hex Grid button draws over `map`; `lines` gets x1, y1, x2, y2 of each line.
QImage buttonPicture(const QImage& map, const Setting& s, std::vector<double>* lines = nullptr) {
    PictureBox box(0, 0);
    box.setPicture(Picture(map));
    if (lines != nullptr) {
        box.watchLines([lines](QPointF a, QPointF b) {
            lines->insert(lines->end(), {a.x(), a.y(), b.x(), b.y()});
        });
    }
    EXPECT_EQ(drawGridOn(box, kSizes, s.pen, s.options, s.numbering).failure, GridFailure::None);
    return box.Image().image();
}

}  // namespace

TEST(GridOnlyImage, LaidOverAMapItIsTheButtonsPictureAndClearOffTheLines) {
    const QImage map = makeMap(kWidth, kHeight);
    for (const Setting& s : kSettings) {
        const QImage grid = gridOnlyImage(kWidth, kHeight, kSizes, s.pen, s.options, s.numbering);
        ASSERT_FALSE(grid.isNull()) << s.guards;
        QImage composite = map.copy();
        QPainter(&composite).drawImage(0, 0, grid);
        const QImage button = buttonPicture(map, s);
        // Lines are exact; a number's antialiased edge is blended twice, each rounded.
        const int tolerance = s.numbering.enabled ? 1 : 0;
        int wrong = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            const QPoint p(i % kWidth, i / kWidth);
            const QRgb a = composite.pixel(p), b = button.pixel(p);
            const int alpha = qAlpha(grid.pixel(p));
            const int distance =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
            wrong += distance > (alpha == 255 ? 0 : tolerance) ? 1 : 0;
            // Lines alone are opaque where they change the map and clear everywhere else.
            wrong += !s.numbering.enabled && alpha != (b != map.pixel(p) ? 255 : 0) ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0) << s.guards;
    }
}

TEST(GridSvg, HoldsEveryLineTheButtonDrawsAndEveryNumber) {
    ScratchDir dir;
    for (const Setting& s : kSettings) {
        const QString path = dir.path("grid.svg");
        ASSERT_EQ(writeGridSvg(path, kWidth, kHeight, kSizes, s.pen, s.options, s.numbering).error,
                  QString())
            << s.guards;
        QXmlStreamReader xml(readBytes(path));
        QStringList size;                               // width, height, viewBox
        std::vector<double> lines;                      // x1, y1, x2, y2 of each
        std::map<QString, std::vector<QString>> texts;  // by group
        QString group;
        while (!xml.atEnd()) {
            const bool start = xml.readNext() == QXmlStreamReader::StartElement;
            const QStringView name = start ? xml.name() : QStringView();
            const QXmlStreamAttributes a = xml.attributes();
            if (name == u"svg") {
                size = QStringList{a.value("width").toString(), a.value("height").toString(),
                                   a.value("viewBox").toString()};
            } else if (name == u"g") {
                group = a.value("id").toString();
            } else if (name == u"line") {
                for (const char* end : {"x1", "y1", "x2", "y2"}) {
                    lines.push_back(a.value(end).toDouble());
                }
            } else if (name == u"text") {
                texts[group].push_back(xml.readElementText());
            }
        }
        EXPECT_FALSE(xml.hasError()) << s.guards << ": " << xml.errorString().toStdString();
        EXPECT_EQ(size, QStringList({"160", "120", "0 0 160 120"})) << s.guards;
        std::vector<double> watched;
        buttonPicture(makeMap(kWidth, kHeight), s, &watched);
        ASSERT_EQ(lines.size(), watched.size()) << s.guards;
        ASSERT_GT(watched.size(), 4U * 40) << s.guards;
        int misplaced = 0;
        for (size_t k = 0; k < watched.size(); ++k) {
            // The raster names a pixel by its centre, the drawing by its corner.
            misplaced += std::abs(lines[k] - watched[k] - 0.5) <= 0.0005 ? 0 : 1;
        }
        EXPECT_EQ(misplaced, 0) << s.guards;
        const GridLayout layout =
            layoutGrid(kWidth, kHeight, kSizes.hexSize, kSizes.mapSize, s.options);
        const NumberPlan plan = planNumbers(layout, kWidth, kHeight, s.numbering);
        const auto labels = s.numbering.enabled ? plan.labels : std::vector<QString>();
        EXPECT_EQ(labels.size() > 4, s.numbering.enabled) << s.guards;
        EXPECT_EQ(texts["numbers"], labels) << s.guards;
        EXPECT_EQ(texts["halo"], labels) << s.guards;  // every numbered setting has a halo
    }
}

// Labels are written as they are made, however the pattern came to hold what XML cannot:
// the drawing stays well-formed, such characters written as U+FFFD.
TEST(GridSvg, StaysWellFormedWhateverTheLabelsHold) {
    ScratchDir dir;
    HexNumbering numbering;
    numbering.enabled = true;
    numbering.format = NumberFormat::Pattern;
    numbering.pattern = "{c}" + QString(QChar(0x01)) + "<\t" + QChar(0xFFFE) + "{r}";
    numbering.sizePoints = 9;
    const QString path = dir.path("grid.svg");
    ASSERT_TRUE(
        writeGridSvg(path, 600, 400, kSizes, {1, Qt::black}, {.hexPixels = 150}, numbering));
    QXmlStreamReader xml(readBytes(path));
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(readBytes(path).contains(">1\uFFFD&lt;\t\uFFFD1</text>"));
}

TEST(GridSvg, AFailedWriteSaysWhyAndLeavesTheOldFile) {
    ScratchDir dir;
    const QString path = writeBytes(dir.path("grid.svg"), "the old grid");
    QString failure;
    {
        const FileSizeLimit fullDisk(4096);  // a disk that fills up part way
        failure = writeGridSvg(path, 400, 300, {4, 0.1}, {1, Qt::black}, {}, {}).error;
    }
    EXPECT_EQ(failure, QString("File too large"));
    EXPECT_EQ(readBytes(path), QByteArray("the old grid"));
    EXPECT_EQ(QDir(dir.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"grid.svg"});
}

// Dashes at 40% in a colour of their own: 40% of 255, 102, is the alpha of exactly the pixels
// the button's dashes cover, in the colour premultiplied by it; every other pixel is clear.
TEST(GridOnlyImage, ATranslucentGridHasItsOpacityAsItsLinesAlpha) {
    const QImage map = makeMap(kWidth, kHeight);
    Setting dashes{"", {3, QColor(Qt::black)}, {}, {}};
    dashes.options.lineColour = QColor(90, 60, 30);
    dashes.options.lineStyle = LineStyle::Dashed;
    const QImage lines = buttonPicture(map, dashes);
    dashes.options.opacity = 40;
    const QImage grid = gridOnlyImage(kWidth, kHeight, kSizes, dashes.pen, dashes.options, {});
    ASSERT_EQ(grid.format(), QImage::Format_ARGB32_Premultiplied);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        const auto* stored = reinterpret_cast<const QRgb*>(grid.constScanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const bool line = lines.pixel(x, y) != map.pixel(x, y);
            wrong += stored[x] != (line ? qRgba(36, 24, 12, 102) : 0U);
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_NE(lines, map);
    QString why;
    EXPECT_TRUE(
        gridOnlyImage(kWidth, kHeight, kSizes, dashes.pen, {.lineStyle = LineStyle::None}, {}, &why)
            .isNull());
    EXPECT_EQ(why, nothingToDrawFact({}));
}

// Each dashed side carries whole periods of its own pattern, with a dash centred on each end;
// the lines are faded as one group, so that no corner is faded twice.
TEST(GridSvg, EachDashedSideCarriesWholePeriodsOfItsOwnPattern) {
    ScratchDir dir;
    const GridOptions options{.hexPixels = 41.5, .opacity = 40, .lineStyle = LineStyle::Dashed};
    ASSERT_TRUE(
        writeGridSvg(dir.path("g.svg"), kWidth, kHeight, kSizes, {3, Qt::black}, options, {}));
    const QString svg = QString::fromUtf8(readBytes(dir.path("g.svg")));
    EXPECT_TRUE(svg.contains("stroke-linecap=\"round\" opacity=\"0.4\">"));
    static const QRegularExpression line(
        R"re(x1="(.+)" y1="(.+)" x2="(.+)" y2="(.+)" )re"
        R"re(stroke-dasharray="(.+) (.+)" stroke-dashoffset="(.+)")re");
    int sides = 0;
    int uneven = 0;
    for (auto it = line.globalMatch(svg); it.hasNext(); ++sides) {
        const QRegularExpressionMatch m = it.next();
        const auto v = [&m](int k) { return m.captured(k).toDouble(); };
        const double periods = std::hypot(v(3) - v(1), v(4) - v(2)) / (v(5) + v(6));
        uneven += std::abs(periods - std::round(periods)) > 1e-3 * periods ||
                  std::abs(v(7) - v(5) / 2) > 1e-3;
    }
    EXPECT_GT(sides, 30);
    EXPECT_EQ(uneven, 0);
}
