// A made-up scan with a printed grid of known placement, turned and stretched, exported for
// Tiled by the built program. Tiled's own renderer (tmxrasterizer) fills the map's tile layer
// with a hex outline, and its lines are measured against the printed ones carried onto the
// board. (VASSAL's hexes, which it works out from formulas, are checked in test_straightening.)
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineF>
#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <set>

#include "boards/laid_grid.h"
#include "boards/straightening.h"
#include "support/program_run.h"
#include "support/test_files.h"
#include "synthetic_scan.h"
#include "terrain/hex_looks.h"
#include "terrain/lab_colour.h"
#include "terrain/terrain_classes.h"
#include "terrain_maps.h"

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

// Writes the scan, white paper with black lines only, and exports it for the program.
Straightening exportScan(const ScratchDir& dir, const GridOptions& o,
                         const char* program = "tiled") {
    synthetic::ScanRecipe recipe;
    recipe.size = {640, 480};
    recipe.grid = o;
    recipe.terrain = recipe.features = false;
    recipe.grain = 0;
    writeImage(dir.path("scan.png"), synthetic::drawScan(recipe), "PNG");
    const auto n = [](double v) { return QString::number(v, 'g', 17); };
    EXPECT_EQ(run(TESSARA_PROGRAM,
                  {"export", "scan.png", "board.png", "--for", program, "--hex-pixels",
                   n(*o.hexPixels), "--stretch", n(o.stretch), "--rotation", n(o.rotation),
                   "--skew", n(o.skew), "--offset=" + n(o.offsetX) + "," + n(o.offsetY),
                   "--orientation", o.orientation == GridOrientation::Rows ? "rows" : "columns",
                   "--shifted", o.shifted == ShiftedLines::First ? "first" : "second"},
                  dir.root()),
              0);
    return straighten(layoutGrid(640, 480, 1, 1, o), *findBoardFormat(program));
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

// The board's darkness at a point of Foundry's canvas, between its four nearest pixels.
double darkness(const QImage& board, QPointF canvas) {
    const double x = canvas.x() - 0.5, y = canvas.y() - 0.5;  // pixels named by their centres
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const auto at = [&](int px, int py) { return 255.0 - qGray(board.pixel(px, py)); };
    return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
           fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
}

// Foundry's hexagon (i, j), as its HexagonalGrid.getVertices gives it: for rows, the
// points of a hex sizeX = size wide and sizeY = 2 size / sqrt 3 tall, in quarters of each.
QPolygonF foundryHex(int type, double size, int i, int j) {
    const bool columns = type >= 4, even = type % 2 == 1;
    const double qx = (columns ? 2 * size / std::sqrt(3) : size) / 4;
    const double qy = (columns ? size : 2 * size / std::sqrt(3)) / 4;
    if (columns) {
        const double x = 3 * j, y = 4 * i - (even == ((j + 1) % 2 == 0) ? 2 : 0);
        return QPolygonF({{x * qx, (y + 2) * qy},
                          {(x + 1) * qx, y * qy},
                          {(x + 3) * qx, y * qy},
                          {(x + 4) * qx, (y + 2) * qy},
                          {(x + 3) * qx, (y + 4) * qy},
                          {(x + 1) * qx, (y + 4) * qy}});
    }
    const double y = 3 * i, x = 4 * j - (even == ((i + 1) % 2 == 0) ? 2 : 0);
    return QPolygonF({{(x + 2) * qx, y * qy},
                      {(x + 4) * qx, (y + 1) * qy},
                      {(x + 4) * qx, (y + 3) * qy},
                      {(x + 2) * qx, (y + 4) * qy},
                      {x * qx, (y + 3) * qy},
                      {x * qx, (y + 1) * qy}});
}

// The names of the Terrain tileset's tiles (their property terrain), and how many cells of
// the Terrain layer hold one.
std::pair<QStringList, qsizetype> terrainOfMap(const QString& tmx) {
    QStringList names;
    for (const QRegularExpressionMatch& m :
         QRegularExpression(R"re(name="terrain" value="([^"]*)")re").globalMatch(tmx)) {
        names << m.captured(1);
    }
    const QStringList cells =
        QRegularExpression(R"re(name="Terrain" [^>]*>\s*<data[^>]*>([^<]*))re")
            .match(tmx)
            .captured(1)
            .simplified()
            .remove(u' ')
            .split(u',');
    return {names, cells.size() - cells.count("0")};
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

// Foundry's own hexagons, from the scene's type and size alone, lie on the printed lines of
// the exported board: across the middle of each side of every hex inside the board, the
// printed line's darkness is centred on Foundry's side, for rows and columns, odd and even.
TEST(TargetPrograms, FoundrysHexesLieOnThePrintedOnes) {
    const std::pair<const char*, GridOptions> scans[] = {
        {"rows turned 1.2 degrees, stretched 3%",
         placed(GridOrientation::Rows, 41.37, 1.03, 7.25, -3.5, ShiftedLines::First, 1.2)},
        {"rows, the second shifted",
         placed(GridOrientation::Rows, 40.6, 1, -2.5, 6, ShiftedLines::Second)},
        {"columns turned -0.8 degrees, leaning, squeezed",
         placed(GridOrientation::Columns, 37.9, 0.98, -5.5, 11.75, ShiftedLines::First, -0.8, 0.3)},
        {"columns, the second shifted",
         placed(GridOrientation::Columns, 39.2, 1, 3, 1.5, ShiftedLines::Second)},
    };
    std::set<int> types;
    for (const auto& [guards, grid] : scans) {
        SCOPED_TRACE(guards);
        ScratchDir dir;
        exportScan(dir, grid, "foundry");
        const QJsonObject scene =
            QJsonDocument::fromJson(readBytes(dir.path("board.foundry.json"))).object();
        const int type = scene["grid"]["type"].toInt();
        const double size = scene["grid"]["size"].toDouble();
        types.insert(type);
        const QImage board(dir.path("board.png"));
        ASSERT_EQ(board.size(), QSize(scene["width"].toInt(), scene["height"].toInt()));
        // Away from the board's edges: its white margin of up to a hex, the turned corners.
        const QRectF inside =
            QRectF(QPointF(0, 0), QSizeF(board.size())).adjusted(60, 60, -60, -60);
        double worst = 0, sum = 0;
        int count = 0;
        for (int i = 0; i < 20; ++i) {
            for (int j = 0; j < 20; ++j) {
                const QPolygonF hex = foundryHex(type, size, i, j);
                for (int k = 0; k < 6; ++k) {
                    const QLineF side(hex[k], hex[(k + 1) % 6]);
                    if (!inside.contains(side.center())) {
                        continue;
                    }
                    const QPointF normal = QPointF(-side.dy(), side.dx()) / side.length();
                    double weight = 0, moment = 0;
                    for (double t = -3; t <= 3; t += 0.25) {
                        const double d = darkness(board, side.center() + t * normal);
                        weight += d;
                        moment += t * d;
                    }
                    ASSERT_GT(weight, 100) << "a printed line there";
                    worst = std::max(worst, std::abs(moment / weight));
                    sum += std::abs(moment / weight);
                    ++count;
                }
            }
        }
        EXPECT_GT(count, 300);
        EXPECT_LT(worst, 0.35);
        EXPECT_LT(sum / count, 0.12) << "half a pixel off would be 0.35 on average";
    }
    EXPECT_EQ(types, (std::set<int>{2, 3, 4, 5}));
}

// Tiled's renderer draws the Terrain layer of an export with a legend or a number of classes:
// at the board place of every hex centred on the map, the colour of the class tessara terrain
// gives it (its look turned back to sRGB), and no tile in a cell without a hex; each tile is
// named by its class. For rows, for columns whose second lines are shifted, and for the
// button's grid, whose hexes the board puts on those of the fitted grid within half a pixel.
TEST(TargetPrograms, TiledDrawsEveryHexInItsTerrainsColour) {
    const QString rasterizer = QStandardPaths::findExecutable("tmxrasterizer");
    if (rasterizer.isEmpty()) {
        GTEST_SKIP() << "tmxrasterizer is not installed: Tiled's drawing is not checked";
    }
    using enum GridOrientation;
    const QString fitted = "--hex-pixels 40 --offset 3,2";
    // clang-format off
    const struct { const char* guards; TerrainMapCase map; QString grid; int classes; } rows[] = {
        {"rows, a legend of three", {3, false, Rows, ShiftedLines::First, 2, {}}, fitted, 0},
        {"columns, the second shifted, two classes", {2, false, Columns, ShiftedLines::Second, 4, {}},
         fitted + " --orientation columns --shifted second", 2},
        {"the button's grid, three classes", {3, false, Rows, ShiftedLines::First, 6, {}}, "--map-width 13.5 --hex-size 1", 3},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        ScratchDir dir;
        const TerrainTestMap map = drawTerrainMap(row.map);
        writeImage(dir.path("map.png"), map.picture, "PNG");
        const GridLayout layout =
            row.grid.startsWith("--map-width")
                ? layoutGrid(map.picture.width(), map.picture.height(), 1, 13.5F, GridOptions())
                : map.layout;
        const std::vector<MapHex> hexes = mapHexes(layout, map.numbering);
        // Without a count of classes, a legend of the first hex of each terrain.
        TerrainChoices choices{{}, row.classes, {}};
        QString legend;
        for (int t = 0; t < row.map.classes && row.classes == 0; ++t) {
            const auto first = std::ranges::find(map.truth, t) - map.truth.begin();
            choices.samples.push_back(
                {QStringList{"Clear", "Woods", "Water"}.at(t), {static_cast<int>(first)}});
            legend += choices.samples.back().name + ": " + hexes[first].number + "\n";
        }
        writeBytes(dir.path("legend.txt"), legend.toUtf8());
        const TerrainMap terrain =
            classifyTerrain(readHexLooks(map.picture, layout, map.numbering, hexes), choices);
        const QString option =
            row.classes ? QString("--classes %1").arg(row.classes) : "--legend legend.txt";
        ASSERT_EQ(run(TESSARA_PROGRAM,
                      QString("export map.png board.png --for tiled %1 %2")
                          .arg(row.grid, option)
                          .split(' '),
                      dir.root()),
                  0);
        ASSERT_EQ(run(rasterizer,
                      {"--show-layer", "Terrain", "--no-smoothing", "board.tmx", "terrain.png"},
                      dir.root()),
                  0);
        QStringList names;
        for (const TerrainClass& c : terrain.classes) {
            names << c.name;
        }
        EXPECT_EQ(terrainOfMap(readBytes(dir.path("board.tmx"))),
                  std::pair(names, qsizetype(hexes.size())));
        const QImage drawn(dir.path("terrain.png"));
        const Straightening s = straighten(layout, *findBoardFormat("tiled"));
        for (size_t i = 0; i < hexes.size(); ++i) {
            const QPointF at = s.toTarget(hexes[i].centre);
            const QColor shown =
                drawn.pixelColor(static_cast<int>(at.x()), static_cast<int>(at.y()));
            const Look& look =
                terrain.classes[static_cast<size_t>(terrain.hexes[i].terrainClass)].look;
            const QColor colour(fromLab({look[0], look[1], look[2]}));
            // Opaque, and each channel within a unit.
            ASSERT_LE(std::max({255 - shown.alpha(), std::abs(shown.red() - colour.red()),
                                std::abs(shown.green() - colour.green()),
                                std::abs(shown.blue() - colour.blue())}),
                      1)
                << hexes[i].number.toStdString();
        }
        EXPECT_GT(hexes.size(), 100u);
    }
}
