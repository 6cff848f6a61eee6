#include "print/tiled_print.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace tessara {
namespace {

// Where the footer's parts sit, in mm from the footer's top. Cut marks take its top, the
// label and the ruler stand on a common line near its bottom.
constexpr double kCutTickGapMm = 0.3;
constexpr double kBaselineMm = 7.5;
constexpr double kLongRulerTickMm = 4.0;
constexpr double kShortRulerTickMm = 2.0;
constexpr double kRulerStepMm = 10.0;
constexpr double kTextGapMm = 2.0;
constexpr double kLabelPoints = 13.0;
constexpr double kSmallPoints = 7.0;

// Millimetres on paper as the device's own units.
class PageUnits {
  public:
    explicit PageUnits(const QPaintDevice& device)
        : x_(device.logicalDpiX() / kMillimetresPerInch),
          y_(device.logicalDpiY() / kMillimetresPerInch) {}

    QPointF point(double x, double y) const { return {x * x_, y * y_}; }
    QRectF rect(const QRectF& mm) const {
        return {mm.x() * x_, mm.y() * y_, mm.width() * x_, mm.height() * y_};
    }
    double width(double mm) const { return mm * x_; }
    double toMmX(double units) const { return units / x_; }

  private:
    double x_;
    double y_;
};

void line(QPainter& painter, const PageUnits& units, double x1, double y1, double x2, double y2) {
    painter.drawLine(units.point(x1, y1), units.point(x2, y2));
}

// The page's part of the picture on the picture's own pixels: given a part of a picture, a
// PDF or printer copies it into a fresh buffer first, for every page. Pictures of fewer than
// 8 bits a pixel cannot start a row mid-byte, and are copied.
QImage shareOf(const QImage& picture, const QRect& part) {
    if (picture.depth() < 8) {
        return picture.copy(part);
    }
    const uchar* first = picture.constScanLine(part.y()) + part.x() * (picture.depth() / 8);
    QImage share(first, part.width(), part.height(), picture.bytesPerLine(), picture.format());
    share.setColorTable(picture.colorTable());
    return share;
}

// The pixels drawn are whole ones, so that the device embeds them unresampled; the clip
// trims what they reach past the page's share of the picture.
void paintMap(QPainter& painter, const PageUnits& units, const QImage& picture,
              const TilePlan& plan, const Tile& tile) {
    const QRect pixels = tile.source.toAlignedRect() & picture.rect();
    if (pixels.isEmpty()) {
        return;
    }
    const double scale = plan.request.pixelsPerMm;
    const QRectF target(tile.map.x() + (pixels.x() - tile.source.x()) / scale,
                        tile.map.y() + (pixels.y() - tile.source.y()) / scale,
                        pixels.width() / scale, pixels.height() / scale);
    painter.save();
    painter.setClipRect(units.rect(tile.map));
    painter.drawImage(units.rect(target), shareOf(picture, pixels));
    painter.restore();
}

// Short ticks outside the map, in line with the inner edges of the overlap strips, so that
// they mark where to cut without hiding any of the map.
void paintCutMarks(QPainter& painter, const PageUnits& units, const Tile& tile) {
    const QRectF& map = tile.map;
    const double near = kCutTickGapMm;
    const double far = kCutTickGapMm + kCutTickMm;
    std::vector<double> xs;
    std::vector<double> ys;
    if (!tile.leftOverlap.isEmpty()) {
        xs.push_back(tile.leftOverlap.right());
    }
    if (!tile.rightOverlap.isEmpty()) {
        xs.push_back(tile.rightOverlap.left());
    }
    if (!tile.topOverlap.isEmpty()) {
        ys.push_back(tile.topOverlap.bottom());
    }
    if (!tile.bottomOverlap.isEmpty()) {
        ys.push_back(tile.bottomOverlap.top());
    }
    for (const double x : xs) {
        line(painter, units, x, map.top() - near, x, map.top() - far);
        line(painter, units, x, map.bottom() + near, x, map.bottom() + far);
    }
    for (const double y : ys) {
        line(painter, units, map.left() - near, y, map.left() - far, y);
        line(painter, units, map.right() + near, y, map.right() + far, y);
    }
}

QFont footerFont(double points, bool bold) {
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The right end of the footer: "page 4 of 6", then "B3" in large letters.
void paintLabel(QPainter& painter, const PageUnits& units, const TilePlan& plan, const Tile& tile,
                int page) {
    const QRectF footer = plan.footer();
    const double baseline = footer.top() + kBaselineMm;
    const QFont large = footerFont(kLabelPoints, true);
    const double labelWidth =
        units.toMmX(QFontMetricsF(large, painter.device()).horizontalAdvance(tile.label));
    const double labelLeft = footer.right() - labelWidth;
    painter.setFont(large);
    painter.drawText(units.point(labelLeft, baseline), tile.label);

    const QFont small = footerFont(kSmallPoints, false);
    const QString count = QStringLiteral("page %1 of %2").arg(page).arg(plan.pageCount());
    const double countWidth =
        units.toMmX(QFontMetricsF(small, painter.device()).horizontalAdvance(count));
    painter.setFont(small);
    painter.drawText(units.point(labelLeft - kTextGapMm - countWidth, baseline), count);
}

// A ruler the user can hold a rule against: a tick every 10 mm, longer ones at 0, 50 and
// 100 mm, standing on the footer's baseline from its left end.
void paintRuler(QPainter& painter, const PageUnits& units, const TilePlan& plan) {
    const double baseline = plan.footer().top() + kBaselineMm;
    const double left = plan.footer().left();
    line(painter, units, left, baseline, left + kRulerMm, baseline);
    for (int mm = 0; mm <= kRulerMm; mm += static_cast<int>(kRulerStepMm)) {
        const bool major = mm % 50 == 0;
        const double length = major ? kLongRulerTickMm : kShortRulerTickMm;
        line(painter, units, left + mm, baseline, left + mm, baseline - length);
    }
    painter.setFont(footerFont(kSmallPoints, false));
    painter.drawText(units.point(left + kRulerMm + kTextGapMm, baseline), QStringLiteral("100 mm"));
}

void paintPage(QPainter& painter, const PageUnits& units, const QImage& picture,
               const TilePlan& plan, const Tile& tile, int page) {
    paintMap(painter, units, picture, plan, tile);
    painter.setPen(QPen(Qt::black, units.width(kMarkPenMm), Qt::SolidLine, Qt::FlatCap));
    paintCutMarks(painter, units, tile);
    if (page == 1) {
        paintRuler(painter, units, plan);
    }
    paintLabel(painter, units, plan, tile, page);
}

}  // namespace

bool printTiles(QPainter& painter, const QImage& picture, const TilePlan& plan,
                const PageProgress& progress) {
    auto* device = dynamic_cast<QPagedPaintDevice*>(painter.device());
    if (device == nullptr) {
        return false;
    }
    const PageUnits units(*device);
    // The picture's own pixels go to the device, not a compressed likeness of them.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const int total = plan.pageCount();
    for (int index = 0; index < total; ++index) {
        if (progress && !progress(index, total)) {
            return false;
        }
        if (index > 0 && !device->newPage()) {
            return false;
        }
        paintPage(painter, units, picture, plan, plan.tiles[static_cast<std::size_t>(index)],
                  index + 1);
    }
    return true;
}

}  // namespace tessara
