#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QXmlStreamReader>
#include <map>
#include <vector>

#include "grid/grid_export.h"
#include "grid/grid_generation.h"
#include "grid/grid_layout.h"
#include "grid/grid_messages.h"
#include "image/picture_export.h"
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

GridOptions fitted(GridOrientation orientation, double offsetX, double offsetY, double stretch) {
    GridOptions options;
    options.orientation = orientation;
    options.offsetX = offsetX;
    options.offsetY = offsetY;
    options.stretch = stretch;
    return options;
}

HexNumbering numbers(NumberHalo halo, std::optional<QColor> colour = {}, QString pattern = {}) {
    HexNumbering numbering;
    numbering.enabled = true;
    numbering.sizePercent = 30;
    numbering.halo = halo;
    numbering.colour = colour;
    if (!pattern.isEmpty()) {
        numbering.format = NumberFormat::Pattern;
        numbering.pattern = pattern;
    }
    return numbering;
}

const Setting kSettings[] = {
    {"the button's grid in red", {1, QColor(128, 0, 0)}, {}, {}},
    {"black lines, the colour of one background", {3, QColor(Qt::black)}, {}, {}},
    {"white lines, the colour of the other", {5, QColor(Qt::white)}, {}, {}},
    {"a fitted grid in columns, moved by fractions",
     {2, QColor(0, 0, 128)},
     fitted(GridOrientation::Columns, 3.3, 1.7, 1.2),
     {}},
    {"numbers with a white halo",
     {1, QColor(0, 128, 0)},
     fitted(GridOrientation::Rows, 5, 2.5, 1),
     numbers(NumberHalo::White)},
    {"numbers of their own colour with a black halo, a pattern needing escapes",
     {2, QColor(128, 0, 128)},
     {},
     numbers(NumberHalo::Black, QColor(255, 200, 0), "{c}<{r}&")},
};

bool hasNumbers(const Setting& s) {
    return s.numbering.enabled;
}

// What the Generate Hex Grid button draws over `map`, with every line it hands the box.
QImage buttonPicture(const QImage& map, const Setting& s,
                     std::vector<std::pair<QPointF, QPointF>>* lines = nullptr) {
    PictureBox box(0, 0);
    box.setPicture(Picture(map));
    if (lines != nullptr) {
        box.watchLines([lines](QPointF from, QPointF to) { lines->emplace_back(from, to); });
    }
    EXPECT_EQ(drawGridOn(box, kSizes, s.pen, s.options, s.numbering).failure, GridFailure::None)
        << s.guards;
    return box.Image().image();
}

QImage whiteMap() {
    QImage white(kWidth, kHeight, QImage::Format_RGB32);
    white.fill(Qt::white);
    return white;
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

struct SvgContent {
    bool wellFormed = false;
    QXmlStreamAttributes root;
    std::map<QString, QXmlStreamAttributes> groups;
    std::vector<std::array<double, 4>> lines;
    std::map<QString, std::vector<std::pair<QPointF, QString>>> texts;  // by group
};

SvgContent readSvg(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    SvgContent svg;
    QString group;
    const auto number = [&xml](const char* name) {
        return xml.attributes().value(QLatin1String(name)).toDouble();
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QStringView name = xml.name();
        if (name == u"svg") {
            svg.root = xml.attributes();
        } else if (name == u"g") {
            group = xml.attributes().value("id").toString();
            svg.groups[group] = xml.attributes();
        } else if (name == u"line") {
            svg.lines.push_back({number("x1"), number("y1"), number("x2"), number("y2")});
        } else if (name == u"text") {
            const QPointF at(number("x"), number("y"));
            svg.texts[group].emplace_back(at, xml.readElementText());
        }
    }
    svg.wellFormed = !xml.hasError();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line "
                                 << xml.lineNumber();
    return svg;
}

}  // namespace

