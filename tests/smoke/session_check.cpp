// Checks the files a whole session in the real program leaves behind.
//
//   session_check grid MAP GRIDDED MAP_SIZE HEX_SIZE COLOUR WIDTH
//     GRIDDED has MAP's pixel size; every pixel on the centre line of a grid segment is in
//     the pen's colour; every pixel farther than the line's half width plus a margin from
//     every segment is MAP's own; every other pixel is one or the other.
//   session_check same A B
//     A and B hold the same pixels.
//
// The segments come from the hexagon's outline as the grid draws it, on the cells the grid
// geometry places; prints what it found and exits 1 on any difference.
#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cmath>
#include <cstdio>
#include <vector>

#include "grid/grid_geometry.h"
#include "grid/hex_grid.h"

using namespace tessara;

namespace {

struct Segment {
    QPointF from, to;
};

// The outline of one cell: from the lower end of the left flat round by the bottom, the
// right flat and the top to the upper end of the left flat; or the right flat alone.
void addCell(const HexCell& c, double s, std::vector<Segment>& out) {
    const double x = c.x;
    const double y = c.y;
    if (c.flatOnly != 0) {
        out.push_back({{x + s, y + 0.57736 * s}, {x + s, y}});
        return;
    }
    const QPointF path[] = {{x, y + 0.57735 * s},           {x + 0.5 * s, y + 0.86603 * s},
                            {x + s, y + 0.57735 * s},       {x + s, y},
                            {x + 0.5 * s, y - 0.28868 * s}, {x, y}};
    for (size_t i = 0; i + 1 < std::size(path); ++i) {
        out.push_back({path[i], path[i + 1]});
    }
}

QImage rgb(const QString& path) {
    const QImage image(path);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

int fail(const char* what) {
    std::printf("   %s\n", what);
    return 1;
}

int checkGrid(char** argv) {
    const QImage map = rgb(QString::fromLocal8Bit(argv[2]));
    const QImage gridded = rgb(QString::fromLocal8Bit(argv[3]));
    const auto mapSize = static_cast<Single>(QString(argv[4]).toDouble());
    const auto hexSize = static_cast<Single>(QString(argv[5]).toDouble());
    const std::optional<QColor> colour = QBColor(QString(argv[6]).toInt());
    const int width = QString(argv[7]).toInt();
    if (map.isNull() || gridded.isNull() || !colour) {
        return fail("cannot read the map or the gridded picture, or no such colour");
    }
    std::printf("   map %dx%d, gridded %dx%d\n", map.width(), map.height(), gridded.width(),
                gridded.height());
    if (gridded.size() != map.size()) {
        return fail("the gridded picture is not the map's size");
    }
    const QRgb pen = colour->rgb();
    const GridPlan plan = planGrid(static_cast<Single>(map.width()),
                                   static_cast<Single>(map.height()), hexSize, mapSize);
    std::vector<Segment> segments;
    for (int column = 1; column <= plan.columns; ++column) {
        for (int row = 1; row <= plan.rows; ++row) {
            addCell(cellAt(column, row, plan.hexWidth), plan.hexWidth, segments);
        }
    }
    std::printf("   hex width %.5g px, %d columns, %d rows, %zu segments\n",
                static_cast<double>(plan.hexWidth), plan.columns, plan.rows, segments.size());

    // On the centre line: every pixel the line passes through.
    long centre = 0;
    long centreWrong = 0;
    for (const Segment& s : segments) {
        const QPointF d = s.to - s.from;
        const int steps = static_cast<int>(std::max(std::abs(d.x()), std::abs(d.y())) * 2) + 1;
        for (int i = 0; i <= steps; ++i) {
            const QPointF p = s.from + d * (static_cast<double>(i) / steps);
            // A pixel is named by its centre: (3, 5) is the middle of column 3, row 5.
            const int px = static_cast<int>(std::floor(p.x() + 0.5));
            const int py = static_cast<int>(std::floor(p.y() + 0.5));
            if (px < 0 || py < 0 || px >= map.width() || py >= map.height()) {
                continue;
            }
            ++centre;
            centreWrong += gridded.pixel(px, py) == pen ? 0 : 1;
        }
    }
    // Near a line: within half the width plus a margin of a pixel and a half.
    QImage near(map.size(), QImage::Format_Grayscale8);
    near.fill(0);
    {
        QPainter painter(&near);
        painter.setPen(QPen(Qt::white, width + 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const Segment& s : segments) {
            // The painter's pixel (x, y) covers x..x+1, so its centre is half a step on.
            painter.drawLine(s.from + QPointF(0.5, 0.5), s.to + QPointF(0.5, 0.5));
        }
    }
    long inPen = 0;
    long farChanged = 0;
    long nearStray = 0;
    for (int y = 0; y < map.height(); ++y) {
        const auto* got = reinterpret_cast<const QRgb*>(gridded.constScanLine(y));
        const auto* was = reinterpret_cast<const QRgb*>(map.constScanLine(y));
        const uchar* isNear = near.constScanLine(y);
        for (int x = 0; x < map.width(); ++x) {
            const QRgb p = got[x] | 0xFF000000U;
            const bool mapOwn = p == (was[x] | 0xFF000000U);
            inPen += p == pen ? 1 : 0;
            if (isNear[x] == 0) {
                farChanged += mapOwn ? 0 : 1;
            } else {
                nearStray += mapOwn || p == pen ? 0 : 1;
            }
        }
    }
    std::printf("   centre-line pixels %ld, not in the pen's colour %ld\n", centre, centreWrong);
    std::printf(
        "   pixels in the pen's colour %ld; changed far from every line %ld; near a "
        "line neither map nor pen %ld\n",
        inPen, farChanged, nearStray);
    return centre > 0 && centreWrong == 0 && farChanged == 0 && nearStray == 0 ? 0 : 1;
}

int checkSame(char** argv) {
    const QImage a = rgb(QString::fromLocal8Bit(argv[2]));
    const QImage b = rgb(QString::fromLocal8Bit(argv[3]));
    if (a.isNull() || b.isNull()) {
        return fail("cannot read both pictures");
    }
    if (a.size() != b.size()) {
        return fail("the pictures differ in size");
    }
    long differ = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            differ += (a.pixel(x, y) | 0xFF000000U) == (b.pixel(x, y) | 0xFF000000U) ? 0 : 1;
        }
    }
    std::printf("   %dx%d, %ld pixels differ\n", a.width(), a.height(), differ);
    return differ == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 8 && QByteArray(argv[1]) == "grid") {
        return checkGrid(argv);
    }
    if (argc == 4 && QByteArray(argv[1]) == "same") {
        return checkSame(argv);
    }
    std::fprintf(stderr,
                 "usage: session_check grid MAP GRIDDED MAP_SIZE HEX_SIZE COLOUR WIDTH\n"
                 "       session_check same A B\n");
    return 2;
}
