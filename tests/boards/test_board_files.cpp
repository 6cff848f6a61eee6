#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <map>

#include "boards/board_export.h"
#include "boards/tiled_map.h"
#include "boards/vassal_grid.h"
#include "support/test_files.h"

using namespace tessara;
using enum GridOrientation;

namespace {

GridLayout laid(QSize picture, GridOrientation o, double hex, double x, double y,
                ShiftedLines shifted, double rotation = 0) {
    GridOptions options{o, x, y, shifted, 1, hex};
    options.rotation = rotation;
    return layoutGrid(picture.width(), picture.height(), 1, 1, options);
}

HexNumbering numbers(NumberFormat format, int first = 1) {
    HexNumbering numbering;
    numbering.enabled = true;
    numbering.format = format;
    numbering.first = first;
    return numbering;
}

BoardRequest request(BoardTarget target, const QString& board, const QByteArray& format = "png") {
    BoardRequest request;
    request.target = target;
    request.boardPath = board;
    request.format = format;
    return request;
}

// Every attribute of the XML text, as element.attribute (the last element of a name wins).
std::map<QString, QString> attributes(const QByteArray& text) {
    std::map<QString, QString> found;
    for (QXmlStreamReader xml(text); !xml.atEnd();) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                found[xml.name().toString().split(u'.').last() + u'.' + a.name().toString()] =
                    a.value().toString();
            }
        }
    }
    return found;
}

// The values of an element's attributes, named one after another.
QString pick(std::map<QString, QString>& found, const QString& element, const QString& names) {
    QStringList values;
    for (const QString& name : names.split(u' ')) {
        values << found[element + u'.' + name];
    }
    return values.join(u' ');
}

// The name VASSAL gives the hex round a board point: columns counted from x0's, rows from
// y0's (odd columns dy / 2 lower, one further on with stagger), x and y swapped sideways.
QString vassalName(const Straightening& s, const VassalNumbering& v, QPointF point) {
    const QPoint origin = s.columns ? s.firstCentre : s.firstCentre.transposed();
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

}  // namespace

TEST(BoardFiles, TheDefinitionsHoldTheTargetsHexes) {
    // Worked from straightening.h: 60 x 68 tiles of side 34 on a board of 1026 x 799; columns
    // 45 apart (side 30) on 933 x 1220, the first unshifted, so the even ones staggered.
    const GridLayout rows = laid({1000, 800}, Rows, 60.3, 0, 0, ShiftedLines::First);
    const GridLayout columns = laid({900, 1200}, Columns, 50.4, 10.25, -4.5, ShiftedLines::Second);
    const QString map =
        "orientation tilewidth tileheight hexsidelength width height staggeraxis "
        "staggerindex";
    auto tmx = attributes(tiledMapText(straighten(rows, BoardTarget::Tiled), "b.png"));
    EXPECT_EQ(pick(tmx, "map", map), "hexagonal 60 68 34 18 16 y odd");
    EXPECT_EQ(pick(tmx, "image", "source width height"), "b.png 1026 799");
    EXPECT_EQ(pick(tmx, "layer", "width height"), "18 16");
    tmx = attributes(tiledMapText(straighten(columns, BoardTarget::Tiled), "b.png"));
    EXPECT_EQ(pick(tmx, "map", map), "hexagonal 60 50 30 21 25 x even");
    auto vassal = attributes(
        vassalGridText(rows, straighten(rows, BoardTarget::Vassal), QColor(200, 10, 30), {}));
    EXPECT_EQ(pick(vassal, "HexGrid", "dx dy x0 y0 sideways color visible snapTo"),
              "52.0 60.0 18 0 true 200,10,30 true true");
    EXPECT_EQ(vassal.count("HexGridNumbering.first"), 0u) << "no numbers, no numbering";
}

