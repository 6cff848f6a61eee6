#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <map>

#include "boards/laid_grid.h"
#include "boards/tiled_map.h"
#include "boards/tiled_terrain.h"
#include "boards/vassal_grid.h"

using namespace tessara;
using namespace tessara::test;
using enum GridOrientation;

namespace {

// The values of `names` on the last `element` of the XML text, one after another.
QString pick(const QByteArray& text, const QString& element, const QString& names) {
    std::map<QString, QString> found;
    for (QXmlStreamReader xml(text); !xml.atEnd();) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name().toString().split(u'.').last() == element) {
            found.clear();
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                found[a.name().toString()] = a.value().toString();
            }
        }
    }
    QStringList values;
    for (const QString& name : names.split(u' ')) {
        values << found[name];
    }
    return values.join(u' ');
}

// The name VASSAL gives the hex round a board point: columns counted from x0's, rows from
// y0's (odd columns dy / 2 lower, one further on with stagger), x and y swapped sideways.
QString vassalName(const Straightening& s, const VassalNumbering& v, QPointF point) {
    const QPointF origin = s.columns ? s.firstCentre : s.firstCentre.transposed();
    const QPointF p = s.columns ? point : point.transposed();
    const int nx = static_cast<int>(std::lround((p.x() - origin.x()) / s.sizes.pitch));
    const double shift = nx % 2 != 0 ? s.sizes.along / 2.0 : 0;
    const int ny = static_cast<int>(std::lround((p.y() - origin.y() - shift) / s.sizes.along)) +
                   (v.stagger && nx % 2 != 0 ? 1 : 0);
    const auto name = [](int n, char type, int leading) {
        return type == 'A' ? QString(QChar(u'A' + n - 1))
                           : QString("%1").arg(n, leading + 1, 10, QChar(u'0'));
    };
    const QString h = name(nx + v.hOff, v.hType, v.hLeading);
    const QString vertical = name(ny + v.vOff, v.vType, v.vLeading);
    return v.first == 'H' ? h + v.separator + vertical : vertical + v.separator + h;
}

HexNumbering numbers(NumberFormat format, int first = 1, const QString& pattern = {},
                     NumberOrigin origin = NumberOrigin::TopLeft) {
    HexNumbering numbering;
    numbering.enabled = true;
    numbering.format = format;
    numbering.first = first;
    numbering.pattern = pattern;
    numbering.origin = origin;
    return numbering;
}

}  // namespace

