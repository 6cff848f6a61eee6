#include "cli/join_command.h"

#include <memory>
#include <variant>
#include <vector>
#include "cli/cli_text.h"
#include "cli/find_grid_command.h"

#include "image/pdf_pages.h"
#include "image/picture_export.h"
#include "photo/section_joining.h"

namespace tessara {
namespace {

QString tooLongBoard(QSize wanted) {
    return QStringLiteral(
               "the joined board would be %1 x %2 pixels, longer than the %3 a picture may have "
               "a side; try a smaller --hex-pixels")
        .arg(wanted.width())
        .arg(wanted.height())
        .arg(kFlatLongestSide);
}

// One section: a picture, or a page of a PDF.
struct Section {
    QString path;
    std::shared_ptr<const PdfPages> pdf;
    int page = -1;  // from 0, for a PDF's page

    QString name() const {
        return page < 0 ? quoted(path)
                        : QStringLiteral("%1 page %2").arg(quoted(path)).arg(page + 1);
    }
};

// The sections the arguments name, a PDF's pages each one; or why they cannot be used.
std::variant<std::vector<Section>, CommandOutcome> sectionsOf(const GridRequest& request) {
    std::vector<Section> sections;
    for (const QString& path : request.inputs) {
        if (!isPdfName(path)) {
            sections.push_back({path, nullptr, -1});
            continue;
        }
        auto pdf = std::make_shared<const PdfPages>(path);
        if (!pdf->problem().isEmpty()) {
            return CommandOutcome::badInput(cannotReadMap(path, pdf->problem()));
        }
        std::vector<int> pages = request.pages;
        if (pages.empty()) {
            for (int page = 1; page <= pdf->count(); ++page) {
                pages.push_back(page);
            }
        }
        for (const int page : pages) {
            if (page > pdf->count()) {
                return CommandOutcome::badInput(
                    QStringLiteral("--pages asks for page %1 of %2, which has %3")
                        .arg(page)
                        .arg(quoted(path))
                        .arg(pdf->count()));
            }
            sections.push_back({path, pdf, page - 1});
        }
    }
    const auto count = static_cast<int>(sections.size());
    if (count < 2 || count > kMostSections) {
        return CommandOutcome::badInput(
            QStringLiteral("tessara join takes 2 to %1 sections, and these are %2")
                .arg(kMostSections)
                .arg(count));
    }
    return sections;
}

CommandOutcome join(const GridRequest& request) {
    if (const QString problem = outputProblem(request.output); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    const auto listed = sectionsOf(request);
    if (const auto* refused = std::get_if<CommandOutcome>(&listed)) {
        return *refused;
    }
    const std::vector<Section>& sections = std::get<std::vector<Section>>(listed);
    // A section that cannot be read ends the work as soon as it is asked for.
    std::optional<CommandOutcome> unreadable;
    const auto source = [&](int k) {
        const Section& s = sections[static_cast<size_t>(k)];
        if (s.pdf) {
            QImage page = s.pdf->render(s.page, request.dpi);
            if (page.isNull()) {
                unreadable = CommandOutcome::failed(
                    QStringLiteral("cannot render %1 at %2 dpi").arg(s.name()).arg(request.dpi));
            }
            return page;
        }
        Picture section;
        if (auto refused = loadInput(s.path, section)) {
            unreadable = refused;
            return QImage();
        }
        return section.image();
    };
    const JoinedBoard joined =
        joinSections(static_cast<int>(sections.size()), source, request.choices.options.hexPixels);
    if (unreadable) {
        return *unreadable;
    }
    const QString section =
        joined.section >= 0 ? sections[static_cast<size_t>(joined.section)].name() : "";
    switch (joined.problem) {
        case JoiningProblem::None:
            break;
        case JoiningProblem::NoGrid:
            return CommandOutcome::failed(
                QStringLiteral("no printed hex grid found on the section ") + section);
        case JoiningProblem::NoOverlap:
            return CommandOutcome::failed(
                QStringLiteral("the section %1 shares no part of the map with the others that "
                               "places it on their grid")
                    .arg(section));
        case JoiningProblem::TooLong:
            return CommandOutcome::badInput(tooLongBoard(joined.wanted));
        case JoiningProblem::OutOfMemory:
            return CommandOutcome::failed(notEnoughMemory());
    }
    const WriteResult written =
        writeOutputFile(Picture(joined.board), request.output, request.format);
    if (!written) {
        return CommandOutcome::failed(cannotWrite(request.output, written.error));
    }
    return {kExitSuccess, {}, {}, gridArguments(joined.options)};
}

}  // namespace

CommandOutcome runJoinCommand(const GridRequest& request) {
    return withinMemory([&] { return join(request); });
}

}  // namespace tessara
