#include "boards/vassal_grid.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <optional>

#include "boards/board_format.h"

namespace tessara {
namespace {

QString colourText(const QColor& colour) {
    return QStringLiteral("%1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A numbered hex of the picture on a line as shifted as the first one, or not.
std::optional<GridHex> numberedHexOn(const GridLayout& layout, const NumberingFrame& frame,
                                     int firstLine, bool sameKind) {
    for (int line = frame.firstLine; line <= frame.lastLine; ++line) {
        if (((line - firstLine) % 2 == 0) != sameKind) {
            continue;
        }
        for (int cell = layout.firstCell; cell <= layout.lastCell; ++cell) {
            const QPointF centre = hexCentre(layout, line, cell);
            if (layout.pictureArea().contains(centre) && centre.x() < layout.picture.width() &&
                centre.y() < layout.picture.height()) {
                return GridHex{line, cell};
            }
        }
    }
    return std::nullopt;
}

void nameFormat(const HexNumbering& numbering, int columns, int rows, VassalNumbering& v,
                bool sideways) {
    // VASSAL's H and V numbers are the lines' and the places along them; sideways, its H
    // numbers are the rows, so Tessara's column comes first as V.
    char columnType = 'N';
    int columnLeading = 0;
    int rowLeading = 0;
    switch (numbering.format) {
        case NumberFormat::Joined:
        case NumberFormat::Dotted:
            columnLeading = paddedWidth(columns) - 1;
            rowLeading = paddedWidth(rows) - 1;
            v.separator = numbering.format == NumberFormat::Dotted ? "." : "";
            break;
        case NumberFormat::Letters:
            columnType = 'A';
            if (columns > 26) {
                v.unexpressed << QStringLiteral("column letters past Z");
            }
            break;
        case NumberFormat::Comma:
            v.separator = ",";
            break;
        case NumberFormat::Pattern:
            v.unexpressed << QStringLiteral("the pattern %1").arg(numbering.pattern);
            break;
    }
    v.first = sideways ? 'V' : 'H';
    (sideways ? v.vType : v.hType) = columnType;
    (sideways ? v.vLeading : v.hLeading) = columnLeading;
    (sideways ? v.hLeading : v.vLeading) = rowLeading;
}

}  // namespace

VassalNumbering vassalNumbering(const GridLayout& given, const Straightening& s,
                                const HexNumbering& numbering) {
    VassalNumbering v;
    const GridLayout layout = asFittedLayout(given);
    const NumberingFrame frame =
        numberingFrame(layout, layout.picture.width(), layout.picture.height());
    const bool sideways = !s.columns;
    const std::optional<GridHex> same = numberedHexOn(layout, frame, s.firstLine, true);
    if (!same) {
        return v;
    }
    // VASSAL counts its lines from x0's, and places along them from its hex on: a straight
    // count, so the numbers at x0, y0 follow from any hex on the picture.
    const auto [column, row] = columnAndRow(layout, frame, numbering, *same);
    const int lineNumber = s.columns ? column : row;
    const int alongNumber = s.columns ? row : column;
    const int lineOff = lineNumber - (same->line - s.firstLine);
    const int alongOff = alongNumber - (same->cell - s.firstCell);
    // VASSAL's H counts across the lines (its columns; sideways, its rows), V along them.
    v.hOff = lineOff;
    v.vOff = alongOff;
    if (const std::optional<GridHex> other = numberedHexOn(layout, frame, s.firstLine, false)) {
        const auto [otherColumn, otherRow] = columnAndRow(layout, frame, numbering, *other);
        const int otherAlong = s.columns ? otherRow : otherColumn;
        v.stagger = otherAlong != alongOff + (other->cell - s.firstCell);
    }
    int columns = 0;
    int rows = 0;
    for (const NumberedHex& hex :
         numberedHexes(layout, layout.picture.width(), layout.picture.height(), numbering)) {
        columns = std::max(columns, hex.column);
        rows = std::max(rows, hex.row);
    }
    nameFormat(numbering, columns, rows, v, sideways);
    if (numbering.origin == NumberOrigin::BottomLeft) {
        v.unexpressed << QStringLiteral("rows counted from the bottom");
    }
    return v;
}

QByteArray vassalGridText(const GridLayout& layout, const Straightening& s, const QColor& colour,
                          const HexNumbering& numbering, const QColor& numberColour) {
    const bool sideways = !s.columns;
    const QPoint origin = (sideways ? s.firstCentre.transposed() : s.firstCentre).toPoint();
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartElement("VASSAL.build.module.map.boardPicker.board.HexGrid");
    xml.writeAttribute("color", colourText(colour));
    xml.writeAttribute("cornersLegal", "false");
    xml.writeAttribute("dotsVisible", "false");
    xml.writeAttribute("dx", QString::number(s.sizes.pitch) + ".0");
    xml.writeAttribute("dy", QString::number(s.sizes.along) + ".0");
    xml.writeAttribute("edgesLegal", "false");
    xml.writeAttribute("sideways", boolText(sideways));
    xml.writeAttribute("snapTo", "true");
    xml.writeAttribute("visible", "true");
    xml.writeAttribute("x0", QString::number(origin.x()));
    xml.writeAttribute("y0", QString::number(origin.y()));
    if (numbering.enabled) {
        const VassalNumbering v = vassalNumbering(layout, s, numbering);
        // VASSAL's horizontal (h) and vertical (v) numbers take the same five attributes.
        const auto axis = [&xml](const QString& prefix, int leading, int off, char type) {
            xml.writeAttribute(prefix + "Descend", "false");
            xml.writeAttribute(prefix + "DrawOff", "0");
            xml.writeAttribute(prefix + "Leading", QString::number(leading));
            xml.writeAttribute(prefix + "Off", QString::number(off));
            xml.writeAttribute(prefix + "Type", QString(QChar::fromLatin1(type)));
        };
        xml.writeEmptyElement("VASSAL.build.module.map.boardPicker.board.mapgrid.HexGridNumbering");
        xml.writeAttribute("color", colourText(numberColour));
        xml.writeAttribute("first", QString(QChar::fromLatin1(v.first)));
        xml.writeAttribute("fontSize", "9");
        axis(QStringLiteral("h"), v.hLeading, v.hOff, v.hType);
        xml.writeAttribute("locationFormat", "$gridLocation$");
        xml.writeAttribute("rotateText", "0");
        xml.writeAttribute("sep", v.separator);
        xml.writeAttribute("stagger", boolText(v.stagger));
        axis(QStringLiteral("v"), v.vLeading, v.vOff, v.vType);
        xml.writeAttribute("visible", "false");
    }
    xml.writeEndElement();
    return text + '\n';
}

namespace {

// VASSAL's HexGrid: dy, flat to flat along a column, and dx, column to column, whole pixels;
// x0, y0 the centre of a hex on a whole pixel.
class VassalFormat final : public BoardFormat {
  public:
    QString id() const override { return QStringLiteral("vassal"); }
    QString program() const override { return QStringLiteral("VASSAL"); }
    QString menuText() const override { return QStringLiteral("&VASSAL Board..."); }
    QString definitionSuffix() const override { return QStringLiteral(".vassal.xml"); }
    TargetSizes sizesFor(double along, double pitch) const override {
        const int vassalAlong = nearestMultiple(along, 1);
        const int vassalPitch = nearestMultiple(pitch, 1);
        if (vassalAlong == 0 || vassalPitch == 0) {
            return {};
        }
        return {vassalAlong, static_cast<double>(vassalPitch), 0};
    }
    BoardOrigin origin(const TargetSizes&) const override { return {false, 0, 0}; }
    QByteArray definition(const BoardContext& c) const override {
        const HexNumbering& numbering = c.look.numbering;
        return vassalGridText(c.layout, c.straightening, c.look.lines, numbering,
                              numbering.colour.value_or(c.look.lines));
    }
    QStringList unexpressed(const BoardContext& c) const override {
        if (!c.look.numbering.enabled) {
            return {};
        }
        return vassalNumbering(c.layout, c.straightening, c.look.numbering).unexpressed;
    }
};

}  // namespace

const BoardFormat& vassalFormat() {
    static const VassalFormat format;
    return format;
}

}  // namespace tessara
