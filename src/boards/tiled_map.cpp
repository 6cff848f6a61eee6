#include "boards/tiled_map.h"

#include <QXmlStreamWriter>
#include <cmath>

#include "boards/board_format.h"

namespace tessara {
namespace {

int tilesOver(int length, int step) {
    return (length - 1) / step + 1;
}

}  // namespace

QSize tiledMapTiles(const Straightening& s) {
    const QSize cells(
        tilesOver(s.columns ? s.board.height() : s.board.width(), s.sizes.along),
        tilesOver(s.columns ? s.board.width() : s.board.height(), static_cast<int>(s.sizes.pitch)));
    return s.columns ? cells.transposed() : cells;
}

QByteArray tiledMapText(const Straightening& s, const QString& boardFile) {
    const QSize tiles = tiledMapTiles(s);
    const int tileWidth = s.columns ? 2 * s.sizes.side : s.sizes.along;
    const int tileHeight = s.columns ? s.sizes.along : 2 * s.sizes.side;
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement("map");
    xml.writeAttribute("version", "1.8");
    xml.writeAttribute("orientation", "hexagonal");
    xml.writeAttribute("renderorder", "right-down");
    xml.writeAttribute("width", QString::number(tiles.width()));
    xml.writeAttribute("height", QString::number(tiles.height()));
    xml.writeAttribute("tilewidth", QString::number(tileWidth));
    xml.writeAttribute("tileheight", QString::number(tileHeight));
    xml.writeAttribute("hexsidelength", QString::number(s.sizes.side));
    xml.writeAttribute("staggeraxis", s.columns ? "x" : "y");
    // The lines half a hex further along are the staggered ones: the odd rows (columns)
    // when the first is a shifted line.
    xml.writeAttribute("staggerindex", s.firstLineShifted ? "odd" : "even");
    xml.writeAttribute("infinite", "0");
    xml.writeAttribute("nextlayerid", "3");
    xml.writeAttribute("nextobjectid", "1");

    xml.writeStartElement("imagelayer");
    xml.writeAttribute("id", "1");
    xml.writeAttribute("name", "Board");
    xml.writeEmptyElement("image");
    xml.writeAttribute("source", boardFile);
    xml.writeAttribute("width", QString::number(s.board.width()));
    xml.writeAttribute("height", QString::number(s.board.height()));
    xml.writeEndElement();

    xml.writeStartElement("layer");
    xml.writeAttribute("id", "2");
    xml.writeAttribute("name", "Hexes");
    xml.writeAttribute("width", QString::number(tiles.width()));
    xml.writeAttribute("height", QString::number(tiles.height()));
    xml.writeStartElement("data");
    xml.writeAttribute("encoding", "csv");
    QByteArray csv = "\n";
    for (int row = 0; row < tiles.height(); ++row) {
        for (int column = 0; column < tiles.width(); ++column) {
            const bool last = row == tiles.height() - 1 && column == tiles.width() - 1;
            csv += last ? "0" : "0,";
        }
        csv += '\n';
    }
    xml.writeCharacters(QString::fromLatin1(csv));
    xml.writeEndElement();
    xml.writeEndElement();

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
        return tiledMapText(context.straightening, context.boardFile);
    }
};

}  // namespace

const BoardFormat& tiledFormat() {
    static const TiledFormat format;
    return format;
}

}  // namespace tessara
