#include "image/section_files.h"

namespace tessara {

QString SectionFile::named(const QString& file) const {
    return page < 0 ? file : QStringLiteral("%1 page %2").arg(file).arg(page + 1);
}

QImage SectionFile::rendered(double dpi) const {
    return pdf ? pdf->render(page, dpi) : QImage();
}

SectionList listSections(const QStringList& paths, const std::vector<int>& pages) {
    SectionList list;
    for (const QString& path : paths) {
        if (!isPdfName(path)) {
            list.sections.push_back({path, nullptr, -1});
            continue;
        }
        auto pdf = std::make_shared<const PdfPages>(path);
        if (!pdf->problem().isEmpty()) {
            list.file = path;
            list.problem = pdf->problem();
            return list;
        }
        std::vector<int> chosen = pages;
        if (chosen.empty()) {
            for (int page = 1; page <= pdf->count(); ++page) {
                chosen.push_back(page);
            }
        }
        for (const int page : chosen) {
            if (page > pdf->count()) {
                list.file = path;
                list.missingPage = page;
                list.pagesThere = pdf->count();
                return list;
            }
            list.sections.push_back({path, pdf, page - 1});
        }
    }
    return list;
}

}  // namespace tessara
