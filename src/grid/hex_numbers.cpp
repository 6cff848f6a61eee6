#include "grid/hex_numbers.h"

#include <QRegularExpression>
#include <algorithm>
#include <climits>

#include "grid/grid_geometry.h"

namespace tessara {
namespace {

constexpr double kMargin = 0.06;  // of the hex size, between a flat and its label

QString padded(int n, int width) {
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

QString fromPattern(const QString& pattern, int column, int row) {
    static const QRegularExpression field(QStringLiteral("\\{([crCR])(?::(\\d{1,2}))?\\}"));
    QString text;
    qsizetype done = 0;
    for (auto it = field.globalMatch(pattern); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += pattern.mid(done, match.capturedStart() - done);
        const QChar kind = match.captured(1).at(0);
        const int value = kind.toLower() == QLatin1Char('c') ? column : row;
        if (kind.isUpper()) {
            text += columnLetters(value);
        } else {
            text += padded(value, match.captured(2).toInt());
        }
        done = match.capturedEnd();
    }
    return text + pattern.mid(done);
}

bool columnsOf(const GridLayout& layout) {
    return layout.fitted() && layout.options.orientation == GridOrientation::Columns;
}

// Calls `visit` with the line, the cell along it and the centre of every hex of the layout.
template <class Visit>
void eachCentre(const GridLayout& layout, Visit&& visit) {
    if (layout.fitted()) {
        for (int line = layout.firstLine; line <= layout.lastLine; ++line) {
            for (int cell = layout.firstCell; cell <= layout.lastCell; ++cell) {
                visit(line, cell, hexCentre(layout, line, cell));
            }
        }
        return;
    }
    const double h = layout.plan.hexWidth;
    for (int row = 1; row <= layout.plan.rows; ++row) {
        for (int column = 1; column <= layout.plan.columns; ++column) {
            const HexCell cell = cellAt(column, row, layout.plan.hexWidth);
            visit(row - 1, column - 1, QPointF(cell.x + h / 2, cell.y + kHalfFlat * h));
        }
    }
}

}  // namespace

int paddedWidth(int n) {
    return std::max<int>(2, static_cast<int>(QString::number(n).size()));
}

QString hexLabel(const HexNumbering& numbering, int column, int row, int columnWidth,
                 int rowWidth) {
    switch (numbering.format) {
        case NumberFormat::Joined:
            return padded(column, columnWidth) + padded(row, rowWidth);
        case NumberFormat::Dotted:
            return padded(column, columnWidth) + QLatin1Char('.') + padded(row, rowWidth);
        case NumberFormat::Letters:
            return columnLetters(column) + QString::number(row);
        case NumberFormat::Comma:
            return QString::number(column) + QLatin1Char(',') + QString::number(row);
        case NumberFormat::Pattern:
            break;
    }
    return fromPattern(numbering.pattern, column, row);
}

namespace {

// Where the hexes on the picture lie among the lines and cells: the least and greatest
// index across (the column's) and down (the row's).
struct Extent {
    qint64 count = 0;
    int left = INT_MAX;
    int right = INT_MIN;
    int top = INT_MAX;
    int bottom = INT_MIN;
};

// Calls `visit` with the centre and the indices across and down of every hex whose centre
// lies on the W x H picture.
template <class Visit>
void eachOnPicture(const GridLayout& layout, double width, double height, Visit&& visit) {
    const bool columns = columnsOf(layout);
    eachCentre(layout, [&](int line, int cell, QPointF centre) {
        if (centre.x() < 0 || centre.y() < 0 || centre.x() >= width || centre.y() >= height) {
            return;
        }
        visit(centre, columns ? line : cell, columns ? cell : line);
    });
}

Extent extentOnPicture(const GridLayout& layout, double width, double height) {
    Extent e;
    eachOnPicture(layout, width, height, [&e](QPointF, int across, int down) {
        ++e.count;
        e.left = std::min(e.left, across);
        e.right = std::max(e.right, across);
        e.top = std::min(e.top, down);
        e.bottom = std::max(e.bottom, down);
    });
    return e;
}

}  // namespace

NumberRange numberRange(const GridLayout& layout, double width, double height,
                        const HexNumbering& numbering) {
    const Extent e = extentOnPicture(layout, width, height);
    if (e.count == 0) {
        return {};
    }
    return {e.count, numbering.first, numbering.first + (e.right - e.left), numbering.first,
            numbering.first + (e.bottom - e.top)};
}

qint64 visitNumberedHexes(const GridLayout& layout, double width, double height,
                          const HexNumbering& numbering,
                          const std::function<void(const NumberedHex&)>& visit) {
    const Extent e = extentOnPicture(layout, width, height);
    const bool fromBottom = numbering.origin == NumberOrigin::BottomLeft;
    eachOnPicture(layout, width, height, [&](QPointF centre, int across, int down) {
        const int row = fromBottom ? e.bottom - down : down - e.top;
        visit({centre, numbering.first + across - e.left, numbering.first + row});
    });
    return e.count;
}

std::vector<NumberedHex> numberedHexes(const GridLayout& layout, double width, double height,
                                       const HexNumbering& numbering) {
    std::vector<NumberedHex> hexes;
    visitNumberedHexes(layout, width, height, numbering,
                       [&hexes](const NumberedHex& hex) { hexes.push_back(hex); });
    return hexes;
}

double numberSize(const GridLayout& layout, const HexNumbering& numbering) {
    if (numbering.sizePoints) {
        return *numbering.sizePoints * 96 / 72;  // a map's pixels are taken as a screen's
    }
    return layout.hexSize * numbering.sizePercent / 100;
}

double roomForLabel(const GridLayout& layout, const HexNumbering& numbering) {
    const double h = layout.hexSize;
    if (!columnsOf(layout)) {
        return 0.8 * h;  // between the two side flats
    }
    // Flats at top and bottom: the top flat is 2a long, the middle twice as wide.
    const double a = kHalfFlat * layout.options.stretch * h;
    return numbering.position == NumberPosition::Centre ? 0.8 * 4 * a : 0.9 * 2 * a;
}

QPointF labelMiddle(const GridLayout& layout, const HexNumbering& numbering, QPointF centre,
                    double textHeight) {
    if (numbering.position == NumberPosition::Centre) {
        return centre;
    }
    const double h = layout.hexSize;
    // The top of the hex where the label fits: the top flat, or the upper ends of the side
    // flats when a corner points up.
    const double reach =
        columnsOf(layout) ? h / 2 - kMargin * h : kHalfFlat * layout.options.stretch * h;
    const double offset = reach - textHeight / 2;
    return centre + QPointF(0, numbering.position == NumberPosition::Top ? -offset : offset);
}

}  // namespace tessara
