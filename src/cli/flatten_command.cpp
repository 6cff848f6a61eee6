#include "cli/flatten_command.h"

#include "cli/cli_text.h"
#include "cli/find_grid_command.h"
#include "photo/board_flattening.h"

namespace tessara {
namespace {

QString tooLongBoard(double hexPixels, QSize wanted) {
    return QStringLiteral(
               "--hex-pixels %1 makes a board of %2 x %3 pixels, longer than the %4 a picture "
               "may have a side")
        .arg(hexPixels)
        .arg(wanted.width())
        .arg(wanted.height())
        .arg(kFlatLongestSide);
}

QString cappedNote(const FlatBoard& board) {
    return QStringLiteral(
               "the hexes are %1 pixels flat to flat rather than the %2 of the largest on the "
               "photo, so that the board stays within %3 pixels a side")
        .arg(board.hexPixels, 0, 'f', 2)
        .arg(board.largestSeen, 0, 'f', 2)
        .arg(kFlatLongestSide);
}

CommandOutcome flatten(const GridRequest& request) {
    if (const QString problem = outputProblem(request.output); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    Picture photo;
    if (auto refused = loadInput(request.input, photo)) {
        return *refused;
    }
    const std::optional<double> asked = request.choices.options.hexPixels;
    const FlattenedBoard flat = planByPrintedGrid(photo.image(), asked);
    switch (flat.problem) {
        case FlatteningProblem::None:
            break;
        case FlatteningProblem::NoGrid:
            return noGridFound(request.input);
        case FlatteningProblem::TooLong:
            return CommandOutcome::badInput(tooLongBoard(*asked, flat.wanted));
        case FlatteningProblem::OutOfMemory:
            return CommandOutcome::failed(notEnoughMemory());
    }
    const WriteResult written = writeFlatBoard(photo.image(), flat, request.output, request.format);
    if (!written) {
        return CommandOutcome::failed(cannotWrite(request.output, written.error));
    }
    return {kExitSuccess,
            {},
            flat.capped ? cappedNote(flat.plan) : QString(),
            gridArguments(flat.options)};
}

}  // namespace

CommandOutcome runFlattenCommand(const GridRequest& request) {
    return withinMemory([&] { return flatten(request); });
}

}  // namespace tessara
