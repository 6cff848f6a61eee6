#include "scan_features.h"

#include <QFont>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <numbers>

namespace tessara::synthetic {
namespace {

// A path that wanders from one side of the area to the other.
QPainterPath crossing(const QRectF& area, Random& random, double wander) {
    const bool across = random.unit() < 0.5;
    QPointF at = across ? QPointF(area.left(), random.between(area.top(), area.bottom()))
                        : QPointF(random.between(area.left(), area.right()), area.top());
    double heading = across ? 0 : std::numbers::pi / 2;
    const double straight = heading;
    const double step = std::max(area.width(), area.height()) / 60;
    QPainterPath path(at);
    for (int i = 0; i < 120 && area.adjusted(-step, -step, step, step).contains(at); ++i) {
        heading += random.between(-wander, wander) + 0.15 * (straight - heading);
        const QPointF next = at + QPointF(std::cos(heading), std::sin(heading)) * step;
        path.quadTo(at + (next - at) / 2 + QPointF(random.between(-1, 1), random.between(-1, 1)),
                    next);
        at = next;
    }
    return path;
}

QFont labelFont(double pixels, bool bold, bool italic) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QString placeName(Random& random) {
    static const std::array<const char*, 16> kNames = {
        "Hollin",   "Marsh End", "Kettlewick", "Brackwater",  "Oldbridge", "Stanmere",
        "Fellgate", "Rookley",   "Ashby Moor", "Coldharbour", "Wyke",      "Sallow Hill",
        "Thornby",  "Greyfold",  "Mill Ford",  "Redcross"};
    return QString::fromLatin1(kNames[static_cast<size_t>(random.below(kNames.size()))]);
}

}  // namespace

void paintRiverAndRoad(QPainter& painter, const QRectF& area, Random& random) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    const double scale = std::sqrt(area.width() * area.height()) / 1000;
    const double river = std::clamp(6 * scale, 3.0, 12.0);
    painter.setPen(QPen(QColor(96, 146, 206), river, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(crossing(area, random, 0.35));
    const QPainterPath road = crossing(area, random, 0.2);
    const double width = std::clamp(4 * scale, 3.0, 8.0);
    painter.setPen(QPen(QColor(30, 24, 20), width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(road);
    painter.setPen(QPen(QColor(214, 70, 44), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(road);
    painter.restore();
}

void paintLabels(QPainter& painter, const QRectF& area, Random& random) {
    const int count = 4 + static_cast<int>(area.width() * area.height() / 60000);
    const std::array<QColor, 3> inks = {QColor(20, 20, 20), QColor(90, 50, 20),
                                        QColor(20, 50, 120)};
    for (int i = 0; i < count; ++i) {
        const QString name = placeName(random);
        const QFont font =
            labelFont(random.between(11, 34), random.unit() < 0.4, random.unit() < 0.3);
        const QPointF at(random.between(area.left(), area.right() - 50),
                         random.between(area.top() + 30, area.bottom()));
        QPainterPath path;
        path.addText(QPointF(0, 0), font, name);
        painter.save();
        painter.translate(at);
        painter.rotate(random.unit() < 0.25 ? random.between(-30, 30) : 0);
        if (random.unit() < 0.5) {
            painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(inks[static_cast<size_t>(random.below(inks.size()))]);
        painter.drawPath(path);
        painter.restore();
    }
}

void paintTitle(QPainter& painter, const QRectF& area, QSize picture) {
    const double top = area.top();
    const double bottom = picture.height() - area.bottom();
    painter.save();
    painter.setPen(QColor(10, 10, 10));
    if (top >= 12) {
        painter.setFont(labelFont(top * 0.5, true, false));
        painter.drawText(QRectF(0, 0, picture.width(), top), Qt::AlignCenter,
                         QStringLiteral("THE BATTLE OF KETTLEWICK MOOR"));
    }
    if (bottom >= 12) {
        painter.setFont(labelFont(bottom * 0.3, false, false));
        painter.drawText(
            QRectF(area.left(), area.bottom(), area.width(), bottom),
            Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("Scale 1:50 000. Each hex is one kilometre. Sheet 2 of 4."));
    }
    painter.restore();
}

}  // namespace tessara::synthetic
