#include "cli/terrain_reading.h"

#include "cli/cli_text.h"
#include "terrain/noted_terrain.h"

namespace tessara {

bool asksForTerrain(const GridRequest& request) {
    return !request.legend.isEmpty() || request.classes > 0 || !request.choices.terrain.empty();
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
    TerrainNotes notes = request.choices.terrain;
    if (!request.legend.isEmpty() || request.classes > 0) {
        notes.legend.clear();
        notes.classes = request.classes;
    }
    NotedTerrain noted = readNotedTerrain(notes, reading.layout, reading.hexes);
    if (!noted.error.isEmpty()) {
        return CommandOutcome::badInput(QStringLiteral("the settings file's ") + noted.error);
    }
    reading.choices = noted.choices;
    reading.legend = std::move(noted.legend);
    if (request.legend.isEmpty()) {
        return std::nullopt;
    }
    LegendReading legend = readLegendFile(request.legend, reading.layout, reading.hexes);
    if (!legend.error.isEmpty()) {
        return CommandOutcome::badInput(legend.error);
    }
    reading.legend = std::move(legend.legend);
    reading.choices.samples = reading.legend.classes;
    return std::nullopt;
}

std::optional<CommandOutcome> classifyHexes(const GridRequest& request, const QImage& picture,
                                            TerrainReading& reading) {
    reading.looks = readHexLooks(picture, reading.layout, request.choices.numbering, reading.hexes);
    reading.terrain = classifyTerrain(reading.looks, reading.choices);
    if (const QString error =
            applyCorrections(request.choices.terrain.corrections, reading.hexes, reading.terrain);
        !error.isEmpty()) {
        return CommandOutcome::badInput(QStringLiteral("the settings file's ") + error);
    }
    return std::nullopt;
}

}  // namespace tessara