// Worked by hand: 60 x 68 tiles of side 34 on a board of 1025 x 798; columns 45 apart (side
// 30) on 933 x 1220, the first unshifted, so the even ones staggered; VASSAL's rows 52 apart.
TEST(BoardFiles, TheDefinitionsHoldTheTargetsHexes) {
    const GridLayout rows = laid({1000, 800}, Rows, 60.3, 1, 0, 0, ShiftedLines::First);
    const GridLayout columns =
        laid({900, 1200}, Columns, 50.4, 1, 10.25, -4.5, ShiftedLines::Second);
    const BoardFormat& tiled = *findBoardFormat("tiled");
    const QByteArray tiledRows = tiledMapText(straighten(rows, tiled), "b.png");
    const QByteArray tiledColumns = tiledMapText(straighten(columns, tiled), "b.png");
    const QByteArray vassal = vassalGridText(rows, straighten(rows, *findBoardFormat("vassal")),
                                             QColor(200, 10, 30), {}, Qt::black);
    const QString map =
        "orientation tilewidth tileheight hexsidelength width height "
        "staggeraxis staggerindex";
    // clang-format off
    const struct { const char* guards; QByteArray text; const char* element; QString names; const char* values; } cases[] = {
        {"Tiled's rows", tiledRows, "map", map, "hexagonal 60 68 34 18 16 y odd"},
        {"the board as Tiled's image", tiledRows, "image", "source width height", "b.png 1025 798"},
        {"a tile layer over the whole map", tiledRows, "layer", "width height", "18 16"},
        {"Tiled's columns, the even ones staggered", tiledColumns, "map", map, "hexagonal 60 50 30 21 25 x even"},
        {"VASSAL's rows, sideways, in the chosen colour", vassal, "HexGrid",
         "dx dy x0 y0 sideways color visible snapTo", "52.0 60.0 18 1 true 200,10,30 true true"},
        {"no numbers, no numbering", vassal, "HexGridNumbering", "first", ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(pick(c.text, c.element, c.names), c.values) << c.guards;
    }
}

namespace {

// The elements of a Tiled map, each with the attributes that name and count its layers and
// tiles: "map:3 imagelayer:1:Board layer:2:Hexes".
QString tiledElements(const QByteArray& tmx) {
    QStringList elements;
    for (QXmlStreamReader xml(tmx); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        QStringList parts{xml.name().toString()};
        for (const char* name :
             {"nextlayerid", "firstgid", "tilecount", "columns", "id", "name", "value"}) {
            if (xml.attributes().hasAttribute(name)) {
                parts << xml.attributes().value(name).toString();
            }
        }
        if (parts.size() > 1) {
            elements << parts.join(u':');
        }
    }
    return elements.join(u' ');
}

}  // namespace

// Terrain adds its tileset, before the layers whose gids it gives, and its layer under the
// Hexes, which keep their id; a terrain of no class adds nothing. A tile is the map's hexagon
// in its class's colour, unblended, transparent round it: 60 x 68 rows of side 34 cover
// 60 x (68 + 34) / 2 pixels, 60 x 50 columns of side 30 cover 50 x (60 + 30) / 2.
TEST(BoardFiles, TiledHoldsTheTerrainUnderTheHexesOnlyWhenThereIsSome) {
    const GridLayout rows = laid({1000, 800}, Rows, 60.3, 1, 0, 0, ShiftedLines::First);
    const GridLayout columns =
        laid({900, 1200}, Columns, 50.4, 1, 10.25, -4.5, ShiftedLines::Second);
    const BoardFormat& tiled = *findBoardFormat("tiled");
    const Straightening s = straighten(rows, tiled);
    const QColor woods(120, 170, 95);
    const TiledTerrain none = tiledTerrain(rows, s, {});
    const TiledTerrain two = tiledTerrain(rows, s, {{{"Clear", Qt::white}, {"Woods", woods}}, {}});
    const QByteArray plain = tiledMapText(s, "b.png");
    EXPECT_EQ(tiledMapText(s, "b.png", &none), plain);
    EXPECT_EQ(tiledElements(plain), "map:3 imagelayer:1:Board layer:2:Hexes");
    EXPECT_EQ(tiledElements(tiledMapText(s, "b.png", &two)),
              "map:4 tileset:1:2:0:Terrain tile:0 property:terrain:Clear tile:1 "
              "property:terrain:Woods imagelayer:1:Board layer:3:Terrain layer:2:Hexes");
    for (const auto& [layout, covered] : {std::pair(rows, 60 * 51), std::pair(columns, 50 * 45)}) {
        const QImage tile = terrainTile(straighten(layout, tiled), woods);
        int opaque = 0;
        for (int y = 0; y < tile.height(); ++y) {
            for (int x = 0; x < tile.width(); ++x) {
                const QColor pixel = tile.pixelColor(x, y);
                ASSERT_TRUE(pixel.alpha() == 0 || pixel == woods) << x << "," << y;
                opaque += pixel.alpha() == 0 ? 0 : 1;
            }
        }
        EXPECT_EQ(opaque, covered) << "the pixels whose centres the hexagon holds";
        EXPECT_EQ(tile.pixelColor(0, 0).alpha() + tile.pixelColor(tile.width() - 1, 0).alpha(), 0);
    }
}

// Every hex Tessara numbers on the map gets the same name from VASSAL at its board place;
// what VASSAL cannot say is named for the user instead.
TEST(BoardFiles, VassalNamesTheHexesAsTessaraNumbersThem) {
    using enum NumberFormat;
    const QSize larger(700, 500), smaller(600, 450), wide(600, 300);
    const auto first = ShiftedLines::First;
    // clang-format off
    const struct { const char* guards; GridLayout layout; HexNumbering numbering; bool stagger; QStringList unexpressed; } rows[] = {
        {"columns, 0101", laid(larger, Columns, 40.2, 1, 10, 5, first), numbers(Joined), false, {}},
        {"the topmost hex on an unshifted column: rows step", laid(larger, Columns, 40.2, 1, 10, -5, first),
         numbers(Dotted, 0), true, {}},
        {"rows turned, sideways, letters", laid(smaller, Rows, 38.7, 1, 3, 7, first, 1.5), numbers(Letters), false, {}},
        {"rows, the second shifted, 1,1 from 5", laid(smaller, Rows, 38.7, 1, -9, 7, ShiftedLines::Second),
         numbers(Comma, 5), true, {}},
        {"a pattern counted from the bottom", laid(wide, Columns, 20, 1, 0, 0, first),
         numbers(Pattern, 1, "{r}-{c}", NumberOrigin::BottomLeft), false,
         {"the pattern {r}-{c}", "rows counted from the bottom"}},
        {"more columns than letters", laid(wide, Columns, 20, 1, 0, 0, first), numbers(Letters), false, {"column letters past Z"}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const Straightening s = straighten(row.layout, *findBoardFormat("vassal"));
        const VassalNumbering v = vassalNumbering(row.layout, s, row.numbering);
        EXPECT_EQ(v.unexpressed, row.unexpressed);
        if (!row.unexpressed.isEmpty()) {
            continue;  // VASSAL counts its own way there
        }
        EXPECT_EQ(v.stagger, row.stagger);
        const QSizeF picture = row.layout.picture;
        const auto hexes =
            numberedHexes(row.layout, picture.width(), picture.height(), row.numbering);
        int columns = 0, lines = 0;
        for (const NumberedHex& hex : hexes) {
            columns = std::max(columns, hex.column);
            lines = std::max(lines, hex.row);
        }
        ASSERT_GT(hexes.size(), 50u);
        for (const NumberedHex& hex : hexes) {
            ASSERT_EQ(vassalName(s, v, s.toTarget(hex.centre)),
                      hexLabel(row.numbering, hex.column, hex.row, paddedWidth(columns),
                               paddedWidth(lines)));
        }
    }
}
