#include "window/pointer_status.h"

#include "grid/hex_grid.h"

namespace tessara {

QString pointerStatus(QPointF at, double zoom, const GridLayout* layout,
                      const HexNumbering& numbering, QSize picture) {
    // As many decimals as a screen pixel is worth: a tenth at 5:1, none at 1:1 and below.
    const int decimals = zoom >= 2 ? 1 : 0;
    QString text =
        QStringLiteral("x %1, y %2").arg(at.x(), 0, 'f', decimals).arg(at.y(), 0, 'f', decimals);
    if (!layout) {
        return text;
    }
    const GridHex hex = hexAt(*layout, at);
    const NumberingFrame frame = numberingFrame(*layout, picture.width(), picture.height());
    const auto [column, row] = columnAndRow(*layout, frame, numbering, hex);
    return text +
           (numbering.enabled
                ? QStringLiteral("; hex %1")
                      .arg(hexLabel(numbering, column, row, paddedWidth(column), paddedWidth(row)))
                : QStringLiteral("; hex column %1, row %2").arg(column).arg(row));
}

}  // namespace tessara
