#include "boards/tiled_terrain.h"

#include <QBuffer>
#include <QPainter>
#include <QPolygonF>
#include <QRect>

#include "boards/tiled_map.h"

namespace tessara {

TiledTerrain tiledTerrain(const GridLayout& layout, const Straightening& s,
                          const BoardTerrain& terrain) {
    TiledTerrain tiled{terrain.classes, {}};
    const QSize tiles = tiledMapTiles(s);
    tiled.cells.assign(static_cast<size_t>(tiles.width()) * static_cast<size_t>(tiles.height()), 0);
    // The lattice the straightening was worked out on, whose hexes the map's tiles are.
    const GridLayout fitted = asFittedLayout(layout);
    for (const BoardTerrainHex& hex : terrain.hexes) {
        const GridHex at = hexAt(fitted, hex.centre);
        const QPoint along(at.cell - s.firstCell, at.line - s.firstLine);
        const QPoint cell = s.columns ? along.transposed() : along;
        // Every hex centred on the picture lies on the board, under a tile; kept within the
        // map all the same, should one round to a cell past its edge.
        if (QRect(QPoint(0, 0), tiles).contains(cell)) {
            tiled.cells[static_cast<size_t>(cell.y() * tiles.width() + cell.x())] =
                hex.terrainClass + 1;
        }
    }
    return tiled;
}

QImage terrainTile(const Straightening& s, const QColor& colour) {
    const QSize size = tiledTileSize(s);
    const double w = size.width();
    const double h = size.height();
    const double side = s.sizes.side;
    // The corners, round from the top (flat topped: from the top flat's left end).
    const QPolygonF hexagon = s.columns ? QPolygonF({{(w - side) / 2, 0},
                                                     {(w + side) / 2, 0},
                                                     {w, h / 2},
                                                     {(w + side) / 2, h},
                                                     {(w - side) / 2, h},
                                                     {0, h / 2}})
                                        : QPolygonF({{w / 2, 0},
                                                     {w, (h - side) / 2},
                                                     {w, (h + side) / 2},
                                                     {w / 2, h},
                                                     {0, (h + side) / 2},
                                                     {0, (h - side) / 2}});
    QImage tile(size, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    // Aliased, so that the tiles of neighbouring hexes meet without a seam of blended pixels.
    QPainter painter(&tile);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(hexagon);
    return tile;
}

namespace {

// A tile of the collection: its property `terrain`, the class's name, and its image as PNG.
void writeTerrainTile(QXmlStreamWriter& xml, size_t id, const QString& name, const QImage& image) {
    xml.writeStartElement("tile");
    xml.writeAttribute("id", QString::number(id));
    xml.writeStartElement("properties");
    xml.writeEmptyElement("property");
    xml.writeAttribute("name", "terrain");
    xml.writeAttribute("value", name);
    xml.writeEndElement();
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    xml.writeStartElement("image");
    xml.writeAttribute("format", "png");
    xml.writeAttribute("width", QString::number(image.width()));
    xml.writeAttribute("height", QString::number(image.height()));
    xml.writeStartElement("data");
    xml.writeAttribute("encoding", "base64");
    xml.writeCharacters(QString::fromLatin1(png.data().toBase64()));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

}  // namespace

void writeTerrainTileset(QXmlStreamWriter& xml, const Straightening& s,
                         const TiledTerrain& terrain) {
    const QSize size = tiledTileSize(s);
    xml.writeStartElement("tileset");
    xml.writeAttribute("firstgid", "1");
    xml.writeAttribute("name", "Terrain");
    xml.writeAttribute("tilewidth", QString::number(size.width()));
    xml.writeAttribute("tileheight", QString::number(size.height()));
    xml.writeAttribute("tilecount", QString::number(terrain.classes.size()));
    xml.writeAttribute("columns", "0");  // a collection of images
    for (size_t id = 0; id < terrain.classes.size(); ++id) {
        writeTerrainTile(xml, id, terrain.classes[id].name,
                         terrainTile(s, terrain.classes[id].colour));
    }
    xml.writeEndElement();
}

}  // namespace tessara
