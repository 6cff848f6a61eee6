// Dashed and dotted lines that look the same on every side of a hex. Each line is cut into a
// whole number of periods of its own pattern, with a dash centred on each of its ends: the
// pattern starts afresh at every corner, where the dashes of the sides that meet there join
// and close it. The dashes of a pen w pixels wide have round ends of radius w / 2, as its
// lines have, so that the raster, a painter and an SVG drawing show the same dashes.
#pragma once

#include <QLineF>
#include <QPointF>
#include <vector>

namespace tessara {

enum class DashStyle { Solid, Dashed, Dotted };

// The dashes of one line: one centred every `period` from its start, the last on its end,
// each `dash` long between the centres of its round ends. A period of 0 is a solid line.
struct DashPattern {
    double period = 0;
    double dash = 0;
    friend bool operator==(const DashPattern&, const DashPattern&) = default;
};

// The pattern of a line `length` pixels long drawn with a pen `penWidth` pixels wide: the
// style's own pattern for that pen, stretched or squeezed so that a whole number of periods,
// one at least, fits the line.
DashPattern dashPattern(DashStyle style, int penWidth, double length);

// Whether the point `along` the line (0 at its start, `length` at its end) and `across` it
// lies on a dash of a pen whose round ends reach `radius`: within the radius of a dash's
// middle part, or beyond either end of the line, where the line's own round end closes the
// corner.
bool onDash(const DashPattern& pattern, double length, double along, double across, double radius);

// The part of the line each dash covers, round ends included, as lines for a painter.
std::vector<QLineF> dashesOf(QPointF from, QPointF to, DashStyle style, int penWidth);

}  // namespace tessara
