#include "terrain_maps.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>

namespace tessara::test {
namespace {

// Terrain as hex maps print it: flat tints, and tints under a pattern of marks.
enum class Pattern { Flat, Dots, Dashes, Blocks, Hatch };
struct Terrain {
    QRgb ground;
    Pattern pattern;
    QRgb mark;
};
const Terrain kTerrains[] = {
    {qRgb(236, 226, 188), Pattern::Flat, 0},                     // clear
    {qRgb(120, 170, 95), Pattern::Dots, qRgb(40, 90, 40)},       // woods
    {qRgb(110, 165, 225), Pattern::Flat, 0},                     // water
    {qRgb(175, 205, 185), Pattern::Dashes, qRgb(60, 120, 140)},  // marsh
    {qRgb(200, 190, 180), Pattern::Blocks, qRgb(110, 80, 80)},   // town
    {qRgb(190, 150, 105), Pattern::Flat, 0},                     // rough
    {qRgb(150, 130, 115), Pattern::Hatch, qRgb(80, 60, 50)},     // mountain
};

QRgb terrainPixel(int terrain, int x, int y) {
    const Terrain& t = kTerrains[terrain];
    bool mark = false;
    switch (t.pattern) {
        case Pattern::Flat:
            break;
        case Pattern::Dots:
            mark = (x % 6 < 2 && y % 6 < 2) || ((x + 3) % 6 < 2 && (y + 3) % 6 < 2);
            break;
        case Pattern::Dashes:
            mark = y % 5 == 0 && x % 8 < 5;
            break;
        case Pattern::Blocks:
            mark = x % 9 < 4 && y % 9 < 4;
            break;
        case Pattern::Hatch:
            mark = (x + y) % 6 == 0;
            break;
    }
    return mark ? t.mark : t.ground;
}

unsigned mixed(unsigned a, unsigned b) {
    unsigned h = a * 0x9E3779B1U ^ (b + 0x7F4A7C15U + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 0x2C1B3C6DU;
    return h ^ (h >> 13);
}

GridLayout testLayout(const TerrainMapCase& c, double rotation) {
    GridOptions options;
    options.orientation = c.orientation;
    options.shifted = c.shifted;
    options.hexPixels = c.hexPixels;
    options.offsetX = 3;
    options.offsetY = 2;
    options.rotation = rotation;
    return layoutGrid(c.size.width(), c.size.height(), 1, 1, options);
}

// Which class a pixel shows: its hex's on a hex map; on a natural one the class of the
// nearest of some scattered places, the boundaries wavy.
std::function<int(int, int)> terrainOf(const TerrainMapCase& c, const GridLayout& layout) {
    if (!c.natural) {
        return [c, &layout](int x, int y) {
            const GridHex hex = hexAt(layout, QPointF(x + 0.5, y + 0.5));
            return static_cast<int>(mixed(mixed(static_cast<unsigned>(hex.line), c.seed),
                                          static_cast<unsigned>(hex.cell)) %
                                    static_cast<unsigned>(c.classes));
        };
    }
    std::vector<QPointF> places;
    std::vector<int> classes;
    for (unsigned i = 0; i < 40; ++i) {
        places.emplace_back(mixed(i, c.seed) % static_cast<unsigned>(c.size.width()),
                            mixed(i, c.seed + 1) % static_cast<unsigned>(c.size.height()));
        classes.push_back(static_cast<int>(i % static_cast<unsigned>(c.classes)));
    }
    return [places, classes](int x, int y) {
        const QPointF p(x + 7 * std::sin(y / 11.0), y + 7 * std::cos(x / 9.0));
        size_t nearest = 0;
        for (size_t i = 1; i < places.size(); ++i) {
            const QPointF d = places[i] - p, e = places[nearest] - p;
            if (QPointF::dotProduct(d, d) < QPointF::dotProduct(e, e)) {
                nearest = i;
            }
        }
        return classes[nearest];
    };
}

// Line features along the sides between a line and the next, each in a colour of its own.
void drawFeatures(QPainter& painter, const TerrainTestMap& map, const std::vector<int>& lines,
                  const std::vector<int>& through) {
    const QColor colours[] = {QColor(30, 80, 200), QColor(140, 70, 20)};
    // Through the centres of a line's hexes, from one end of the line to the other.
    painter.setPen(QPen(colours[0], 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const int line : through) {
        QPolygonF centres;
        for (const MapHex& hex : map.hexes) {
            if (hex.hex.line == line) {
                centres << hex.centre;
            }
        }
        painter.drawPolyline(centres);
    }
    for (size_t f = 0; f < lines.size(); ++f) {
        painter.setPen(QPen(colours[f % 2], 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const MapHex& hex : map.hexes) {
            if (hex.hex.line == lines[f]) {
                // The sides a hex shares with the next line: below it in a row.
                const auto c = hexCorners(map.layout, hex.hex.line, hex.hex.cell);
                const QPointF lower[] = {c[1], c[2], c[3]};
                painter.drawPolyline(lower, 3);
            }
        }
    }
}

// The road and the names lie where they do on the small maps, scaled with the map.
void drawOverprint(QImage& image, const TerrainTestMap& map, const TerrainMapCase& c) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 50, 40), 1.5));
    for (const MapHex& hex : map.hexes) {
        const auto corners = hexCorners(map.layout, hex.hex.line, hex.hex.cell);
        painter.drawPolygon(corners.data(), static_cast<int>(corners.size()));
    }
    QFont font;
    font.setPixelSize(static_cast<int>(numberSize(map.layout, map.numbering)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (const MapHex& hex : map.hexes) {
        const QPointF middle = labelMiddle(map.layout, map.numbering, hex.centre, font.pixelSize());
        painter.drawText(QRectF(middle - QPointF(20, 6), QSizeF(40, 12)), Qt::AlignCenter,
                         hex.number);
    }
    drawFeatures(painter, map, c.featureLines, c.throughLines);
    const QTransform scaled = QTransform::fromScale(image.width() / 540.0, image.height() / 420.0);
    QPainterPath road(QPointF(0, 130));
    road.cubicTo(QPointF(180, 40), QPointF(330, 330), QPointF(540, 250));
    painter.setPen(QPen(QColor(200, 40, 30), 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(scaled.map(road));
    font.setPixelSize(13);
    painter.setFont(font);
    painter.drawText(scaled.map(QPointF(60, 300)), QStringLiteral("Mill Creek"));
    painter.drawText(scaled.map(QPointF(330, 90)), QStringLiteral("Hill 203"));
}

}  // namespace

TerrainTestMap drawTerrainMap(const TerrainMapCase& c, double rotation) {
    TerrainTestMap map;
    map.layout = testLayout(c, rotation);
    map.numbering.enabled = true;
    map.hexes = mapHexes(map.layout, map.numbering);
    std::map<std::pair<int, int>, size_t> index;
    for (size_t i = 0; i < map.hexes.size(); ++i) {
        index[{map.hexes[i].hex.line, map.hexes[i].hex.cell}] = i;
    }
    const auto terrain = terrainOf(c, map.layout);
    QImage image(c.size, QImage::Format_RGB32);
    std::vector<std::vector<int>> counts(map.hexes.size(), std::vector<int>(7, 0));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int t = terrain(x, y);
            image.setPixel(x, y, terrainPixel(t, x, y));
            const GridHex hex = hexAt(map.layout, QPointF(x + 0.5, y + 0.5));
            if (const auto it = index.find({hex.line, hex.cell}); it != index.end()) {
                ++counts[it->second][static_cast<size_t>(t)];
            }
        }
    }
    for (const std::vector<int>& count : counts) {
        const auto most = std::max_element(count.begin(), count.end());
        map.truth.push_back(static_cast<int>(most - count.begin()));
        const int total = std::accumulate(count.begin(), count.end(), 0);
        map.truthShare.push_back(static_cast<double>(*most) / std::max(1, total));
    }
    drawOverprint(image, map, c);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", c.jpegQuality);
    image = QImage();
    map.jpeg = buffer.data();
    map.picture = QImage::fromData(map.jpeg, "JPEG");
    return map;
}

}  // namespace tessara::test
