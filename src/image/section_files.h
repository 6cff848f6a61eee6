// The files a map in pieces comes in: each picture file is one section, each page of a PDF
// is one, so that a print-and-play map's pages join as its scans do.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "image/pdf_pages.h"

namespace tessara {

struct SectionFile {
    QString path;
    std::shared_ptr<const PdfPages> pdf;  // for a PDF's page, the document it is in
    int page = -1;                        // from 0, for a PDF's page

    // `file` (the caller's name for the file), with the page when it is one: "a.pdf" page 2.
    QString named(const QString& file) const;
    // The page rendered at `dpi`; a null picture when it cannot be, or when this is no page.
    QImage rendered(double dpi) const;
};

struct SectionList {
    std::vector<SectionFile> sections;
    // When a file cannot be used: the file, and why (a PDF that cannot be read), or the page
    // asked for that it does not have, with the pages it has.
    QString file;
    QString problem;
    int missingPage = 0;
    int pagesThere = 0;
};

// The sections in `paths`, in their order: a picture file as it is, a PDF as its pages, all
// of them or those of `pages` (from 1) in that order. Each PDF is opened once.
SectionList listSections(const QStringList& paths, const std::vector<int>& pages = {});

}  // namespace tessara
