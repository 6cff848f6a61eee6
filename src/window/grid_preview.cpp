#include "window/grid_preview.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <climits>
#include <cmath>
#include <vector>

#include "grid/grid_parameters.h"
#include "grid/number_stamps.h"
#include "image/line_dashes.h"

namespace tessara {
namespace {

// The repeating pattern is drawn this many screen pixels wide and high at least, so that a
// fill repeats it a few hundred times at most.
constexpr double kPatternSide = 48;

// Black under light lines, white under dark ones, half seen through.
QColor contrastFor(const QColor& colour) {
    QColor under = colour.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
    under.setAlpha(170);
    return under;
}

// The outline twice: wide in the contrasting shade, then one pixel in the pen's colour;
// dashed lines as their dashes.
void drawLines(QPainter& painter, const GridLayout& layout, const QRectF& area,
               const QColor& colour, int penWidth) {
    std::vector<QLineF> lines;
    const DashStyle dashes = dashStyleOf(layout.options.lineStyle);
    traceGrid(layout, area, [&](QPointF from, QPointF to) {
        if (dashes == DashStyle::Solid) {
            lines.emplace_back(from, to);
            return;
        }
        for (const QLineF& dash : dashesOf(from, to, dashes, penWidth)) {
            lines.push_back(dash);
        }
    });
    QPen under(contrastFor(colour), 3);
    under.setCosmetic(true);
    painter.setPen(under);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    painter.setPen(QPen(colour, 0));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// The grid in its own frame (grid_placement.h), upright, as a fitted grid of rows that
// repeats without end: the grid the button always drew is within half a pixel of the fitted
// grid of the same hex size.
GridLayout endlessInFrame(const GridLayout& layout) {
    GridLayout grid = layout;
    const GridOptions& options = layout.options;
    const bool columns = layout.fitted() && options.orientation == GridOrientation::Columns;
    grid.options = GridOptions{GridOrientation::Rows,
                               columns ? options.offsetY : options.offsetX,
                               columns ? options.offsetX : options.offsetY,
                               options.shifted,
                               options.stretch,
                               layout.hexSize};
    grid.options.lineStyle = options.lineStyle;
    grid.placement = GridPlacement();
    grid.firstLine = grid.firstCell = INT_MIN / 2;
    grid.lastLine = grid.lastCell = INT_MAX / 2;
    return grid;
}

// The grid repeats every hex along its lines and every two lines across them.
QSizeF periodOf(const GridLayout& grid) {
    return {grid.hexSize, 2 * kRowPitch * grid.options.stretch * grid.hexSize};
}

// The frame's place on the picture, for a painter.
QTransform frameToPicture(const GridLayout& layout) {
    return layout.fitted() ? layout.placement.transform() : QTransform();
}

// Fills `area` with the grid's pattern: one tile of whole periods of the grid's frame, drawn
// at the screen's scale and repeated by a textured brush placed as the frame is.
void fillWithPattern(QPainter& painter, const GridLayout& layout, const QRectF& area,
                     const QColor& colour, int penWidth) {
    const GridLayout grid = endlessInFrame(layout);
    const QSizeF period = periodOf(grid);
    const double scale = painter.transform().m11();  // screen pixels per picture pixel
    const double repeatX = std::ceil(kPatternSide / (period.width() * scale));
    const double repeatY = std::ceil(kPatternSide / (period.height() * scale));
    const QSizeF tileSize(repeatX * period.width(), repeatY * period.height());
    const QSize pixels(static_cast<int>(std::lround(tileSize.width() * scale)),
                       static_cast<int>(std::lround(tileSize.height() * scale)));
    const QPointF origin(grid.options.offsetX, grid.options.offsetY);

    // Scrolling repaints the same pattern; only a change of the grid or the zoom draws anew.
    struct Tile {
        GridOptions options;
        double hexSize = 0;
        double scale = 0;
        QColor colour;
        int penWidth = 0;
        QImage image;
    };
    static Tile cached;
    if (cached.image.isNull() || cached.options != grid.options || cached.hexSize != grid.hexSize ||
        cached.scale != scale || cached.colour != colour || cached.penWidth != penWidth) {
        QImage tile(pixels, QImage::Format_ARGB32_Premultiplied);
        tile.fill(Qt::transparent);
        QPainter tilePainter(&tile);
        tilePainter.scale(pixels.width() / tileSize.width(), pixels.height() / tileSize.height());
        tilePainter.translate(-origin);
        drawLines(tilePainter, grid, QRectF(origin, tileSize), colour, penWidth);
        tilePainter.end();
        cached = {grid.options, grid.hexSize, scale, colour, penWidth, tile};
    }
    const QImage& tile = cached.image;

    QBrush brush(tile);
    brush.setTransform(
        QTransform::fromTranslate(origin.x(), origin.y())
            .scale(tileSize.width() / pixels.width(), tileSize.height() / pixels.height()) *
        frameToPicture(layout));
    painter.fillRect(area, brush);
}

}  // namespace

void paintGridPreview(QPainter& painter, const GridLayout& layout, const QRectF& area,
                      const QColor& colour, int penWidth) {
    if (layout.problem != GridProblem::None || !(layout.hexSize > 0) ||
        layout.options.lineStyle == LineStyle::None) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double opacity = painter.opacity();
    painter.setOpacity(opacity * layout.options.opacity / kMaxOpacity);
    const QSizeF period = periodOf(layout);
    const QRectF frame = frameToPicture(layout).inverted().mapRect(area);
    const double cells =
        (frame.width() / period.width() + 2) * (frame.height() / period.height() + 2) * 2;
    if (cells <= kPreviewCellBudget) {
        drawLines(painter, layout, area, colour, penWidth);
    } else {
        fillWithPattern(painter, layout, area, colour, penWidth);
    }
    painter.setOpacity(opacity);
}

void paintNumberPreview(QPainter& painter, const GridLayout& layout, const HexNumbering& numbering,
                        const QSizeF& picture, const QRectF& area, const QColor& gridColour) {
    const double scale = painter.transform().m11();
    if (numberSize(layout, numbering) * scale < kSmallestNumber) {
        return;  // unreadable at this zoom
    }
    // The labels depend on the whole picture; scrolling reuses them.
    struct Labels {
        GridOptions options;
        double hexSize = 0;
        QSizeF picture;
        HexNumbering numbering;
        NumberPlan plan;
    };
    static Labels cached;
    if (cached.options != layout.options || cached.hexSize != layout.hexSize ||
        cached.picture != picture || cached.numbering != numbering) {
        cached = {layout.options, layout.hexSize, picture, numbering,
                  planNumbers(layout, picture.width(), picture.height(), numbering)};
    }
    const NumberPlan& plan = cached.plan;
    const QFont font = numberFont(plan.textHeight);
    const double capHeight = QFontMetricsF(font).capHeight();
    const QRectF reach =
        area.adjusted(-layout.hexSize, -layout.hexSize, layout.hexSize, layout.hexSize);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * layout.options.opacity / kMaxOpacity);
    const QColor colour = numbering.colour.value_or(gridColour);
    const QColor ring = numbering.halo == NumberHalo::Black ? Qt::black : Qt::white;
    for (size_t k = 0; k < plan.hexes.size(); ++k) {
        if (!reach.contains(plan.hexes[k].centre)) {
            continue;
        }
        const QPointF middle =
            labelMiddle(layout, numbering, plan.hexes[k].centre, plan.textHeight);
        QPainterPath path;
        const double width = QFontMetricsF(font).horizontalAdvance(plan.labels[k]);
        path.addText(middle.x() - width / 2, middle.y() + capHeight / 2, font, plan.labels[k]);
        if (numbering.halo != NumberHalo::None) {
            painter.strokePath(path, QPen(ring, std::max(3.0, plan.textHeight / 3)));
        }
        painter.fillPath(path, colour);
    }
    painter.restore();
}

void paintMarks(QPainter& painter, const std::vector<QPointF>& points, const QColor& colour) {
    const double reach = 6 / painter.transform().m11();  // six screen pixels at every zoom
    for (const QColor& shade : {contrastFor(colour), colour}) {
        QPen pen(shade, shade == colour ? 1 : 3);
        pen.setCosmetic(true);
        painter.setPen(pen);
        for (const QPointF& point : points) {
            painter.drawLine(point - QPointF(reach, 0), point + QPointF(reach, 0));
            painter.drawLine(point - QPointF(0, reach), point + QPointF(0, reach));
        }
    }
}

}  // namespace tessara
