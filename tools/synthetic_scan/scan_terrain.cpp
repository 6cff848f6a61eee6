#include "scan_terrain.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessara::synthetic {
namespace {

// The terrain's colours are worked out on a coarse raster and smoothed up to the picture:
// land changes colour over tens of pixels, never from one pixel to the next.
constexpr int kCell = 8;

double smoothstep(double t) {
    return t * t * (3 - 2 * t);
}

QRgb blend(QRgb a, QRgb b, double t) {
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
}

// Water, lowland, fields, hills and mountains as a printed map colours them.
QRgb terrainColour(double height, double moisture) {
    const QRgb water = qRgb(172, 204, 228);
    const QRgb lowland = blend(qRgb(214, 226, 170), qRgb(186, 214, 158), moisture);
    const QRgb hills = qRgb(226, 208, 164);
    const QRgb mountains = qRgb(196, 172, 134);
    if (height < 0.32) {
        return water;
    }
    if (height < 0.35) {
        return blend(water, lowland, (height - 0.32) / 0.03);
    }
    if (height < 0.6) {
        return blend(lowland, hills, smoothstep((height - 0.35) / 0.25));
    }
    return blend(hills, mountains, smoothstep(std::min(1.0, (height - 0.6) / 0.2)));
}

double height(std::uint64_t seed, double x, double y, double size) {
    return 0.55 * smoothNoise(seed, x, y, size / 3) + 0.3 * smoothNoise(seed + 1, x, y, size / 8) +
           0.15 * smoothNoise(seed + 2, x, y, size / 20);
}

void paintColours(QImage& picture, std::uint64_t seed) {
    const double size = std::max(picture.width(), picture.height());
    QImage coarse(picture.width() / kCell + 2, picture.height() / kCell + 2, QImage::Format_RGB32);
    for (int y = 0; y < coarse.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(coarse.scanLine(y));
        for (int x = 0; x < coarse.width(); ++x) {
            const double px = x * kCell;
            const double py = y * kCell;
            line[x] =
                terrainColour(height(seed, px, py, size), smoothNoise(seed + 7, px, py, size / 5));
        }
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, coarse.width() * kCell, coarse.height() * kCell), coarse);
}

// Tree symbols where the land is moist, as woods are printed.
void paintWoods(QPainter& painter, QSize size, Random& random, std::uint64_t seed) {
    const double scale = std::max(size.width(), size.height());
    const int count = static_cast<int>(static_cast<double>(size.width()) * size.height() / 500);
    painter.setPen(QPen(QColor(96, 138, 84), 1));
    painter.setBrush(QColor(150, 190, 120));
    for (int i = 0; i < count; ++i) {
        const double x = random.between(0, size.width());
        const double y = random.between(0, size.height());
        if (smoothNoise(seed + 7, x, y, scale / 5) < 0.6 || height(seed, x, y, scale) < 0.36) {
            continue;
        }
        const double r = random.between(1.5, 3.5);
        painter.drawEllipse(QPointF(x, y), r, r);
    }
}

// Wandering thin brown lines, a little like contours.
void paintContours(QPainter& painter, QSize size, Random& random) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(170, 120, 80), 1));
    const int count = 3 + size.width() * size.height() / 400000;
    for (int i = 0; i < count; ++i) {
        QPainterPath path(
            QPointF(random.between(0, size.width()), random.between(0, size.height())));
        double heading = random.between(0, 2 * std::numbers::pi);
        for (int step = 0; step < 40; ++step) {
            heading += random.between(-0.5, 0.5);
            const QPointF at = path.currentPosition();
            path.lineTo(at + QPointF(std::cos(heading), std::sin(heading)) * 25);
        }
        painter.drawPath(path);
    }
}

}  // namespace

double smoothNoise(std::uint64_t seed, double x, double y, double scale) {
    const double gx = x / scale;
    const double gy = y / scale;
    const double fx = std::floor(gx);
    const double fy = std::floor(gy);
    const double tx = smoothstep(gx - fx);
    const double ty = smoothstep(gy - fy);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double top = latticeValue(seed, ix, iy) * (1 - tx) + latticeValue(seed, ix + 1, iy) * tx;
    const double bottom =
        latticeValue(seed, ix, iy + 1) * (1 - tx) + latticeValue(seed, ix + 1, iy + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

void paintTerrain(QImage& picture, Random& random) {
    const std::uint64_t seed = random.next();
    paintColours(picture, seed);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintWoods(painter, picture.size(), random, seed);
    paintContours(painter, picture.size(), random);
}

}  // namespace tessara::synthetic
