#include "woods.h"

namespace tessara {

namespace {

const QColor kTreeInk(88, 118, 66);
constexpr double kTreeSpacingKm = 0.42;

}  // namespace

void drawTrees(QPainter& painter, const Landscape& land, Random random) {
    double km = land.pixelsPerKm;
    double spacing = kTreeSpacingKm * km;
    double radius = 0.075 * km;
    painter.save();
    painter.setPen(QPen(kTreeInk, std::max(0.025 * km, 0.5)));
    painter.setBrush(Qt::NoBrush);
    // A grid shaken at random: even enough to read as woods, irregular enough to look drawn.
    for (double y = spacing / 2; y < land.size.height(); y += spacing) {
        for (double x = spacing / 2; x < land.size.width(); x += spacing) {
            QPointF at(x + random.between(-0.35, 0.35) * spacing,
                       y + random.between(-0.35, 0.35) * spacing);
            // Not on the woods' edge, where a symbol would sit half outside.
            QPointF inward(radius * 2, 0);
            if (land.inWoods(at) && land.inWoods(at + inward) && land.inWoods(at - inward)) {
                painter.drawEllipse(at, radius, radius);
                painter.drawLine(at + QPointF(0, radius), at + QPointF(0, radius * 1.9));
            }
        }
    }
    painter.restore();
}

}  // namespace tessara
