#include "image/pdf_pages.h"

#include <poppler-qt6.h>

#include <cstring>
#include <new>

#include "core/regular_file.h"
#include "image/picture_memory.h"

namespace tessara {

struct PdfPages::Document {
    std::unique_ptr<Poppler::Document> pdf;
};

bool isPdfName(const QString& path) {
    return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

PdfPages::PdfPages(const QString& path) : document_(std::make_unique<Document>()) {
    // Poppler's notes on a broken file would reach standard error beside the one line that
    // says why the file cannot be read.
    static const bool quiet = [] {
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
        return true;
    }();
    (void)quiet;
    // Read through the file's own bytes, as every picture is, so that any name opens.
    const RegularFile file(path);
    if (file.refusal() != RegularFile::Refusal::None) {
        problem_ = file.refusal() == RegularFile::Refusal::CannotOpen
                       ? QString::fromLocal8Bit(std::strerror(file.error()))
                       : QStringLiteral("it is not a file");
        return;
    }
    document_->pdf = Poppler::Document::loadFromData(file.readAll());
    if (!document_->pdf) {
        problem_ = QStringLiteral("it is not a PDF Tessara can read");
    } else if (document_->pdf->isLocked()) {
        problem_ = QStringLiteral("the PDF is locked with a password");
    } else if (document_->pdf->numPages() < 1) {
        problem_ = QStringLiteral("the PDF has no pages");
    } else {
        document_->pdf->setRenderHint(Poppler::Document::Antialiasing);
        document_->pdf->setRenderHint(Poppler::Document::TextAntialiasing);
    }
}

PdfPages::~PdfPages() = default;

int PdfPages::count() const {
    return problem_.isEmpty() ? document_->pdf->numPages() : 0;
}

QImage PdfPages::render(int page, double dpi) const {
    if (!problem_.isEmpty() || page < 0 || page >= count()) {
        return {};
    }
    const std::unique_ptr<Poppler::Page> p = document_->pdf->page(page);
    if (!p) {
        return {};
    }
    const QSizeF points = p->pageSizeF();
    const double w = points.width() / 72 * dpi;
    const double h = points.height() / 72 * dpi;
    if (w < 1 || h < 1 || w > kLongestSide || h > kLongestSide) {
        return {};
    }
    QImage image = p->renderToImage(dpi, dpi);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace tessara
