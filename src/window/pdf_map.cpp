#include "window/pdf_map.h"

#include "image/picture_memory.h"

namespace tessara {
namespace {

NumberQuestion resolutionField() {
    return {{}, QStringLiteral("Resolution (dots per inch)"), kPdfDpi, kFewestPdfDpi, kMostPdfDpi,
            0};
}

}  // namespace

std::optional<PdfPageChoice> askPdfPage(Questions& questions, const QString& file,
                                        const PdfPages& pdf) {
    const int pages = pdf.count();
    NumbersQuestion question{
        QStringLiteral("Open a PDF page"),
        QStringLiteral("%1 has %2. Which page is the map, and at what resolution is it to be "
                       "drawn? 300 dots per inch is a good scan's.")
            .arg(file,
                 pages == 1 ? QStringLiteral("one page") : QStringLiteral("%1 pages").arg(pages)),
        {}};
    if (pages > 1) {
        question.fields.push_back({{}, QStringLiteral("Page"), 1, 1, double(pages), 0});
    }
    question.fields.push_back(resolutionField());
    const std::optional<std::vector<double>> answer = questions.askNumbers(question);
    if (!answer || answer->size() != question.fields.size()) {
        return std::nullopt;
    }
    return PdfPageChoice{pages > 1 ? static_cast<int>(answer->front()) - 1 : 0, answer->back()};
}

std::optional<double> askPdfResolution(Questions& questions) {
    NumberQuestion question = resolutionField();
    question.title = QStringLiteral("Join Scanned Sections");
    question.prompt = QStringLiteral(
        "At what resolution are the PDF's pages to be drawn, in dots per inch? 300 is a good "
        "scan's.");
    return questions.askNumber(question);
}

Picture renderPdfPage(const PdfPages& pdf, PdfPageChoice choice) {
    QImage page = pdf.render(choice.page, choice.dpi);
    if (page.isNull()) {
        throw PictureTooLarge(
            QStringLiteral("Page %1 drawn at %2 dots per inch would be larger than the largest "
                           "picture Tessara makes (%3 pixels a side). Please choose a lower "
                           "resolution.")
                .arg(choice.page + 1)
                .arg(choice.dpi)
                .arg(kLongestSide)
                .toStdString());
    }
    return Picture(std::move(page));
}

}  // namespace tessara
