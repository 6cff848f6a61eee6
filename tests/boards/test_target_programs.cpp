// The boards as the target programs draw them: a made-up scan with a printed grid of known
// placement, turned and stretched, exported by the built program; Tiled's own renderer
// (tmxrasterizer, Debian package tiled) fills the map's tile layer with a hex outline, and
// its lines are measured against the printed ones carried through the straightening.
// VASSAL's grid is worked out from its formulas: centres at x0 + n dx and y0 + k dy (columns
// an odd number away dy / 2 lower), vertices r = 2 dx / 3 either side, x and y swapped
// sideways.
#include <gtest/gtest.h>

#include <QFile>
#include <QLineF>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <cmath>
#include <cstdio>

#include "boards/straightening.h"
#include "support/test_files.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::test;

namespace {

struct Case {
    const char* guards;
    GridOptions grid;
};

GridOptions printed(GridOrientation orientation, double hexPixels, double stretch, double x,
                    double y, ShiftedLines shifted, double rotation, double skew) {
    GridOptions options{orientation, x, y, shifted, stretch, hexPixels};
    options.rotation = rotation;
    options.skew = skew;
    return options;
}

const Case kCases[] = {
    {"rows turned 1.2 degrees and stretched 3%",
     printed(GridOrientation::Rows, 41.37, 1.03, 7.25, -3.5, ShiftedLines::First, 1.2, 0)},
    {"columns turned the other way, leaning and squeezed, the second shifted",
     printed(GridOrientation::Columns, 37.9, 0.98, -5.5, 11.75, ShiftedLines::Second, -0.8, 0.3)},
};

QString number(double value) {
    return QString::number(value, 'g', 17);
}

QStringList gridArguments(const GridOptions& o) {
    return {"--orientation",
            o.orientation == GridOrientation::Rows ? "rows" : "columns",
            "--hex-pixels",
            number(*o.hexPixels),
            "--stretch",
            number(o.stretch),
            "--rotation",
            number(o.rotation),
            "--skew",
            number(o.skew),
            "--offset=" + number(o.offsetX) + "," + number(o.offsetY),
            "--shifted",
            o.shifted == ShiftedLines::First ? "first" : "second"};
}

int runProgram(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.exitCode();
}

// The scan: white paper, black lines 1.5 px wide, nothing else.
QString writeScan(const ScratchDir& dir, const GridOptions& grid) {
    synthetic::ScanRecipe recipe;
    recipe.size = {640, 480};
    recipe.grid = grid;
    recipe.terrain = false;
    recipe.features = false;
    recipe.grain = 0;
    return writeImage(dir.path("scan.png"), synthetic::drawScan(recipe), "PNG");
}

// The printed grid's sides, carried onto the board.
std::vector<QLineF> printedSides(const GridLayout& layout, const Straightening& s) {
    std::vector<QLineF> sides;
    traceGrid(layout, layout.pictureArea(), [&](QPointF from, QPointF to) {
        sides.emplace_back(s.toBoard.map(from), s.toBoard.map(to));
    });
    return sides;
}

double distanceToSegment(QPointF p, const QLineF& side) {
    const QPointF d = side.p2() - side.p1();
    const double length2 = d.x() * d.x() + d.y() * d.y();
    const double t = std::clamp(QPointF::dotProduct(p - side.p1(), d) / length2, 0.0, 1.0);
    return QLineF(p, side.p1() + t * d).length();
}

double nearestSide(QPointF p, const std::vector<QLineF>& sides) {
    double best = INFINITY;
    for (const QLineF& side : sides) {
        best = std::min(best, distanceToSegment(p, side));
    }
    return best;
}

// A hex outline tile of Tiled's geometry: the hexagon its renderer outlines for a tile of
// this size and side, in whole pixels, aliased.
QImage outlineTile(int width, int height, int side, bool columns) {
    QImage tile(width, height, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setPen(QPen(Qt::black, 0));
    const int offX = columns ? (width - side) / 2 : 0;
    const int offY = columns ? 0 : (height - side) / 2;
    const QPolygon hexagon =
        columns
            ? QPolygon({QPoint(offX, 0), QPoint(width - offX, 0), QPoint(width, height / 2),
                        QPoint(width - offX, height), QPoint(offX, height), QPoint(0, height / 2)})
            : QPolygon({QPoint(width / 2, 0), QPoint(width, offY), QPoint(width, height - offY),
                        QPoint(width / 2, height), QPoint(0, height - offY), QPoint(0, offY)});
    painter.drawPolygon(hexagon);
    return tile;
}

// The exported map with a tileset of that tile and every cell of its layer filled.
QByteArray filledMap(const QByteArray& tmx, QSize tile) {
    QByteArray map = tmx;
    const QByteArray tileset = QStringLiteral(
                                   "<tileset firstgid=\"1\" name=\"hex\" tilewidth=\"%1\" "
                                   "tileheight=\"%2\" tilecount=\"1\" columns=\"1\"><image "
                                   "source=\"hex.png\" width=\"%1\" height=\"%2\"/></tileset>\n")
                                   .arg(tile.width())
                                   .arg(tile.height())
                                   .toUtf8();
    map.insert(map.indexOf("<imagelayer"), tileset);
    const qsizetype data = map.indexOf("<data");
    const qsizetype end = map.indexOf("</data>");
    for (qsizetype i = map.indexOf('>', data); i < end; ++i) {
        if (map[i] == '0') {
            map[i] = '1';
        }
    }
    return map;
}

QString attribute(const QByteArray& xml, const char* element, const char* name) {
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String(element)) {
            return reader.attributes().value(QLatin1String(name)).toString();
        }
    }
    return {};
}

}  // namespace

