#include "terrain/hex_data_files.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "image/atomic_file.h"

namespace tessara {
namespace {

bool columnsOf(const GridLayout& layout) {
    return layout.fitted() && layout.options.orientation == GridOrientation::Columns;
}

// Whether the hexes of a line lie half a hex further along it than those the numbering
// counts from.
bool shoved(const GridLayout& layout, const NumberingFrame& frame, int line) {
    return (halfHexesAlong(layout, {line, 0}) - frame.firstHalf) % 2 != 0;
}

QString twoDecimals(double value) {
    return QString::number(value, 'f', 2);
}

WriteResult writeWhole(const QString& path, const QByteArray& bytes) {
    const WriteResult written = writeFileAtomically(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
    if (!written) {
        return WriteResult::failed(QStringLiteral("Cannot write the hex data %1: %2")
                                       .arg(QDir::toNativeSeparators(path), written.error));
    }
    return written;
}

}  // namespace

HexJsonFrame hexJsonFrame(const GridLayout& layout, const std::vector<MapHex>& hexes) {
    const NumberingFrame frame =
        numberingFrame(layout, layout.picture.width(), layout.picture.height());
    const bool columns = columnsOf(layout);
    HexJsonFrame json;
    // The lowest row is r = 0. Rows: is it shoved right, the even rows are; columns: the
    // first column (q = 0) shoved down leaves the odd ones up.
    const bool shifts = shoved(layout, frame, columns ? frame.firstLine : frame.lastLine);
    json.layout = columns ? (shifts ? QStringLiteral("odd-q") : QStringLiteral("even-q"))
                          : (shifts ? QStringLiteral("even-r") : QStringLiteral("odd-r"));
    const int lastAlong = (frame.lastHalf - frame.firstHalf) / 2;
    for (const MapHex& hex : hexes) {
        const int across = hex.hex.line - frame.firstLine;
        const int along = (halfHexesAlong(layout, hex.hex) - frame.firstHalf) / 2;
        json.places.push_back(columns ? HexJsonPlace{across, lastAlong - along}
                                      : HexJsonPlace{along, frame.lastLine - hex.hex.line});
    }
    return json;
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString inner = text;
    inner.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QByteArray hexDataCsv(const std::vector<MapHex>& hexes, const TerrainMap& terrain) {
    QString text = QStringLiteral("hex,column,row,x,y,terrain,share\n");
    for (size_t i = 0; i < hexes.size(); ++i) {
        const MapHex& hex = hexes[i];
        const HexTerrain& found = terrain.hexes[i];
        text += QStringLiteral("%1,%2,%3,%4,%5,%6,%7\n")
                    .arg(csvField(hex.number))
                    .arg(hex.column)
                    .arg(hex.row)
                    .arg(twoDecimals(hex.centre.x()), twoDecimals(hex.centre.y()),
                         csvField(terrain.classes[static_cast<size_t>(found.terrainClass)].name),
                         twoDecimals(found.share));
    }
    return text.toUtf8();
}

QByteArray hexDataJson(const GridLayout& layout, const std::vector<MapHex>& hexes,
                       const TerrainMap& terrain) {
    const HexJsonFrame frame = hexJsonFrame(layout, hexes);
    QJsonObject all;
    for (size_t i = 0; i < hexes.size(); ++i) {
        const HexTerrain& found = terrain.hexes[i];
        all.insert(hexes[i].number,
                   QJsonObject{
                       {QStringLiteral("q"), frame.places[i].q},
                       {QStringLiteral("r"), frame.places[i].r},
                       {QStringLiteral("terrain"),
                        terrain.classes[static_cast<size_t>(found.terrainClass)].name},
                       {QStringLiteral("share"), std::round(found.share * 100) / 100},
                   });
    }
    const QJsonObject document{{QStringLiteral("layout"), frame.layout},
                               {QStringLiteral("hexes"), all}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

WriteResult writeHexData(const QString& path, const GridLayout& layout,
                         const std::vector<MapHex>& hexes, const TerrainMap& terrain) {
    const QString shown = QDir::toNativeSeparators(path);
    QByteArray bytes;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        bytes = hexDataCsv(hexes, terrain);
    } else if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        bytes = hexDataJson(layout, hexes, terrain);
    } else {
        return WriteResult::failed(
            QStringLiteral("Hex data is written as .csv or .json, not as %1.").arg(shown));
    }
    return writeWhole(path, bytes);
}

QString sidesPath(const QString& output) {
    const QString suffix = QFileInfo(output).suffix();
    return (suffix.isEmpty() ? output : output.chopped(suffix.size() + 1)) +
           QStringLiteral(".sides.csv");
}

QByteArray hexSidesCsv(const std::vector<MapHex>& hexes, const std::vector<FeatureSide>& sides,
                       const std::vector<LineFeature>& features) {
    QString text = QStringLiteral("hex,side,neighbour,feature\n");
    for (const FeatureSide& side : sides) {
        const MapHex& hex = hexes[static_cast<size_t>(side.side.hex)];
        if (side.through()) {
            text += QStringLiteral("%1,through,,%2\n")
                        .arg(csvField(hex.number),
                             csvField(features[static_cast<size_t>(side.feature)].name));
            continue;
        }
        const MapHex& neighbour = hexes[static_cast<size_t>(side.side.neighbour)];
        text += QStringLiteral("%1,%2,%3,%4\n")
                    .arg(csvField(hex.number), sideDirection(hex, neighbour),
                         csvField(neighbour.number),
                         csvField(features[static_cast<size_t>(side.feature)].name));
    }
    return text.toUtf8();
}

WriteResult writeHexSides(const QString& path, const std::vector<MapHex>& hexes,
                          const std::vector<FeatureSide>& sides,
                          const std::vector<LineFeature>& features) {
    return writeWhole(path, hexSidesCsv(hexes, sides, features));
}

}  // namespace tessara
