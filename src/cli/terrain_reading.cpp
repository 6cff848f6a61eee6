#include "cli/terrain_reading.h"

#include "cli/cli_text.h"

namespace tessara {

bool asksForTerrain(const GridRequest& request) {
    return !request.legend.isEmpty() || request.classes > 0;
}

QString legendProblem(const QString& legend) {
    const QString problem = legend.isEmpty() ? QString() : legendFileProblem(legend);
    return problem.isEmpty() ? problem
                             : QStringLiteral("cannot read the legend %1: %2")
                                   .arg(quoted(legend), problem.simplified());
}

std::optional<CommandOutcome> readMapHexes(const GridRequest& request, TerrainReading& reading) {
    reading.hexes = mapHexes(reading.layout, request.choices.numbering);
    if (reading.hexes.empty()) {
        return CommandOutcome::badInput(
            QStringLiteral("no hex of the grid has its centre on the map"));
    }
    if (request.legend.isEmpty()) {
        return std::nullopt;
    }
    LegendReading legend = readLegendFile(request.legend, reading.layout, reading.hexes);
    if (!legend.error.isEmpty()) {
        return CommandOutcome::badInput(legend.error);
    }
    reading.legend = std::move(legend.legend);
    return std::nullopt;
}

void classifyHexes(const GridRequest& request, const QImage& picture, TerrainReading& reading) {
    TerrainChoices choices;
    choices.classes = request.classes;
    choices.samples = reading.legend.classes;
    reading.looks = readHexLooks(picture, reading.layout, request.choices.numbering, reading.hexes);
    reading.terrain = classifyTerrain(reading.looks, choices);
}

}  // namespace tessara
