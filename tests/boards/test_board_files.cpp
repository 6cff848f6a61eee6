#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <cmath>
#include <map>

#include "boards/board_export.h"
#include "boards/tiled_map.h"
#include "boards/vassal_grid.h"
#include "support/test_files.h"

using namespace tessara;

namespace {

GridOptions fitted(GridOrientation orientation, double hexPixels, double stretch, double x,
                   double y, ShiftedLines shifted, double rotation = 0) {
    GridOptions options{orientation, x, y, shifted, stretch, hexPixels};
    options.rotation = rotation;
    return options;
}

GridLayout layoutOf(QSize picture, const GridOptions& options) {
    return layoutGrid(picture.width(), picture.height(), 1, 1, options);
}

// The attributes of every element of an XML text, by element name (the last one of a name).
std::map<QString, std::map<QString, QString>> elements(const QByteArray& text) {
    std::map<QString, std::map<QString, QString>> found;
    QXmlStreamReader xml(text);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isStartElement()) {
            auto& attributes = found[xml.name().toString()];
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                attributes[a.name().toString()] = a.value().toString();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return found;
}

QString csvOf(const QByteArray& text) {
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"data") {
            return xml.readElementText();
        }
    }
    return {};
}

using enum GridOrientation;
using enum BoardTarget;

}  // namespace

