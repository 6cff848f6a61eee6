#include "landmarks.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <deque>

#include "labels.h"

namespace tessara {

namespace {

constexpr int kSpotHeights = 6;
constexpr double kSpotSpacingKm = 10.0;
const QColor kSpotInk(70, 44, 30);
const QColor kSeaInk(52, 84, 108);

bool isTop(const Drainage& drainage, int cell) {
    std::vector<int> around = drainage.neighbours(cell);
    return around.size() == 8 && std::all_of(around.begin(), around.end(), [&](int next) {
               return drainage.height[next] < drainage.height[cell];
           });
}

bool apart(QPointF a, QPointF b, double distance) {
    QPointF d = a - b;
    return d.x() * d.x() + d.y() * d.y() >= distance * distance;
}

// How many cells each sea cell is from the nearest land or the map's edge, by a
// breadth-first walk out from them: a name there has room on every side.
std::vector<int> distanceFromLand(const Drainage& drainage) {
    std::vector<int> steps(drainage.cells(), -1);
    std::deque<int> queue;
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        if (!drainage.sea(cell) || drainage.neighbours(cell).size() < 8) {
            steps[cell] = 0;
            queue.push_back(cell);
        }
    }
    while (!queue.empty()) {
        int cell = queue.front();
        queue.pop_front();
        for (int next : drainage.neighbours(cell)) {
            if (steps[next] < 0) {
                steps[next] = steps[cell] + 1;
                queue.push_back(next);
            }
        }
    }
    return steps;
}

}  // namespace

void drawSpotHeights(QPainter& painter, const Landscape& land, const Drainage& drainage,
                     const std::vector<Town>& towns, const QRectF& keepClear) {
    double km = land.pixelsPerKm;
    std::vector<int> tops;
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        if (!drainage.sea(cell) && land.landShare(drainage.height[cell]) > 0.4 &&
            isTop(drainage, cell)) {
            tops.push_back(cell);
        }
    }
    std::stable_sort(tops.begin(), tops.end(),
                     [&](int a, int b) { return drainage.height[a] > drainage.height[b]; });
    QRectF clear = keepClear.adjusted(-2 * km, -2 * km, 2 * km, 2 * km);
    std::vector<QPointF> chosen;
    for (int cell : tops) {
        QPointF at = drainage.centre(cell);
        bool free =
            std::all_of(chosen.begin(), chosen.end(),
                        [&](QPointF other) { return apart(at, other, kSpotSpacingKm * km); }) &&
            std::all_of(towns.begin(), towns.end(),
                        [&](const Town& town) { return apart(at, town.centre, 4 * km); });
        if (free && !clear.contains(at) && at.x() < land.size.width() - 3 * km &&
            static_cast<int>(chosen.size()) < kSpotHeights) {
            chosen.push_back(at);
            double size = 0.22 * km;
            painter.setPen(Qt::NoPen);
            painter.setBrush(kSpotInk);
            painter.drawPolygon(QPolygonF({at + QPointF(0, -size), at + QPointF(size, size * 0.75),
                                           at + QPointF(-size, size * 0.75)}));
            drawLabel(painter, QString::number(land.metres(land.height.atPixel(at))),
                      mapFont(0.5 * km, true), at.x() + size * 1.6, at.y(), kSpotInk, 0.15 * km);
        }
    }
}

void drawSeaName(QPainter& painter, const Landscape& land, const Drainage& drainage,
                 const QRectF& keepClear, NameMaker& names) {
    double km = land.pixelsPerKm;
    std::vector<int> steps = distanceFromLand(drainage);
    int best = -1;
    for (int cell = 0; cell < drainage.cells(); ++cell) {
        if (drainage.sea(cell) && !keepClear.contains(drainage.centre(cell)) &&
            (best < 0 || steps[cell] > steps[best])) {
            best = cell;
        }
    }
    // A sea too small to hold its name is left unnamed.
    if (best < 0 || steps[best] * drainage.cellPixels < 2.5 * km) {
        return;
    }
    QString name = names.bay();
    QFont font = mapFont(0.95 * km, false, true, 125);
    QRectF box = textBox(font, name, 0, 0);
    QPointF at = drainage.centre(best);
    double left =
        std::clamp(at.x() - box.width() / 2, 0.5 * km, land.size.width() - 0.5 * km - box.width());
    painter.save();
    painter.setFont(font);
    painter.setPen(kSeaInk);
    QFontMetricsF metrics(font);
    painter.drawText(QPointF(left, at.y() + (metrics.ascent() - metrics.descent()) / 2), name);
    painter.restore();
}

}  // namespace tessara
