// The panel in the bottom left corner: the region's name, the contour interval, and a
// scale bar of 0-5-10-20 km with clear end ticks, so that its two ends can be clicked to
// measure the map.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

namespace tessara {

inline constexpr double kScaleBarKm = 20.0;

QRectF cartoucheRect(QSize size, double pixelsPerKm);
// The bar's left and right ends, on its middle line.
QLineF scaleBarEnds(QSize size, double pixelsPerKm);

void drawCartouche(QPainter& painter, QSize size, double pixelsPerKm, const QString& region);

}  // namespace tessara
