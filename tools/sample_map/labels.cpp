#include "labels.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tessara {

QFont mapFont(double pixels, bool bold, bool italic, double spacing) {
    QFont font("DejaVu Sans");
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    font.setItalic(italic);
    font.setLetterSpacing(QFont::PercentageSpacing, spacing);
    return font;
}

QRectF textBox(const QFont& font, const QString& text, double left, double middle) {
    QFontMetricsF metrics(font);
    double top = middle - (metrics.ascent() + metrics.descent()) / 2;
    return {QPointF(left, top), QSizeF(metrics.horizontalAdvance(text), metrics.height())};
}

void drawLabel(QPainter& painter, const QString& text, const QFont& font, double left,
               double middle, const QColor& ink, double halo) {
    QFontMetricsF metrics(font);
    // The baseline that puts the capitals' and lower case's middle on `middle`.
    double baseline = middle + (metrics.ascent() - metrics.descent()) / 2;
    QPainterPath path;
    path.addText(QPointF(left, baseline), font, text);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kPaper, halo, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(path);
    painter.restore();
}

}  // namespace tessara
