#include "cli/export_command.h"

#include "boards/board_export.h"
#include "cli/cli_text.h"
#include "cli/terrain_reading.h"
#include "grid/grid_messages.h"
#include "image/quiet_stderr.h"
#include "terrain/lab_colour.h"

namespace tessara {
namespace {

// Checked before the map is loaded, one rule for both files: a folder where either would go
// is bad input, as is a board name its definition cannot hold, or a legend that cannot be read.
QString boardPairProblem(const GridRequest& given) {
    for (const QString& path : {given.output, definitionPathFor(given.output, *given.target)}) {
        if (const QString problem = outputProblem(path); !problem.isEmpty()) {
            return problem;
        }
    }
    if (const QString problem = boardNameProblem(given.output); !problem.isEmpty()) {
        return cannotWrite(given.output, asClause(problem));
    }
    return legendProblem(given.legend);
}

// Each class in its look's colour, each hex by its centre on the map.
BoardTerrain boardTerrain(const TerrainReading& reading) {
    BoardTerrain terrain;
    for (const TerrainClass& terrainClass : reading.terrain.classes) {
        const Look& look = terrainClass.look;
        terrain.classes.push_back(
            {terrainClass.name, QColor(fromLab({look[0], look[1], look[2]}))});
    }
    for (size_t hex = 0; hex < reading.hexes.size(); ++hex) {
        terrain.hexes.push_back(
            {reading.hexes[hex].centre, reading.terrain.hexes[hex].terrainClass});
    }
    return terrain;
}

// The terrain of the hexes, read as tessara terrain reads it, when the request asks for it;
// the refusal of a legend that names what the map does not hold.
std::optional<CommandOutcome> readBoardTerrain(const GridRequest& request, const Picture& map,
                                               const GridLayout& layout, BoardTerrain& terrain) {
    // A settings file's terrain goes where the target takes it; --legend and --classes are
    // refused for the others.
    if (!asksForTerrain(request) || !request.target->takesTerrain()) {
        return std::nullopt;
    }
    TerrainReading reading;
    reading.layout = layout;
    if (auto refused = readMapHexes(request, reading)) {
        return refused;
    }
    if (auto refused = classifyHexes(request, map.image(), reading)) {
        return refused;
    }
    terrain = boardTerrain(reading);
    return std::nullopt;
}

CommandOutcome exportFor(const GridRequest& given) {
    if (const QString problem = boardPairProblem(given); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    Picture map;
    if (auto refused = loadInput(given.input, map)) {
        return *refused;
    }
    const GridRequest request = requestForMap(given, map.width(), map.height());
    const GridLayout layout = layoutFor(request.choices, QSize(map.width(), map.height()));
    if (layout.problem != GridProblem::None) {
        return drawingFailure(GridOutcome(failureOf(layout.problem)));
    }
    BoardRequest board;
    board.target = request.target;
    board.boardPath = request.output;
    board.format = request.format;
    board.jpegQuality = request.jpegQuality;
    // A hex stands for a distance only when the map's sizes were given rather than made up.
    GridChoices looked = request.choices;
    if (!given.choices.sizesGiven()) {
        looked.hexSize.reset();
    }
    board.look = boardLook(looked);
    if (auto refused = readBoardTerrain(request, map, layout, board.terrain)) {
        return *refused;
    }
    const BoardOutcome outcome = exportBoard(map, layout, board);
    if (outcome.straightening.problem != BoardProblem::None) {
        return CommandOutcome::badInput(asClause(outcome.written.error));
    }
    if (!outcome.written) {
        return CommandOutcome::failed(cannotWrite(outcome.failedPath, outcome.written.error));
    }
    CommandOutcome done;
    done.output =
        QStringLiteral("%1 and %2 written; %3")
            .arg(request.output, outcome.definitionPath, scaleFactorText(outcome.straightening));
    if (!outcome.unexpressed.isEmpty()) {
        done.warning = QStringLiteral("%1's numbering cannot say %2; it counts its own way there")
                           .arg(request.target->program(), oneOf(outcome.unexpressed));
    }
    return done;
}

}  // namespace

CommandOutcome runExportCommand(const GridRequest& request) {
    CommandOutcome outcome = withinMemory([&] { return exportFor(request); });
    warnOfIgnoredSettings(request, outcome);
    return outcome;
}

}  // namespace tessara