TEST(BoardFiles, TheTiledMapNamesTheTargetsHexesAndCoversTheBoard) {
    struct Row {
        const char* guards;
        QSize picture;
        GridOptions options;
        // tilewidth, tileheight, hexsidelength, width and height in tiles
        int tileWidth, tileHeight, side, width, height;
        const char* axis;
        const char* index;
    } const rows[] = {
        {"rows of 60.3 px: 60 x 68 tiles, side 34, rows staggered from the second on a "
         "board of 1026 x 799",
         {1000, 800},
         fitted(Rows, 60.3, 1, 0, 0, ShiftedLines::First),
         60,
         68,
         34,
         18,
         16,
         "y",
         "odd"},
        {"columns with the second ones shifted: the side across, the even ones staggered",
         {900, 1200},
         fitted(Columns, 50.4, 1.03, 10.25, -4.5, ShiftedLines::Second),
         60,
         50,
         30,
         21,
         25,
         "x",
         "even"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const Straightening s = straighten(layoutOf(row.picture, row.options), Tiled);
        ASSERT_EQ(s.problem, BoardProblem::None);
        const QByteArray text = tiledMapText(s, "board.png");
        auto found = elements(text);
        auto& map = found["map"];
        EXPECT_EQ(map["orientation"], "hexagonal");
        EXPECT_EQ(map["tilewidth"].toInt(), row.tileWidth);
        EXPECT_EQ(map["tileheight"].toInt(), row.tileHeight);
        EXPECT_EQ(map["hexsidelength"].toInt(), row.side);
        EXPECT_EQ(map["width"].toInt(), row.width);
        EXPECT_EQ(map["height"].toInt(), row.height);
        EXPECT_EQ(map["staggeraxis"], row.axis);
        EXPECT_EQ(map["staggerindex"], row.index);
        EXPECT_EQ(found["image"]["source"], "board.png");
        EXPECT_EQ(found["image"]["width"].toInt(), s.board.width());
        EXPECT_EQ(found["image"]["height"].toInt(), s.board.height());
        EXPECT_EQ(found["imagelayer"].count("offsetx"), 0u);  // at 0, 0
        EXPECT_EQ(found["layer"]["width"].toInt(), row.width);
        EXPECT_EQ(found["layer"]["height"].toInt(), row.height);
        const QStringList cells = csvOf(text).simplified().remove(u' ').split(u',');
        EXPECT_EQ(cells.size(), row.width * row.height);
        EXPECT_EQ(cells.count(QStringLiteral("0")), cells.size());
        // The last tiles reach the board's far edges, the ones before them do not.
        const bool columns = row.options.orientation == Columns;
        const int across = columns ? s.board.width() : s.board.height();
        const int along = columns ? s.board.height() : s.board.width();
        const int lines = columns ? row.width : row.height;
        const int cellsAlong = columns ? row.height : row.width;
        EXPECT_LT((lines - 1) * s.sizes.pitch, across);
        EXPECT_GE(lines * s.sizes.pitch, across);
        EXPECT_LT((cellsAlong - 1) * s.sizes.along, along);
        EXPECT_GE(cellsAlong * s.sizes.along, along);
    }
}

TEST(BoardFiles, TheVassalGridHoldsItsSizesAndFirstCentre) {
    struct Row {
        const char* guards;
        QSize picture;
        GridOptions options;
        const char* dx;
        const char* dy;
        int x0, y0;
        const char* sideways;
    } const rows[] = {
        {"rows: sideways, x0 the first centre's vertical coordinate",
         {1000, 800},
         fitted(Rows, 60.3, 1, 0, 0, ShiftedLines::First),
         "52.0",
         "60.0",
         18,
         0,
         "true"},
        {"columns: upright, x0 across",
         {900, 1200},
         fitted(Columns, 50.4, 1.03, 10.25, -4.5, ShiftedLines::First),
         "45.0",
         "50.0",
         26,
         46,
         "false"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        const GridLayout layout = layoutOf(row.picture, row.options);
        const Straightening s = straighten(layout, Vassal);
        auto found = elements(vassalGridText(layout, s, QColor(200, 10, 30), HexNumbering{}));
        auto& grid = found["VASSAL.build.module.map.boardPicker.board.HexGrid"];
        EXPECT_EQ(grid["dx"], row.dx);
        EXPECT_EQ(grid["dy"], row.dy);
        EXPECT_EQ(grid["x0"].toInt(), row.x0);
        EXPECT_EQ(grid["y0"].toInt(), row.y0);
        EXPECT_EQ(grid["sideways"], row.sideways);
        EXPECT_EQ(grid["color"], "200,10,30");
        EXPECT_EQ(grid["visible"], "true");
        EXPECT_EQ(grid["snapTo"], "true");
        EXPECT_EQ(found.count("VASSAL.build.module.map.boardPicker.board.mapgrid.HexGridNumbering"),
                  0u);
    }
}

namespace {

// The name VASSAL gives the hex round a board point, from its HexGrid and HexGridNumbering
// attributes: columns counted from x0's, rows from y0's hex (columns an odd number away
// dy / 2 lower, and a row further on with stagger), x and y swapped sideways, where its H
// numbers count the rows.
QString vassalName(const Straightening& s, const VassalNumbering& v, QPointF point) {
    const bool sideways = !s.columns;
    const QPoint origin = sideways ? s.firstCentre.transposed() : s.firstCentre;
    const QPointF p = sideways ? point.transposed() : point;
    const int nx = static_cast<int>(std::lround((p.x() - origin.x()) / s.sizes.pitch));
    const bool odd = nx % 2 != 0;
    int ny = static_cast<int>(
        std::lround((p.y() - origin.y() - (odd ? s.sizes.along / 2.0 : 0)) / s.sizes.along));
    if (v.stagger && odd) {
        ++ny;
    }
    const auto name = [](int n, char type, int leading) {
        if (type == 'A') {
            return QString(QChar(u'A' + n - 1));
        }
        return QStringLiteral("%1").arg(n, leading + 1, 10, QChar(u'0'));
    };
    const QString h = name(nx + v.hOff, v.hType, v.hLeading);
    const QString vName = name(ny + v.vOff, v.vType, v.vLeading);
    return v.first == 'H' ? h + v.separator + vName : vName + v.separator + h;
}

}  // namespace

// Every hex Tessara numbers on the map gets the same name from VASSAL's numbering, at its
// place on the straightened board.
TEST(BoardFiles, VassalNamesTheHexesAsTessaraNumbersThem) {
    struct Row {
        const char* guards;
        QSize picture;
        GridOptions options;
        NumberFormat format;
        int first;
        bool stagger;
    } const rows[] = {
        {"columns, 0101 from 1",
         {700, 500},
         fitted(Columns, 40.2, 1, 10, 5, ShiftedLines::First),
         NumberFormat::Joined,
         1},
        {"columns whose first hex on the map is on an unshifted column: rows step",
         {700, 500},
         fitted(Columns, 40.2, 1, -12, 5, ShiftedLines::Second),
         NumberFormat::Joined,
         1},
        {"columns half a hex down: the first hex on the map is half way along",
         {700, 500},
         fitted(Columns, 40.2, 1, 10, -25, ShiftedLines::First),
         NumberFormat::Dotted,
         0},
        {"rows turned, sideways, letters for columns",
         {600, 450},
         fitted(Rows, 38.7, 1.04, 3, 7, ShiftedLines::First, 1.5),
         NumberFormat::Letters,
         1},
        {"rows with the second shifted, 1,1 from 5",
         {600, 450},
         fitted(Rows, 38.7, 1, -9, 7, ShiftedLines::Second),
         NumberFormat::Comma,
         5,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        HexNumbering numbering;
        numbering.enabled = true;
        numbering.format = row.format;
        numbering.first = row.first;
        const GridLayout layout = layoutOf(row.picture, row.options);
        const Straightening s = straighten(layout, Vassal);
        const VassalNumbering v = vassalNumbering(layout, s, numbering);
        EXPECT_TRUE(v.unexpressed.isEmpty());
        EXPECT_EQ(v.stagger, row.stagger);
        const auto hexes =
            numberedHexes(layout, row.picture.width(), row.picture.height(), numbering);
        ASSERT_GT(hexes.size(), 50u);
        int columns = 0, rows = 0;
        for (const NumberedHex& hex : hexes) {
            columns = std::max(columns, hex.column);
            rows = std::max(rows, hex.row);
        }
        for (const NumberedHex& hex : hexes) {
            const QString tessara =
                hexLabel(numbering, hex.column, hex.row, paddedWidth(columns), paddedWidth(rows));
            ASSERT_EQ(vassalName(s, v, s.toBoard.map(hex.centre)), tessara)
                << hex.centre.x() << "," << hex.centre.y();
        }
    }
}

TEST(BoardFiles, VassalNamesWhatItsNumberingCannotSay) {
    struct Row {
        const char* guards;
        NumberFormat format;
        NumberOrigin origin;
        const char* pattern;
        QStringList unexpressed;
    } const rows[] = {
        {"a pattern of the user's own",
         NumberFormat::Pattern,
         NumberOrigin::TopLeft,
         "{r}-{c}",
         {"the pattern {r}-{c}"}},
        {"rows from the bottom",
         NumberFormat::Joined,
         NumberOrigin::BottomLeft,
         "",
         {"rows counted from the bottom"}},
        {"letters past Z on a map 30 columns wide",
         NumberFormat::Letters,
         NumberOrigin::TopLeft,
         "",
         {"column letters past Z"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        HexNumbering numbering;
        numbering.enabled = true;
        numbering.format = row.format;
        numbering.origin = row.origin;
        numbering.pattern = row.pattern;
        const GridLayout layout =
            layoutOf({600, 300}, fitted(Columns, 20, 1, 0, 0, ShiftedLines::First));
        EXPECT_EQ(vassalNumbering(layout, straighten(layout, Vassal), numbering).unexpressed,
                  row.unexpressed);
    }
}

TEST(BoardFiles, WritesTheBoardAndItsDefinitionTogether) {
    test::ScratchDir scratch;
    QImage map(300, 200, QImage::Format_RGB32);
    map.fill(qRgb(40, 120, 200));
    const GridLayout layout =
        layoutOf(map.size(), fitted(Rows, 30.4, 1, 0, 0, ShiftedLines::First));
    struct Row {
        const char* guards;
        BoardTarget target;
        const char* board;
        QByteArray format;
        const char* definition;
    } const rows[] = {
        {"Tiled, PNG", Tiled, "board.png", "png", "board.tmx"},
        {"VASSAL, JPEG", Vassal, "my.map.jpg", "jpeg", "my.map.vassal.xml"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        BoardRequest request;
        request.target = row.target;
        request.boardPath = scratch.path(row.board);
        request.format = row.format;
        const BoardOutcome outcome = exportBoard(Picture(map), layout, request);
        ASSERT_TRUE(outcome.written) << outcome.written.error.toStdString();
        EXPECT_EQ(outcome.definitionPath, scratch.path(row.definition));
        const QImage board(request.boardPath);
        EXPECT_EQ(board.size(), outcome.straightening.board);
        // Inside the map, its colour; the JPEG within its losses.
        const QRgb middle = board.pixel(board.width() / 2, board.height() / 2);
        EXPECT_NEAR(qBlue(middle), 200, 3);
        EXPECT_TRUE(QFile::exists(outcome.definitionPath));
    }
    // Nothing else is left in the folder: no temporary board.
    EXPECT_EQ(QDir(scratch.root()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST(BoardFiles, LeavesBothFilesAsTheyWereWhenOneCannotBeWritten) {
    test::ScratchDir scratch;
    QImage map(120, 90, QImage::Format_RGB32);
    map.fill(Qt::white);
    const GridLayout layout = layoutOf(map.size(), fitted(Rows, 20, 1, 0, 0, ShiftedLines::First));
    struct Row {
        const char* guards;
        BoardTarget target;
        const char* board;
        const char* occupied;  // a folder where the definition would go
        bool refused;
    } const rows[] = {
        {"the definition's name is a folder's", Tiled, "old.png", "old.tmx", false},
        {"the folder does not exist", Vassal, "missing/new.png", "", false},
        {"a hex too small for the target: refused before anything is written", Tiled, "small.png",
         "", true},
    };
    const QByteArray previous = "an older board";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.guards);
        if (*row.occupied != 0) {
            ASSERT_TRUE(QDir(scratch.root()).mkdir(row.occupied));
            test::writeBytes(scratch.path(row.board), previous);
        }
        BoardRequest request;
        request.target = row.target;
        request.boardPath = scratch.path(row.board);
        const GridLayout used =
            row.refused ? layoutOf(map.size(), fitted(Rows, 5, 1, 0, 0, ShiftedLines::First))
                        : layout;
        const BoardOutcome outcome = exportBoard(Picture(map), used, request);
        EXPECT_FALSE(outcome.written);
        EXPECT_FALSE(outcome.written.error.isEmpty());
        EXPECT_EQ(outcome.straightening.problem,
                  row.refused ? BoardProblem::HexTooSmall : BoardProblem::None);
        if (*row.occupied != 0) {
            EXPECT_EQ(test::readBytes(request.boardPath), previous);
        } else {
            EXPECT_FALSE(QFile::exists(request.boardPath));
        }
    }
    EXPECT_EQ(QDir(scratch.root()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}
