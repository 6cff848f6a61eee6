#include "print/scale_tiles.h"

#include <QPageLayout>
#include <algorithm>
#include <cmath>

namespace tessara {
namespace {

// Rounding in the sums of steps must not add a page to a map that fits exactly.
constexpr double kSlack = 1e-9;
// Page counts from here on are not worth their hundreds of digits.
constexpr double kCountlessPages = 1e9;

// A number as the user reads it: at most `decimals` decimals, no trailing zeros.
QString shortNumber(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
    }
    return text;
}

// Pages along one side: the first shows `area` pixels, each further one `step` more.
double pagesAlong(double length, double area, double step) {
    if (length <= area) {
        return 1;
    }
    return 1 + std::ceil((length - area) / step - kSlack);
}

std::optional<QString> refusalOfSizes(const TileRequest& request) {
    if (request.picture.width() <= 0 || request.picture.height() <= 0) {
        return QStringLiteral("There is no picture to print.");
    }
    if (!(request.pixelsPerMm > 0) || !std::isfinite(request.pixelsPerMm)) {
        return QStringLiteral("The scale must be greater than zero.");
    }
    if (!(request.printable.width() >= kRulerMm)) {
        return QStringLiteral(
                   "The printable part of the page is %1 mm wide; it must be at least %2 mm "
                   "wide to hold the ruler.")
            .arg(shortNumber(request.printable.width(), 1), shortNumber(kRulerMm, 0));
    }
    if (!(request.printable.height() > kFooterMm)) {
        return QStringLiteral(
                   "The printable part of the page is %1 mm high; it must be higher than the "
                   "%2 mm band that holds the page's label.")
            .arg(shortNumber(request.printable.height(), 1), shortNumber(kFooterMm, 0));
    }
    if (!(request.overlapMm >= 0) || !std::isfinite(request.overlapMm)) {
        return QStringLiteral("The overlap cannot be negative.");
    }
    return std::nullopt;
}

Tile makeTile(const TilePlan& plan, int column, int row) {
    const double scale = plan.request.pixelsPerMm;
    const double overlap = plan.request.overlapMm;
    const QSizeF picture = plan.request.picture;
    const double x = column * plan.step.width() * scale;
    const double y = row * plan.step.height() * scale;
    const bool lastColumn = column == plan.columns - 1;
    const bool lastRow = row == plan.rows - 1;

    Tile tile;
    tile.column = column;
    tile.row = row;
    tile.label = tileLabel(column, row);
    const double width = lastColumn ? picture.width() - x : plan.mapArea.width() * scale;
    const double height = lastRow ? picture.height() - y : plan.mapArea.height() * scale;
    tile.source = QRectF(x, y, width, height);
    tile.map = QRectF(0, 0, lastColumn ? width / scale : plan.mapArea.width(),
                      lastRow ? height / scale : plan.mapArea.height());
    if (column > 0) {
        tile.leftOverlap = QRectF(0, 0, overlap, tile.map.height());
    }
    if (!lastColumn) {
        tile.rightOverlap = QRectF(plan.step.width(), 0, overlap, tile.map.height());
    }
    if (row > 0) {
        tile.topOverlap = QRectF(0, 0, tile.map.width(), overlap);
    }
    if (!lastRow) {
        tile.bottomOverlap = QRectF(0, plan.step.height(), tile.map.width(), overlap);
    }
    return tile;
}

}  // namespace

double scaleForHexSize(double hexPixels, double printed, LengthUnit unit) {
    const double millimetres = unit == LengthUnit::Inch ? printed * kMillimetresPerInch : printed;
    if (!(hexPixels > 0) || !(millimetres > 0)) {
        return 0;
    }
    return hexPixels / millimetres;
}

double scaleForDpi(double dpi) {
    return dpi / kMillimetresPerInch;
}

QString hexScaleText(double printed, LengthUnit unit) {
    return unit == LengthUnit::Inch ? QStringLiteral("%1 in hexes").arg(shortNumber(printed, 3))
                                    : QStringLiteral("%1 mm hexes").arg(shortNumber(printed, 2));
}

QString dpiScaleText(double dpi) {
    return QStringLiteral("%1 dpi").arg(shortNumber(dpi, 1));
}

QString tileLabel(int column, int row) {
    return columnLetters(column + 1) + QString::number(row + 1);
}

QSizeF printableAreaMm(const QPageLayout& layout) {
    return layout.paintRect(QPageLayout::Millimeter).size();
}

QRectF TilePlan::footer() const {
    return {0, mapArea.height(), request.printable.width(), kFooterMm};
}

TilePlanning planTiles(const TileRequest& request) {
    if (const std::optional<QString> refusal = refusalOfSizes(request)) {
        return {std::nullopt, *refusal};
    }
    TilePlan plan;
    plan.request = request;
    plan.mapArea = QSizeF(request.printable.width(), request.printable.height() - kFooterMm);
    const double overlap = request.overlapMm;
    if (overlap >= plan.mapArea.width() || overlap >= plan.mapArea.height()) {
        const double limit = std::min(plan.mapArea.width(), plan.mapArea.height());
        return {std::nullopt,
                QStringLiteral("An overlap of %1 mm leaves no room for the rest of the map on a "
                               "page that shows %2 x %3 mm of it; it must be less than %4 mm.")
                    .arg(shortNumber(overlap, 1), shortNumber(plan.mapArea.width(), 1),
                         shortNumber(plan.mapArea.height(), 1), shortNumber(limit, 1))};
    }
    plan.step = plan.mapArea - QSizeF(overlap, overlap);
    const double scale = request.pixelsPerMm;
    const double columns = pagesAlong(request.picture.width(), plan.mapArea.width() * scale,
                                      plan.step.width() * scale);
    const double rows = pagesAlong(request.picture.height(), plan.mapArea.height() * scale,
                                   plan.step.height() * scale);
    if (!(columns * rows < kCountlessPages)) {  // or not even a number: a scale all but zero
        return {std::nullopt,
                QStringLiteral("At this scale the map needs a billion pages or more; at most "
                               "%1 can be printed at once.")
                    .arg(kMaxTilePages)};
    }
    if (columns * rows > static_cast<double>(kMaxTilePages)) {
        return {std::nullopt,
                QStringLiteral("At this scale the map needs %1 pages (%2 x %3); at most %4 can "
                               "be printed at once.")
                    .arg(shortNumber(columns * rows, 0), shortNumber(columns, 0),
                         shortNumber(rows, 0), QString::number(kMaxTilePages))};
    }
    plan.columns = static_cast<int>(columns);
    plan.rows = static_cast<int>(rows);
    plan.tiles.reserve(static_cast<std::size_t>(plan.pageCount()));
    for (int row = 0; row < plan.rows; ++row) {
        for (int column = 0; column < plan.columns; ++column) {
            plan.tiles.push_back(makeTile(plan, column, row));
        }
    }
    return {std::move(plan), {}};
}

QString describePlan(const TilePlan& plan, const QString& paper, const QString& orientation,
                     const QString& scaleText) {
    const QString pages = plan.pageCount() == 1
                              ? QStringLiteral("1 page")
                              : QStringLiteral("%1 x %2 pages").arg(plan.columns).arg(plan.rows);
    return QStringLiteral("%1, %2 %3, %4").arg(pages, paper, orientation, scaleText);
}

}  // namespace tessara
