#include "cli/join_command.h"

#include "cli/cli_text.h"
#include "cli/find_grid_command.h"
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

CommandOutcome join(const GridRequest& request) {
    if (const QString problem = outputProblem(request.output); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    // A section that cannot be read ends the work as soon as it is asked for.
    std::optional<CommandOutcome> unreadable;
    const auto source = [&](int k) {
        Picture section;
        if (auto refused = loadInput(request.inputs[k], section)) {
            unreadable = refused;
            return QImage();
        }
        return section.image();
    };
    const JoinedBoard joined = joinSections(static_cast<int>(request.inputs.size()), source,
                                            request.choices.options.hexPixels);
    if (unreadable) {
        return *unreadable;
    }
    const QString section = joined.section >= 0 ? quoted(request.inputs[joined.section]) : "";
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
