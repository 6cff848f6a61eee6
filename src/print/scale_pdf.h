// A map at true scale written as a PDF of several pages, ready to print and glue together.
#pragma once

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include "core/write_result.h"
#include "print/scale_tiles.h"
#include "print/tiled_print.h"

namespace tessara {

// A border most printers can print up to.
inline constexpr double kDefaultPdfMarginMm = 5.0;
// Fine enough that every position falls on a device unit within a hundredth of a millimetre.
inline constexpr int kScalePdfDpi = 1200;

struct ScalePdfSettings {
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool landscape = false;
    double marginMm = kDefaultPdfMarginMm;
    double overlapMm = kDefaultOverlapMm;
    double pixelsPerMm = 0;  // see scaleForHexSize and scaleForDpi
};

// The pages the settings describe.
QPageLayout scalePdfLayout(const ScalePdfSettings& settings);
// The plan writeScalePdf prints for a picture of that size, to show before writing.
TilePlanning planScalePdf(QSize picture, const ScalePdfSettings& settings);
// "A4", "Letter"; "portrait" or "landscape": the words describePlan takes.
QString paperName(QPageSize::PageSizeId paper);
QString orientationName(bool landscape);

// Writes `picture` over as many pages as the scale needs, replacing `path` only once the
// whole PDF is written; `path` is untouched on failure, and when `progress` cancels.
WriteResult writeScalePdf(const QImage& picture, const QString& path,
                          const ScalePdfSettings& settings, const PageProgress& progress = {});

}  // namespace tessara
