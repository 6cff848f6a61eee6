#include "grid/hex_numbers.h"

#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

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

// Calls `visit` with every hex of the layout and its centre, line by line.
template <class Visit>
void eachCentre(const GridLayout& layout, Visit&& visit) {
    const HexRange range = hexesOver(layout, layout.pictureArea());
    for (int line = range.firstLine; line <= range.lastLine; ++line) {
        for (int cell = range.firstCell; cell <= range.lastCell; ++cell) {
            const GridHex hex{line, cell};
            visit(line, cell, hexCentre(layout, hex));
        }
    }
}

}  // namespace

bool holdsControlCharacters(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool isNumberPattern(const QString& text) {
    return text.contains(u'{');
}

bool legibleNumberSize(double size, bool points) {
    return points ? pointsToPixels(size) >= kSmallestNumber : size >= kSmallestNumberShare;
}

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

NumberingFrame numberingFrame(const GridLayout& layout, double width, double height) {
    NumberingFrame frame;
    eachCentre(layout, [&](int line, int cell, QPointF centre) {
        if (centre.x() < 0 || centre.y() < 0 || centre.x() >= width || centre.y() >= height) {
            return;
        }
        const int half = halfHexesAlong(layout, {line, cell});
        ++frame.count;
        frame.firstLine = std::min(frame.firstLine, line);
        frame.lastLine = std::max(frame.lastLine, line);
        frame.firstHalf = std::min(frame.firstHalf, half);
        frame.lastHalf = std::max(frame.lastHalf, half);
    });
    return frame;
}

std::pair<int, int> columnAndRow(const GridLayout& layout, const NumberingFrame& frame,
                                 const HexNumbering& numbering, GridHex hex) {
    // Across the lines, the lines are counted; along them, hexes half a hex apart on
    // neighbouring lines share a number, counted from the first on the picture (the last,
    // for rows counted from the bottom).
    const bool fromBottom = numbering.origin == NumberOrigin::BottomLeft;
    const int half = halfHexesAlong(layout, hex);
    if (columnsOf(layout)) {
        const int row = fromBottom ? (frame.lastHalf - half) / 2 : (half - frame.firstHalf) / 2;
        return {numbering.first + (hex.line - frame.firstLine), numbering.first + row};
    }
    const int row = fromBottom ? frame.lastLine - hex.line : hex.line - frame.firstLine;
    return {numbering.first + (half - frame.firstHalf) / 2, numbering.first + row};
}

NumberRange numberRange(const GridLayout& layout, const NumberingFrame& frame,
                        const HexNumbering& numbering) {
    if (frame.count == 0) {
        return {};
    }
    const int lines = frame.lastLine - frame.firstLine;
    const int halves = (frame.lastHalf - frame.firstHalf) / 2;
    const int columns = columnsOf(layout) ? lines : halves;
    const int rows = columnsOf(layout) ? halves : lines;
    return {frame.count, numbering.first, numbering.first + columns, numbering.first,
            numbering.first + rows};
}

void visitNumberedHexes(const GridLayout& layout, double width, double height,
                        const NumberingFrame& frame, const HexNumbering& numbering,
                        const std::function<void(const NumberedHex&)>& visit) {
    eachCentre(layout, [&](int line, int cell, QPointF centre) {
        if (centre.x() >= 0 && centre.y() >= 0 && centre.x() < width && centre.y() < height) {
            const auto [column, row] = columnAndRow(layout, frame, numbering, {line, cell});
            visit({centre, column, row});
        }
    });
}

std::vector<NumberedHex> numberedHexes(const GridLayout& layout, double width, double height,
                                       const HexNumbering& numbering) {
    const NumberingFrame frame = numberingFrame(layout, width, height);
    std::vector<NumberedHex> hexes;
    hexes.reserve(static_cast<size_t>(frame.count));
    visitNumberedHexes(layout, width, height, frame, numbering,
                       [&hexes](const NumberedHex& hex) { hexes.push_back(hex); });
    return hexes;
}

double numberSize(const GridLayout& layout, const HexNumbering& numbering) {
    if (numbering.sizePoints) {
        return pointsToPixels(*numbering.sizePoints);
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
    const double up = numbering.position == NumberPosition::Top ? -offset : offset;
    if (layout.options.rotation == 0) {
        return centre + QPointF(0, up);
    }
    // Towards the top of the turned hex; the text itself stays upright.
    const double turn = layout.options.rotation * std::numbers::pi / 180;
    return centre + QPointF(-std::sin(turn) * up, std::cos(turn) * up);
}

}  // namespace tessara