TEST(GridOnlyImage, LaidOverTheMapItIsTheButtonsPicture) {
    const QImage map = makeMap(kWidth, kHeight);
    for (const Setting& s : kSettings) {
        QString why;
        const QImage grid =
            gridOnlyImage(kWidth, kHeight, kSizes, s.pen, s.options, s.numbering, &why);
        ASSERT_FALSE(grid.isNull()) << s.guards << ": " << why.toStdString();
        EXPECT_EQ(grid.format(), QImage::Format_ARGB32_Premultiplied) << s.guards;
        QImage composite = map.copy();
        QPainter(&composite).drawImage(0, 0, grid);
        const QImage button = buttonPicture(map, s);
        // Lines are exact; a number's antialiased edge is blended twice, each rounded.
        const int tolerance = hasNumbers(s) ? 1 : 0;
        int worst = 0;
        int lineMismatches = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int distance = channelDistance(composite.pixel(x, y), button.pixel(x, y));
                worst = std::max(worst, distance);
                lineMismatches += qAlpha(grid.pixel(x, y)) == 255 && distance != 0 ? 1 : 0;
            }
        }
        EXPECT_LE(worst, tolerance) << s.guards;
        EXPECT_EQ(lineMismatches, 0) << s.guards;
    }
}

TEST(GridOnlyImage, AsPngItIsClearOffTheLinesAndThePensColourOnThem) {
    ScratchDir dir;
    for (const Setting& s : kSettings) {
        if (hasNumbers(s) || s.pen.colour == Qt::white) {
            continue;  // only lines, visible on a white map, tell drawn from untouched here
        }
        const QImage button = buttonPicture(whiteMap(), s);
        ExportOptions png;
        png.format = "png";
        const QString path = dir.path("grid.png");
        ASSERT_EQ(exportPicture(Picture(gridOnlyImage(kWidth, kHeight, kSizes, s.pen, s.options,
                                                      s.numbering)),
                                path, png),
                  QString())
            << s.guards;
        const QImage back = QImageReader(path).read();
        ASSERT_EQ(back.size(), QSize(kWidth, kHeight)) << s.guards;
        ASSERT_TRUE(back.hasAlphaChannel()) << s.guards;
        int clear = 0;
        int drawn = 0;
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const QRgb pixel = back.pixel(x, y);
                if (button.pixel(x, y) == qRgb(255, 255, 255)) {
                    ++clear;
                    wrong += qAlpha(pixel) == 0 ? 0 : 1;
                } else {
                    ++drawn;
                    wrong += pixel == s.pen.colour.rgba() ? 0 : 1;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << s.guards;
        EXPECT_GT(clear, drawn) << s.guards;
        EXPECT_GT(drawn, kWidth) << s.guards;
    }
}

TEST(GridOnlyImage, RefusesWhatTheButtonRefusesInItsWords) {
    struct Row {
        const char* guards;
        int width;
        GridSizes sizes;
        QString why;
    };
    const Row rows[] = {
        {"a map 0 pixels wide", 0, kSizes, emptyMapPictureMessage().prompt},
        {"32767 columns of hexes", 32765 * 4, {32765, 1}, tooManyHexesMessage().prompt},
    };
    for (const Row& row : rows) {
        QString why;
        EXPECT_TRUE(gridOnlyImage(row.width, 2, row.sizes, {1, Qt::black}, {}, {}, &why).isNull())
            << row.guards;
        EXPECT_EQ(why, row.why) << row.guards;
        ScratchDir dir;
        EXPECT_EQ(
            writeGridSvg(dir.path("grid.svg"), row.width, 2, row.sizes, {1, Qt::black}, {}, {}),
            row.why)
            << row.guards;
        EXPECT_FALSE(QFileInfo::exists(dir.path("grid.svg"))) << row.guards;
    }
}

TEST(GridSvg, HoldsEveryLineTheButtonDrawsAndEveryNumber) {
    ScratchDir dir;
    for (const Setting& s : kSettings) {
        const QString path = dir.path("grid.svg");
        ASSERT_EQ(writeGridSvg(path, kWidth, kHeight, kSizes, s.pen, s.options, s.numbering),
                  QString())
            << s.guards;
        const SvgContent svg = readSvg(path);
        ASSERT_TRUE(svg.wellFormed) << s.guards;
        EXPECT_EQ(svg.root.value("width"), QString::number(kWidth)) << s.guards;
        EXPECT_EQ(svg.root.value("height"), QString::number(kHeight)) << s.guards;
        EXPECT_EQ(svg.root.value("viewBox"), QString("0 0 160 120")) << s.guards;
        const QXmlStreamAttributes& grid = svg.groups.at("grid");
        EXPECT_EQ(grid.value("stroke"), s.pen.colour.name()) << s.guards;
        EXPECT_EQ(grid.value("stroke-width"), QString::number(s.pen.width)) << s.guards;
        EXPECT_EQ(grid.value("stroke-linecap"), QString("round")) << s.guards;

        std::vector<std::pair<QPointF, QPointF>> watched;
        buttonPicture(whiteMap(), s, &watched);
        ASSERT_EQ(svg.lines.size(), watched.size()) << s.guards;
        int misplaced = 0;
        for (size_t k = 0; k < watched.size(); ++k) {
            // The raster names a pixel by its centre, the drawing by its corner.
            const double drawn[4] = {watched[k].first.x(), watched[k].first.y(),
                                     watched[k].second.x(), watched[k].second.y()};
            for (int c = 0; c < 4; ++c) {
                misplaced += std::abs(svg.lines[k][c] - (drawn[c] + 0.5)) <= 0.0005 ? 0 : 1;
            }
        }
        EXPECT_EQ(misplaced, 0) << s.guards;

        const GridLayout layout =
            layoutGrid(kWidth, kHeight, kSizes.hexSize, kSizes.mapSize, s.options);
        const NumberPlan plan = planNumbers(layout, kWidth, kHeight, s.numbering);
        const auto texts = [&svg](const char* group) {
            const auto found = svg.texts.find(group);
            return found == svg.texts.end() ? std::vector<std::pair<QPointF, QString>>()
                                            : found->second;
        };
        const size_t expected = hasNumbers(s) ? plan.hexes.size() : 0;
        EXPECT_EQ(texts("numbers").size(), expected) << s.guards;
        const bool halo = hasNumbers(s) && s.numbering.halo != NumberHalo::None;
        EXPECT_EQ(texts("halo").size(), halo ? expected : 0) << s.guards;
        if (expected > 0) {
            ASSERT_GT(expected, 4U) << s.guards;
            EXPECT_EQ(texts("numbers").front().second, plan.labels.front()) << s.guards;
            EXPECT_EQ(texts("numbers").back().second, plan.labels.back()) << s.guards;
            const QPointF middle =
                labelMiddle(layout, s.numbering, plan.hexes.front().centre, plan.textHeight);
            EXPECT_NEAR(texts("numbers").front().first.x(), middle.x(), 0.0005) << s.guards;
            const QXmlStreamAttributes& group = svg.groups.at("numbers");
            EXPECT_EQ(group.value("fill"), s.numbering.colour.value_or(s.pen.colour).name());
            EXPECT_EQ(group.value("font-family"), QString("DejaVu Sans"));
            EXPECT_EQ(group.value("text-anchor"), QString("middle"));
        }
    }
}

TEST(GridSvg, AFailedWriteSaysWhyAndLeavesTheOldFile) {
    struct Row {
        const char* guards;
        const char* name;
        rlim_t sizeLimit;
        const char* reason;
    };
    const Row rows[] = {
        {"a folder that does not exist", "gone/grid.svg", 0, "No such file or directory"},
        {"a disk that fills up part way", "grid.svg", 4096, "File too large"},
    };
    for (const Row& row : rows) {
        ScratchDir dir;
        const QString path = dir.path(row.name);
        if (QFileInfo(path).dir().exists()) {
            writeBytes(path, "the old grid");
        }
        QString failure;
        {
            std::optional<FileSizeLimit> limit;
            if (row.sizeLimit > 0) {
                limit.emplace(row.sizeLimit);
            }
            failure = writeGridSvg(path, 400, 300, {4, 0.1}, {1, Qt::black}, {}, {});
        }
        EXPECT_EQ(failure, QString(row.reason)) << row.guards;
        if (QFileInfo(path).dir().exists()) {
            EXPECT_EQ(readBytes(path), QByteArray("the old grid")) << row.guards;
            EXPECT_EQ(QDir(dir.root()).entryList(QDir::Files | QDir::Hidden),
                      QStringList{"grid.svg"})
                << row.guards;
        } else {
            EXPECT_FALSE(QFileInfo::exists(path)) << row.guards;
        }
    }
}
