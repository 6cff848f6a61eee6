// A made-up scan with a printed grid of known placement, turned and stretched, exported for
// Tiled by the built program. Tiled's own renderer (tmxrasterizer) fills the map's tile layer
// with a hex outline, and its lines are measured against the printed ones carried onto the
// board. (VASSAL's hexes, which it works out from formulas, are checked in test_straightening.)
#include <gtest/gtest.h>

#include <QLineF>
#include <QPainter>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "boards/laid_grid.h"
#include "boards/straightening.h"
#include "support/program_run.h"
#include "support/test_files.h"
#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// Runs a program in the folder with no display (Qt drawing offscreen); its exit status.
int run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    QProcessEnvironment env = environmentWithoutDisplay();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return finish(process, program.toStdString()).status;
}

// Writes the scan, white paper with black lines only, and exports it for Tiled.
Straightening exportScan(const ScratchDir& dir, const GridOptions& o) {
    synthetic::ScanRecipe recipe;
    recipe.size = {640, 480};
    recipe.grid = o;
    recipe.terrain = recipe.features = false;
    recipe.grain = 0;
    writeImage(dir.path("scan.png"), synthetic::drawScan(recipe), "PNG");
    const auto n = [](double v) { return QString::number(v, 'g', 17); };
    EXPECT_EQ(run(TESSARA_PROGRAM,
                  {"export", "scan.png", "board.png", "--for", "tiled", "--hex-pixels",
                   n(*o.hexPixels), "--stretch", n(o.stretch), "--rotation", n(o.rotation),
                   "--skew", n(o.skew), "--offset=" + n(o.offsetX) + "," + n(o.offsetY),
                   "--orientation", o.orientation == GridOrientation::Rows ? "rows" : "columns",
                   "--shifted", o.shifted == ShiftedLines::First ? "first" : "second"},
                  dir.root()),
              0);
    return straighten(layoutGrid(640, 480, 1, 1, o), *findBoardFormat("tiled"));
}

// The map file with a tileset of one hexagon outline, aliased, in every cell of its layer.
QByteArray filledWithHexes(QByteArray tmx, const ScratchDir& dir) {
    QXmlStreamReader reader(tmx);
    while (reader.readNext() != QXmlStreamReader::StartElement) {
    }
    const auto value = [&](const char* name) {
        return reader.attributes().value(QLatin1String(name)).toInt();
    };
    const int w = value("tilewidth"), h = value("tileheight"), side = value("hexsidelength");
    const bool columns = reader.attributes().value("staggeraxis") == u"x";
    const int ox = columns ? (w - side) / 2 : 0, oy = columns ? 0 : (h - side) / 2;
    QImage tile(w, h, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    QPainter(&tile).drawPolygon(
        columns ? QPolygon({{ox, 0}, {w - ox, 0}, {w, h / 2}, {w - ox, h}, {ox, h}, {0, h / 2}})
                : QPolygon({{w / 2, 0}, {w, oy}, {w, h - oy}, {w / 2, h}, {0, h - oy}, {0, oy}}));
    tile.save(dir.path("hex.png"));
    tmx.insert(tmx.indexOf("<imagelayer"),
               QString("<tileset firstgid=\"1\" name=\"hex\" tilewidth=\"%1\" tileheight=\"%2\" "
                       "tilecount=\"1\" columns=\"1\"><image source=\"hex.png\" width=\"%1\" "
                       "height=\"%2\"/></tileset>\n")
                   .arg(w)
                   .arg(h)
                   .toUtf8());
    const qsizetype from = tmx.indexOf("<data"), length = tmx.indexOf("</data>") - from;
    return tmx.replace(from, length,
                       tmx.mid(from, length).replace(",0", ",1").replace("\n0", "\n1"));
}

double distanceToSides(QPointF p, const std::vector<QLineF>& sides) {
    double best = INFINITY;
    for (const QLineF& side : sides) {
        const QPointF d = side.p2() - side.p1();
        const double t =
            std::clamp(QPointF::dotProduct(p - side.p1(), d) / QPointF::dotProduct(d, d), 0.0, 1.0);
        best = std::min(best, QLineF(p, side.p1() + t * d).length());
    }
    return best;
}

}  // namespace

TEST(TargetPrograms, TiledDrawsItsLinesOnThePrintedOnes) {
    const QString rasterizer = QStandardPaths::findExecutable("tmxrasterizer");
    if (rasterizer.isEmpty()) {
        GTEST_SKIP() << "tmxrasterizer (Debian package tiled, scripts/install-deps.sh) is not "
                        "installed: Tiled's drawing is not checked";
    }
    const std::pair<const char*, GridOptions> scans[] = {
        {"rows turned 1.2 degrees, stretched 3%",
         placed(GridOrientation::Rows, 41.37, 1.03, 7.25, -3.5, ShiftedLines::First, 1.2)},
        {"columns turned -0.8 degrees, leaning, squeezed, the second shifted",
         placed(GridOrientation::Columns, 37.9, 0.98, -5.5, 11.75, ShiftedLines::Second, -0.8,
                0.3)},
    };
    for (const auto& [guards, grid] : scans) {
        SCOPED_TRACE(guards);
        ScratchDir dir;
        const Straightening s = exportScan(dir, grid);
        writeBytes(dir.path("filled.tmx"), filledWithHexes(readBytes(dir.path("board.tmx")), dir));
        ASSERT_EQ(
            run(rasterizer, {"--hide-layer", "Board", "--no-smoothing", "filled.tmx", "tiled.png"},
                dir.root()),
            0);
        const QImage drawn(dir.path("tiled.png"));
        // The printed sides in Tiled's canvas, and the picture on it away from its cut edges.
        // The tile's outline is drawn aliased, which Qt does in the pixel right of and below
        // a point: drawn pixel (x, y) is the outline at (x, y) of Tiled's canvas.
        const GridLayout layout = layoutGrid(640, 480, 1, 1, grid);
        std::vector<QLineF> sides;
        traceGrid(layout, layout.pictureArea(),
                  [&](QPointF a, QPointF b) { sides.emplace_back(s.toTarget(a), s.toTarget(b)); });
        QPolygonF inside;
        for (const QPointF corner : QPolygonF(QRectF(8, 8, 624, 464))) {
            inside << s.toTarget(corner);
        }
        double worst = 0, sum = 0;
        int count = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (qAlpha(drawn.pixel(x, y)) > 128 &&
                    inside.containsPoint(QPointF(x, y), Qt::OddEvenFill)) {
                    const double d = distanceToSides(QPointF(x, y), sides);
                    worst = std::max(worst, d);
                    sum += d;
                    ++count;
                }
            }
        }
        EXPECT_GT(count, 10000) << "every side drawn";
        EXPECT_LT(worst, 1.0);
        EXPECT_LT(sum / count, 0.3);
    }
}
