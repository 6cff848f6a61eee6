#include "window/grid_preview.h"

#include <QPainter>
#include <vector>

namespace tessara {

void paintGridPreview(QPainter& painter, const GridLayout& layout, const QRectF& area,
                      const QColor& colour) {
    if (layout.problem != GridProblem::None || !(layout.hexSize > 0)) {
        return;
    }
    std::vector<QLineF> lines;
    traceGrid(layout, area, [&lines](QPointF from, QPointF to) { lines.emplace_back(from, to); });
    QPen pen(colour, 0);  // one screen pixel wide at every zoom
    painter.setPen(pen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

}  // namespace tessara
