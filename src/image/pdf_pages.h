// The pages of a PDF as pictures: a print-and-play map comes as pages to cut and tape, and
// each page is a section of the map (Poppler renders them, antialiased, as a viewer does).
#pragma once

#include <QImage>
#include <QString>
#include <memory>

namespace tessara {

inline constexpr double kPdfDpi = 300;  // what a page is rendered at unless told otherwise
inline constexpr double kFewestPdfDpi = 50;
inline constexpr double kMostPdfDpi = 1200;

// Whether the file's name says it is a PDF.
bool isPdfName(const QString& path);

class PdfPages {
  public:
    // Opens the file; `problem()` says why when it cannot be read as a PDF.
    explicit PdfPages(const QString& path);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    // Why the file cannot be read, in words for the user; empty when it can.
    const QString& problem() const { return problem_; }
    int count() const;
    // Page `page` (from 0) at `dpi`, Format_RGB32 on white; a null picture when it cannot be
    // rendered, or would pass the largest picture the program makes.
    QImage render(int page, double dpi) const;

  private:
    struct Document;
    std::unique_ptr<Document> document_;
    QString problem_;
};

}  // namespace tessara
