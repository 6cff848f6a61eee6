#include "boards/tiled_map.h"

#include <QXmlStreamWriter>
#include <cmath>

#include "boards/board_format.h"
#include "boards/tiled_terrain.h"

namespace tessara {
namespace {

int tilesOver(int length, int step) {
    return (length - 1) / step + 1;
}

// A tile layer over the whole map, its cells' gids as CSV, a row of the map a line.
void writeTileLayer(QXmlStreamWriter& xml, int id, const char* name, QSize tiles,
                    const std::vector<int>& cells) {
    xml.writeStartElement("layer");
    xml.writeAttribute("id", QString::number(id));
    xml.writeAttribute("name", name);
    xml.writeAttribute("width", QString::number(tiles.width()));
    xml.writeAttribute("height", QString::number(tiles.height()));
    xml.writeStartElement("data");
    xml.writeAttribute("encoding", "csv");
    QByteArray csv = "\n";
    for (size_t cell = 0; cell < cells.size(); ++cell) {
        csv += QByteArray::number(cells[cell]);
        csv += cell + 1 == cells.size() ? "" : ",";
        csv += (cell + 1) % static_cast<size_t>(tiles.width()) == 0 ? "\n" : "";
    }
    xml.writeCharacters(QString::fromLatin1(csv));
    xml.writeEndElement();
    xml.writeEndElement();
}

// The map's own attributes: its tiles, their hexes and the stagger that puts them on the
// board's.
void writeMapAttributes(QXmlStreamWriter& xml, const Straightening& s, int nextLayer) {
    const QSize tiles = tiledMapTiles(s);
    const QSize tile = tiledTileSize(s);
    xml.writeAttribute("version", "1.8");
    xml.writeAttribute("orientation", "hexagonal");
    xml.writeAttribute("renderorder", "right-down");
    xml.writeAttribute("width", QString::number(tiles.width()));
    xml.writeAttribute("height", QString::number(tiles.height()));
    xml.writeAttribute("tilewidth", QString::number(tile.width()));
    xml.writeAttribute("tileheight", QString::number(tile.height()));
    xml.writeAttribute("hexsidelength", QString::number(s.sizes.side));
    xml.writeAttribute("staggeraxis", s.columns ? "x" : "y");
    // The lines half a hex further along are the staggered ones: the odd rows (columns)
    // when the first is a shifted line.
    xml.writeAttribute("staggerindex", s.firstLineShifted ? "odd" : "even");
    xml.writeAttribute("infinite", "0");
    xml.writeAttribute("nextlayerid", QString::number(nextLayer));
    xml.writeAttribute("nextobjectid", "1");
}

void writeBoardLayer(QXmlStreamWriter& xml, const Straightening& s, const QString& boardFile) {
    xml.writeStartElement("imagelayer");
    xml.writeAttribute("id", "1");
    xml.writeAttribute("name", "Board");
    xml.writeEmptyElement("image");
    xml.writeAttribute("source", boardFile);
    xml.writeAttribute("width", QString::number(s.board.width()));
    xml.writeAttribute("height", QString::number(s.board.height()));
    xml.writeEndElement();
}

}  // namespace

QSize tiledMapTiles(const Straightening& s) {
    const QSize cells(
        tilesOver(s.columns ? s.board.height() : s.board.width(), s.sizes.along),
        tilesOver(s.columns ? s.board.width() : s.board.height(), static_cast<int>(s.sizes.pitch)));
    return s.columns ? cells.transposed() : cells;
}

QSize tiledTileSize(const Straightening& s) {
    return s.columns ? QSize(2 * s.sizes.side, s.sizes.along)
                     : QSize(s.sizes.along, 2 * s.sizes.side);
}

QByteArray tiledMapText(const Straightening& s, const QString& boardFile,
                        const TiledTerrain* terrain) {
    const bool withTerrain = terrain != nullptr && !terrain->classes.empty();
    const QSize tiles = tiledMapTiles(s);
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement("map");
    writeMapAttributes(xml, s, withTerrain ? 4 : 3);
    // Tiled reads a layer's gids against the tilesets before it.
    if (withTerrain) {
        writeTerrainTileset(xml, s, *terrain);
    }
    writeBoardLayer(xml, s, boardFile);
    // The terrain is ground: under the Hexes the user paints, which keep their id.
    if (withTerrain) {
        writeTileLayer(xml, 3, "Terrain", tiles, terrain->cells);
    }
    writeTileLayer(xml, 2, "Hexes", tiles,
                   std::vector<int>(static_cast<size_t>(tiles.width() * tiles.height()), 0));
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

namespace {

// Tiled's hexagonal map: tiles `along` pixels flat to flat, even, as its renderer drops an
// odd pixel; a side of `side` pixels, even, so that the lines of neighbouring rows meet; the
// tiles twice as tall as the side, and the rows 3/2 side apart, a multiple of 3. Tile (0, 0)
// has its corner half a hex before a shifted line's hex, a side above its centre.
class TiledFormat final : public BoardFormat {
  public:
    QString id() const override { return QStringLiteral("tiled"); }
    QString program() const override { return QStringLiteral("Tiled"); }
    QString menuText() const override { return QStringLiteral("&Tiled Map..."); }
    QString definitionSuffix() const override { return QStringLiteral(".tmx"); }
    TargetSizes sizesFor(double along, double pitch) const override {
        const int tiledAlong = nearestMultiple(along, 2);
        const int tiledPitch = nearestMultiple(pitch, 3);
        if (tiledAlong == 0 || tiledPitch == 0) {
            return {};
        }
        return {tiledAlong, static_cast<double>(tiledPitch), tiledPitch / 3 * 2};
    }
    BoardOrigin origin(const TargetSizes& sizes) const override {
        return {true, -sizes.along / 2.0, -static_cast<double>(sizes.side)};
    }
    QByteArray definition(const BoardContext& context) const override {
        if (context.terrain == nullptr || context.terrain->classes.empty()) {
            return tiledMapText(context.straightening, context.boardFile);
        }
        const TiledTerrain terrain =
            tiledTerrain(context.layout, context.straightening, *context.terrain);
        return tiledMapText(context.straightening, context.boardFile, &terrain);
    }
    bool takesTerrain() const override { return true; }
};

}  // namespace

const BoardFormat& tiledFormat() {
    static const TiledFormat format;
    return format;
}

}  // namespace tessara