TEST(TargetPrograms, TiledDrawsItsLinesOnThePrintedOnes) {
    const QString rasterizer = QStandardPaths::findExecutable("tmxrasterizer");
    if (rasterizer.isEmpty()) {
        GTEST_SKIP() << "tmxrasterizer is not installed (Debian package tiled, "
                        "scripts/install-deps.sh): Tiled's drawing is not checked";
    }
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.guards);
        ScratchDir dir;
        writeScan(dir, c.grid);
        ASSERT_EQ(runProgram(TESSARA_PROGRAM,
                             QStringList{"export", "scan.png", "board.png", "--for", "tiled"} +
                                 gridArguments(c.grid),
                             dir.root()),
                  0);
        const QByteArray tmx = readBytes(dir.path("board.tmx"));
        const QSize tile(attribute(tmx, "map", "tilewidth").toInt(),
                         attribute(tmx, "map", "tileheight").toInt());
        const int side = attribute(tmx, "map", "hexsidelength").toInt();
        const bool columns = c.grid.orientation == GridOrientation::Columns;
        outlineTile(tile.width(), tile.height(), side, columns).save(dir.path("hex.png"));
        writeBytes(dir.path("filled.tmx"), filledMap(tmx, tile));
        ASSERT_EQ(runProgram(rasterizer,
                             {"--hide-layer", "Board", "--no-smoothing", "filled.tmx", "tiled.png"},
                             dir.root()),
                  0);
        const QImage drawn = QImage(dir.path("tiled.png")).convertToFormat(QImage::Format_ARGB32);
        const QImage board(dir.path("board.png"));
        ASSERT_FALSE(drawn.isNull());

        const GridLayout layout = layoutGrid(640, 480, 1, 1, c.grid);
        const Straightening s = straighten(layout, BoardTarget::Tiled);
        ASSERT_EQ(board.size(), s.board);
        const std::vector<QLineF> sides = printedSides(layout, s);
        // Where the picture is on the board, away from its edges, where lines are cut.
        const QPolygonF inside = s.toBoard.map(QPolygonF(QRectF(8, 8, 624, 464)));
        double worst = 0;
        double sum = 0;
        int count = 0;
        for (int y = 0; y < std::min(drawn.height(), board.height()); ++y) {
            for (int x = 0; x < std::min(drawn.width(), board.width()); ++x) {
                if (qAlpha(drawn.pixel(x, y)) < 128 ||
                    !inside.containsPoint(QPointF(x, y), Qt::OddEvenFill)) {
                    continue;
                }
                const double d = nearestSide(QPointF(x, y), sides);
                worst = std::max(worst, d);
                sum += d;
                ++count;
            }
        }
        std::printf(
            "%s: %d of Tiled's line pixels, %.3f px from the printed lines at most, "
            "%.3f on average\n",
            c.guards, count, worst, sum / std::max(count, 1));
        EXPECT_GT(count, 3000);
        EXPECT_LT(worst, 1.0);
        EXPECT_LT(sum / count, 0.5);
        // And every printed side inside has Tiled's line along it: its middle within a pixel
        // of one Tiled drew.
        int missing = 0;
        int checked = 0;
        for (const QLineF& printedSide : sides) {
            const QPointF middle = printedSide.center();
            if (!inside.containsPoint(middle, Qt::OddEvenFill)) {
                continue;
            }
            ++checked;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy) {
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const QPoint p(static_cast<int>(std::lround(middle.x())) + dx,
                                   static_cast<int>(std::lround(middle.y())) + dy);
                    found = drawn.valid(p) && qAlpha(drawn.pixel(p)) >= 128;
                }
            }
            missing += found ? 0 : 1;
        }
        EXPECT_GT(checked, 300);
        EXPECT_EQ(missing, 0);
        // The printed lines on the board lie on the same sides: dark where they are.
        int dark = 0;
        int darkOff = 0;
        for (int y = 0; y < board.height(); ++y) {
            for (int x = 0; x < board.width(); ++x) {
                if (qGray(board.pixel(x, y)) < 96 &&
                    inside.containsPoint(QPointF(x, y), Qt::OddEvenFill)) {
                    ++dark;
                    darkOff += nearestSide(QPointF(x, y), sides) > 1.0 ? 1 : 0;
                }
            }
        }
        EXPECT_GT(dark, 3000);
        EXPECT_EQ(darkOff, 0);
    }
}

