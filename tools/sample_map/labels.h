// Lettering on the map: names and figures with a paper-coloured halo, so they stay legible
// over woods, contours and roads.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

namespace tessara {

// DejaVu Sans at a height in pixels (at least one).
QFont mapFont(double pixels, bool bold = false, bool italic = false, double spacing = 100);

// Where text with its left end at `left` and its middle at height `middle` would sit.
QRectF textBox(const QFont& font, const QString& text, double left, double middle);

// Writes text with its left end at `left`, centred on `middle`, inside a halo `halo` pixels
// wide.
void drawLabel(QPainter& painter, const QString& text, const QFont& font, double left,
               double middle, const QColor& ink, double halo);

inline const QColor kPaper(244, 238, 218);

}  // namespace tessara