// Every hex Tessara numbers on the map gets the same name from VASSAL at its board place.
TEST(BoardFiles, VassalNamesTheHexesAsTessaraNumbersThem) {
    struct Row {
        const char* guards;
        GridLayout layout;
        NumberFormat format;
        int first;
        bool stagger;
    } const rows[] = {
        {"columns, 0101", laid({700, 500}, Columns, 40.2, 10, 5, ShiftedLines::First),
         NumberFormat::Joined, 1, false},
        {"the topmost hex on an unshifted column: rows step",
         laid({700, 500}, Columns, 40.2, 10, -5, ShiftedLines::First), NumberFormat::Dotted, 0,
         true},
        {"rows turned, sideways, letters",
         laid({600, 450}, Rows, 38.7, 3, 7, ShiftedLines::First, 1.5), NumberFormat::Letters, 1,
         false},
        {"rows, the second shifted, 1,1 from 5",
         laid({600, 450}, Rows, 38.7, -9, 7, ShiftedLines::Second), NumberFormat::Comma, 5, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const HexNumbering numbering = numbers(row.format, row.first);
        const Straightening s = straighten(row.layout, BoardTarget::Vassal);
        const VassalNumbering v = vassalNumbering(row.layout, s, numbering);
        EXPECT_EQ(v.stagger, row.stagger);
        const auto hexes = numberedHexes(row.layout, row.layout.picture.width(),
                                         row.layout.picture.height(), numbering);
        int columns = 0, lines = 0;
        for (const NumberedHex& hex : hexes) {
            columns = std::max(columns, hex.column);
            lines = std::max(lines, hex.row);
        }
        ASSERT_GT(hexes.size(), 50u);
        for (const NumberedHex& hex : hexes) {
            ASSERT_EQ(
                vassalName(s, v, s.toBoard.map(hex.centre)),
                hexLabel(numbering, hex.column, hex.row, paddedWidth(columns), paddedWidth(lines)));
        }
    }
    const GridLayout wide = laid({600, 300}, Columns, 20, 0, 0, ShiftedLines::First);
    HexNumbering numbering = numbers(NumberFormat::Pattern);
    numbering.pattern = "{r}-{c}";
    numbering.origin = NumberOrigin::BottomLeft;
    EXPECT_EQ(vassalNumbering(wide, straighten(wide, BoardTarget::Vassal), numbering).unexpressed,
              QStringList({"the pattern {r}-{c}", "rows counted from the bottom"}));
    numbering = numbers(NumberFormat::Letters);
    EXPECT_EQ(vassalNumbering(wide, straighten(wide, BoardTarget::Vassal), numbering).unexpressed,
              QStringList({"column letters past Z"}))
        << "30 columns";
}

TEST(BoardFiles, WritesTheBoardAndItsDefinitionTogetherOrNeither) {
    test::ScratchDir dir;
    QImage map(300, 200, QImage::Format_RGB32);
    map.fill(qRgb(40, 120, 200));
    const GridLayout layout = laid(map.size(), Rows, 30.4, 0, 0, ShiftedLines::First);
    BoardOutcome done = exportBoard(Picture(map), layout,
                                    request(BoardTarget::Vassal, dir.path("my.map.jpg"), "jpeg"));
    ASSERT_TRUE(done.written);
    EXPECT_EQ(done.definitionPath, dir.path("my.map.vassal.xml"));
    const QImage board(dir.path("my.map.jpg"));
    EXPECT_EQ(board.size(), done.straightening.board);
    EXPECT_NEAR(qBlue(board.pixel(150, 100)), 200, 3);
    // The definition's name taken by a folder: the board there before is kept, nothing left.
    ASSERT_TRUE(QDir(dir.root()).mkdir("old.tmx"));
    test::writeBytes(dir.path("old.png"), "an older board");
    done = exportBoard(Picture(map), layout, request(BoardTarget::Tiled, dir.path("old.png")));
    EXPECT_FALSE(done.written);
    EXPECT_EQ(test::readBytes(dir.path("old.png")), "an older board");
    QFile::setPermissions(dir.path("old.png"), QFile::ReadOwner);
    QDir(dir.root()).rmdir("old.tmx");
    done = exportBoard(Picture(map), layout, request(BoardTarget::Tiled, dir.path("old.png")));
    EXPECT_EQ(done.written.error, "The file old.png is read-only.") << "kept as an editor would";
    EXPECT_EQ(test::readBytes(dir.path("old.png")), "an older board");
    done = exportBoard(Picture(map), layout, request(BoardTarget::Tiled, dir.path("no/new.png")));
    EXPECT_FALSE(done.written.error.isEmpty());
    const GridLayout tiny = laid(map.size(), Rows, 5, 0, 0, ShiftedLines::First);
    done = exportBoard(Picture(map), tiny, request(BoardTarget::Tiled, dir.path("small.png")));
    EXPECT_EQ(done.straightening.problem, BoardProblem::HexTooSmall);
    EXPECT_EQ(QDir(dir.root()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"my.map.jpg", "my.map.vassal.xml", "old.png"}));
}
