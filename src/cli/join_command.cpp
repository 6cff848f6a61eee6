#include "cli/join_command.h"

#include <cstring>
#include <memory>
#include <variant>
#include <vector>

#include "cli/cli_text.h"
#include "cli/find_grid_command.h"
#include "image/picture_export.h"
#include "image/png_bands.h"
#include "image/section_files.h"
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

// The sections the arguments name, a PDF's pages each one; or why they cannot be used.
std::variant<std::vector<SectionFile>, CommandOutcome> sectionsOf(const GridRequest& request) {
    SectionList list = listSections(request.inputs, request.pages);
    if (!list.problem.isEmpty()) {
        return CommandOutcome::badInput(cannotReadMap(list.file, list.problem));
    }
    if (list.missingPage > 0) {
        return CommandOutcome::badInput(
            QStringLiteral("--pages asks for page %1 of %2, which has %3")
                .arg(list.missingPage)
                .arg(quoted(list.file))
                .arg(list.pagesThere));
    }
    const auto count = static_cast<int>(list.sections.size());
    if (count < 2 || count > kMostSections) {
        return CommandOutcome::badInput(
            QStringLiteral("tessara join takes 2 to %1 sections, and these are %2")
                .arg(kMostSections)
                .arg(count));
    }
    return std::move(list.sections);
}

// A PNG is written as a flattened board is, quickly (literals and runs): a joined board is tens
// of megapixels, which the usual level takes many seconds to make a few per cent smaller.
WriteResult writeBoard(const QImage& board, const GridRequest& request) {
    if (request.format != "png") {
        return writeOutputFile(Picture(board), request.output, request.format);
    }
    return writePngInBands(request.output, board.size(), [&](int top, QImage& band) {
        for (int r = 0; r < band.height(); ++r) {
            std::memcpy(band.scanLine(r), board.constScanLine(top + r),
                        static_cast<size_t>(board.bytesPerLine()));
        }
    });
}

CommandOutcome join(const GridRequest& request) {
    if (const QString problem = outputProblem(request.output); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    const auto listed = sectionsOf(request);
    if (const auto* refused = std::get_if<CommandOutcome>(&listed)) {
        return *refused;
    }
    const std::vector<SectionFile>& sections = std::get<std::vector<SectionFile>>(listed);
    // A section that cannot be read ends the work as soon as it is asked for.
    std::optional<CommandOutcome> unreadable;
    const auto source = [&](int k) {
        const SectionFile& s = sections[static_cast<size_t>(k)];
        if (s.pdf) {
            QImage page = s.rendered(request.dpi);
            if (page.isNull()) {
                unreadable = CommandOutcome::failed(QStringLiteral("cannot render %1 at %2 dpi")
                                                        .arg(s.named(quoted(s.path)))
                                                        .arg(request.dpi));
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
    const SectionFile* const refused =
        joined.section >= 0 ? &sections[static_cast<size_t>(joined.section)] : nullptr;
    const QString section = refused ? refused->named(quoted(refused->path)) : QString();
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
    const WriteResult written = writeBoard(joined.board, request);
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
