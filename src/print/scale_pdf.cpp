#include "print/scale_pdf.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

#include "core/file_names.h"
#include "image/atomic_file.h"
#include "image/descriptor_device.h"

namespace tessara {
namespace {

// Paints the whole plan into `file`; false when it was cancelled or could not be written.
bool paintPdf(QIODevice& file, const QImage& picture, const TilePlan& plan,
              const QPageLayout& layout, const QString& title, const PageProgress& progress) {
    QPdfWriter writer(&file);
    writer.setResolution(kScalePdfDpi);
    writer.setCreator(QStringLiteral("Tessara"));
    writer.setTitle(title);
    // Qt places the printable area at margins rounded to whole points, 0.06 mm off for
    // 5 mm; the painter is moved by the exact margins over the whole page instead.
    QPageLayout wholePage = layout;
    wholePage.setMode(QPageLayout::FullPageMode);
    if (!writer.setPageLayout(wholePage)) {
        return false;
    }
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    const double unitsPerMm = kScalePdfDpi / kMillimetresPerInch;
    painter.translate(margins.left() * unitsPerMm, margins.top() * unitsPerMm);
    const bool painted = printTiles(painter, picture, plan, progress);
    const bool ended = painter.end();
    // The PDF engine does not notice a short write; the device keeps the system's reason.
    const auto* descriptor = dynamic_cast<const DescriptorDevice*>(&file);
    const bool stored = descriptor == nullptr || descriptor->lastError() == 0;
    return painted && ended && stored;
}

}  // namespace

QPageLayout scalePdfLayout(const ScalePdfSettings& settings) {
    const double m = settings.marginMm;
    return QPageLayout(QPageSize(settings.paper),
                       settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

TilePlanning planScalePdf(QSize picture, const ScalePdfSettings& settings) {
    if (!(settings.marginMm >= 0)) {
        return {std::nullopt, QStringLiteral("The margins cannot be negative.")};
    }
    return planTiles({picture, settings.pixelsPerMm, printableAreaMm(scalePdfLayout(settings)),
                      settings.overlapMm});
}

QString paperName(QPageSize::PageSizeId paper) {
    return QPageSize::name(paper);
}

QString orientationName(bool landscape) {
    return landscape ? QStringLiteral("landscape") : QStringLiteral("portrait");
}

WriteResult writeScalePdf(const QImage& picture, const QString& path,
                          const ScalePdfSettings& settings, const PageProgress& progress) {
    const TilePlanning planning = planScalePdf(picture.size(), settings);
    if (!planning.plan) {
        return WriteResult::failed(planning.refusal);
    }
    bool cancelled = false;
    const PageProgress watched = [&](int done, int total) {
        cancelled = progress && !progress(done, total);
        return !cancelled;
    };
    const WriteResult written = writeFileAtomically(path, [&](QIODevice& file) {
        return paintPdf(file, picture, *planning.plan, scalePdfLayout(settings),
                        shownText(QFileInfo(path).completeBaseName()), watched);
    });
    if (cancelled) {
        return WriteResult::failed(QStringLiteral("Cancelled: the PDF was not written."));
    }
    return written;
}

}  // namespace tessara