TEST(TargetPrograms, VassalsFormulasPutItsHexesOnThePrintedOnes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.guards);
        ScratchDir dir;
        writeScan(dir, c.grid);
        ASSERT_EQ(runProgram(TESSARA_PROGRAM,
                             QStringList{"export", "scan.png", "board.png", "--for", "vassal"} +
                                 gridArguments(c.grid),
                             dir.root()),
                  0);
        const QByteArray xml = readBytes(dir.path("board.vassal.xml"));
        const char* grid = "VASSAL.build.module.map.boardPicker.board.HexGrid";
        const double dx = attribute(xml, grid, "dx").toDouble();
        const double dy = attribute(xml, grid, "dy").toDouble();
        const int x0 = attribute(xml, grid, "x0").toInt();
        const int y0 = attribute(xml, grid, "y0").toInt();
        const bool sideways = attribute(xml, grid, "sideways") == "true";
        EXPECT_EQ(sideways, c.grid.orientation == GridOrientation::Rows);
        const QImage board(dir.path("board.png"));

        const GridLayout layout = layoutGrid(640, 480, 1, 1, c.grid);
        const Straightening s = straighten(layout, BoardTarget::Vassal);
        const QPolygonF inside = s.toBoard.map(QPolygonF(QRectF(8, 8, 624, 464)));
        const auto board_ = [sideways](double x, double y) {
            return sideways ? QPointF(y, x) : QPointF(x, y);
        };
        double worstCentre = 0;
        double worstVertex = 0;
        int hexes = 0;
        int darkVertices = 0;
        int vertices = 0;
        for (int line = layout.firstLine; line <= layout.lastLine; ++line) {
            for (int cell = layout.firstCell; cell <= layout.lastCell; ++cell) {
                const QPointF mapped = s.toBoard.map(hexCentre(layout, line, cell));
                if (!inside.containsPoint(mapped, Qt::OddEvenFill)) {
                    continue;
                }
                // VASSAL's nearest hex, in its unswapped frame.
                const QPointF p = board_(mapped.x(), mapped.y());
                const long n = std::lround((p.x() - x0) / dx);
                const double shift = n % 2 != 0 ? dy / 2 : 0;
                const long k = std::lround((p.y() - y0 - shift) / dy);
                const double cx = x0 + n * dx;
                const double cy = y0 + k * dy + shift;
                worstCentre = std::max(worstCentre, QLineF(board_(cx, cy), mapped).length());
                ++hexes;
                // Its six vertices on the printed corners, and on the printed ink.
                const double r = 2 * dx / 3;
                const std::array<QPointF, 6> own = {board_(cx - r, cy),
                                                    board_(cx + r, cy),
                                                    board_(cx - r / 2, cy - dy / 2),
                                                    board_(cx + r / 2, cy - dy / 2),
                                                    board_(cx - r / 2, cy + dy / 2),
                                                    board_(cx + r / 2, cy + dy / 2)};
                const std::array<QPointF, 6> corners = hexCorners(layout, line, cell);
                for (const QPointF vertex : own) {
                    double nearest = INFINITY;
                    for (const QPointF corner : corners) {
                        nearest = std::min(nearest, QLineF(s.toBoard.map(corner), vertex).length());
                    }
                    worstVertex = std::max(worstVertex, nearest);
                    const QPoint pixel(static_cast<int>(std::lround(vertex.x())),
                                       static_cast<int>(std::lround(vertex.y())));
                    if (inside.containsPoint(vertex, Qt::OddEvenFill)) {
                        ++vertices;
                        darkVertices += qGray(board.pixel(pixel)) < 128 ? 1 : 0;
                    }
                }
            }
        }
        std::printf(
            "%s: %d hexes, VASSAL's centres %.2g px and vertices %.2g px from the "
            "printed ones, %d of %d vertices on the ink\n",
            c.guards, hexes, worstCentre, worstVertex, darkVertices, vertices);
        EXPECT_GT(hexes, 100);
        EXPECT_LT(worstCentre, 1e-6);
        EXPECT_LT(worstVertex, 0.01);
        EXPECT_EQ(darkVertices, vertices);
    }
}
