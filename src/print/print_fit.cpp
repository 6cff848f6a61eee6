#include "print/print_fit.h"

#include <QPageLayout>
#include <QPageSize>
#include <cmath>
#include <limits>

namespace tessara {
namespace {

// A quotient stored as a Single, or nothing when it is not a finite Single.
std::optional<Single> singleQuotient(double dividend, double divisor) {
    if (divisor == 0) {
        return std::nullopt;
    }
    const double q = dividend / divisor;
    if (!std::isfinite(q) || std::abs(q) > std::numeric_limits<Single>::max()) {
        return std::nullopt;
    }
    return toSingle(q);
}

std::optional<Single> singleProduct(double a, double b) {
    const double p = a * b;
    if (!std::isfinite(p) || std::abs(p) > std::numeric_limits<Single>::max()) {
        return std::nullopt;
    }
    return toSingle(p);
}

// Twips in one unit of a page size. Sizes are taken in the unit they are defined in, so that
// A4's 210 x 297 mm and Letter's 8.5 x 11 inches are not first rounded to whole points.
double twipsPer(QPageSize::Unit unit) {
    switch (unit) {
        case QPageSize::Millimeter:
            return kTwipsPerInch / 25.4;
        case QPageSize::Point:
            return kTwipsPerPoint;
        case QPageSize::Inch:
            return kTwipsPerInch;
        case QPageSize::Pica:
            return 12 * kTwipsPerPoint;
        case QPageSize::Didot:
            return 1.065826771 * kTwipsPerPoint;
        case QPageSize::Cicero:
            return 12.789921252 * kTwipsPerPoint;
    }
    return kTwipsPerPoint;
}

Long wholeTwips(double length, QPageSize::Unit unit) {
    return roundToLong(length * twipsPer(unit)).value_or(0);
}

}  // namespace

PageTwips pageTwips(const QPageLayout& layout) {
    const QPageSize& size = layout.pageSize();
    const QSizeF page = size.definitionSize();
    const PageTwips portrait{wholeTwips(page.width(), size.definitionUnits()),
                             wholeTwips(page.height(), size.definitionUnits())};
    // Turned like the layout's own full page.
    return layout.orientation() == QPageLayout::Landscape
               ? PageTwips{portrait.height, portrait.width}
               : portrait;
}

std::optional<PrintFit> fitToPage(PageTwips page, Single IW, Single IH) {
    const std::optional<Single> rW = singleQuotient(page.width, IW);
    const std::optional<Single> rH = singleQuotient(page.height, IH);
    if (!rW || !rH) {
        return std::nullopt;
    }
    if (*rW > *rH) {  // the height limits
        const std::optional<Single> w = singleProduct(IW, *rH);
        if (!w) {
            return std::nullopt;
        }
        return PrintFit{*w, toSingle(page.height)};
    }
    const std::optional<Single> h = singleProduct(IH, *rW);
    if (!h) {
        return std::nullopt;
    }
    return PrintFit{toSingle(page.width), *h};
}

QSizeF twipsToDevice(PrintFit fit, double dpiX, double dpiY) {
    return {static_cast<double>(fit.w) * dpiX / kTwipsPerInch,
            static_cast<double>(fit.h) * dpiY / kTwipsPerInch};
}

}  // namespace tessara
