// A PDF opened as the map, by Load Map Picture and the ways that load as it does: which
// page, and how finely it is drawn, are asked in one box, since a PDF has no pixels of its
// own. Join Scanned Sections asks the resolution once for all the pages it joins.
#pragma once

#include <optional>

#include "image/pdf_pages.h"
#include "image/picture.h"
#include "platform/questions.h"

namespace tessara {

struct PdfPageChoice {
    int page = 0;  // from 0
    double dpi = kPdfDpi;
};

// Which page of `pdf` (named `file`) is the map and at what resolution, or nothing when the
// user cancelled; a one-page PDF is asked its resolution only.
std::optional<PdfPageChoice> askPdfPage(Questions& questions, const QString& file,
                                        const PdfPages& pdf);
// The resolution the pages of the sections are drawn at, or nothing when cancelled.
std::optional<double> askPdfResolution(Questions& questions);

// The page drawn as the map. Throws PictureTooLarge, saying so, when it would be larger
// than the largest picture the program makes.
Picture renderPdfPage(const PdfPages& pdf, PdfPageChoice choice);

}  // namespace tessara
