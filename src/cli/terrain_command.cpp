#include "cli/terrain_command.h"

#include <QIODevice>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "cli/cli_text.h"
#include "image/atomic_file.h"
#include "image/file_pair.h"
#include "terrain/hex_data_files.h"
#include "terrain/hex_looks.h"
#include "terrain/hex_sides.h"
#include "terrain/map_hexes.h"
#include "terrain/noted_terrain.h"
#include "terrain/terrain_classes.h"
#include "terrain/terrain_legend.h"

namespace tessara {
namespace {

// What the map's hexes turned out to be, ready to be written.
struct HexData {
    GridLayout layout;
    std::vector<MapHex> hexes;
    TerrainMap terrain;
    TerrainChoices choices;
    TerrainLegend legend;
    std::vector<FeatureSide> sides;
};

// Checked before the map is loaded, as OUTPUT is: a legend that cannot be opened costs no
// time. What it says is read once the hexes it names are known.
QString legendProblem(const QString& legend) {
    const QString problem = legend.isEmpty() ? QString() : legendFileProblem(legend);
    return problem.isEmpty() ? problem
                             : QStringLiteral("cannot read the legend %1: %2")
                                   .arg(quoted(legend), problem.simplified());
}

// The legend file's, or else the one the settings file noted; the refusal of one that names
// what the map does not hold, or whose sides file cannot be written.
std::optional<CommandOutcome> readLegendOf(const GridRequest& request, HexData& data) {
    TerrainNotes notes = request.choices.terrain;
    if (!request.legend.isEmpty() || request.classes > 0) {
        notes.legend.clear();  // the command's own choice, over the settings file's
        notes.classes = request.classes;
    }
    NotedTerrain noted = readNotedTerrain(notes, data.layout, data.hexes);
    if (!noted.error.isEmpty()) {
        return CommandOutcome::badInput(QStringLiteral("the settings file's ") + noted.error);
    }
    data.choices = noted.choices;
    data.legend = std::move(noted.legend);
    if (!request.legend.isEmpty()) {
        LegendReading reading = readLegendFile(request.legend, data.layout, data.hexes);
        if (!reading.error.isEmpty()) {
            return CommandOutcome::badInput(reading.error);
        }
        data.legend = std::move(reading.legend);
        data.choices.samples = data.legend.classes;
    }
    if (data.legend.features.empty()) {
        return std::nullopt;
    }
    if (const QString problem = outputProblem(sidesPath(request.output)); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    return std::nullopt;
}

// Each hex's class, from the legend's samples or found on the map, corrected where the
// settings file says, and the sides of the line features.
std::optional<CommandOutcome> readTerrain(const GridRequest& request, const QImage& picture,
                                          HexData& data) {
    const std::vector<HexLook> looks =
        readHexLooks(picture, data.layout, request.choices.numbering, data.hexes);
    data.terrain = classifyTerrain(looks, data.choices);
    if (const QString error =
            applyCorrections(request.choices.terrain.corrections, data.hexes, data.terrain);
        !error.isEmpty()) {
        return CommandOutcome::badInput(QStringLiteral("the settings file's ") + error);
    }
    if (!data.legend.features.empty()) {
        data.sides = featureSides(picture, data.layout, data.hexes, looks, data.legend.features);
    }
    return std::nullopt;
}

WriteResult writeBytes(const QString& path, const QByteArray& bytes) {
    return writeFileAtomically(
        path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}

// OUTPUT alone, or OUTPUT and its sides file as a pair; on failure, the line that says which.
QString writeHexData(const GridRequest& request, const HexData& data) {
    const QByteArray table = request.format == "json"
                                 ? hexDataJson(data.layout, data.hexes, data.terrain)
                                 : hexDataCsv(data.hexes, data.terrain);
    if (data.legend.features.empty()) {
        const WriteResult written = writeBytes(request.output, table);
        return written ? QString() : cannotWrite(request.output, written.error);
    }
    const QByteArray sides = hexSidesCsv(data.hexes, data.sides, data.legend.features);
    const auto part = [](const QString& path, const QByteArray& bytes) {
        return PairPart{
            path, [&bytes](const QString& scratch) { return writeBytes(scratch, bytes); }, true};
    };
    const PairOutcome written =
        writeFilePair(part(request.output, table), part(sidesPath(request.output), sides));
    return written.written ? QString() : cannotWrite(written.failedPath, written.written.error);
}

// "Clear 40, Woods 31, Town 12; River 9 sides": the hexes of each class, in the classes'
// order, and the sides of each line feature.
QString countsLine(const HexData& data) {
    std::vector<int> hexes(data.terrain.classes.size(), 0);
    for (const HexTerrain& hex : data.terrain.hexes) {
        ++hexes[static_cast<size_t>(hex.terrainClass)];
    }
    QStringList classes;
    for (size_t c = 0; c < hexes.size(); ++c) {
        classes << QStringLiteral("%1 %2").arg(data.terrain.classes[c].name).arg(hexes[c]);
    }
    QString line = classes.join(QStringLiteral(", "));
    for (size_t f = 0; f < data.legend.features.size(); ++f) {
        const auto count = std::count_if(
            data.sides.begin(), data.sides.end(),
            [f](const FeatureSide& side) { return side.feature == static_cast<int>(f); });
        line += QStringLiteral("; %1 %2 sides").arg(data.legend.features[f].name).arg(count);
    }
    return line;
}

CommandOutcome terrainOf(const GridRequest& given) {
    for (const QString& problem : {outputProblem(given.output), legendProblem(given.legend)}) {
        if (!problem.isEmpty()) {
            return CommandOutcome::badInput(problem);
        }
    }
    Picture map;
    if (auto refused = loadInput(given.input, map)) {
        return *refused;
    }
    const GridRequest request = requestForMap(given, map.width(), map.height());
    HexData data;
    data.layout = layoutFor(request.choices, QSize(map.width(), map.height()));
    if (data.layout.problem != GridProblem::None) {
        return drawingFailure(GridOutcome(failureOf(data.layout.problem)));
    }
    data.hexes = mapHexes(data.layout, request.choices.numbering);
    if (data.hexes.empty()) {
        return CommandOutcome::badInput(
            QStringLiteral("no hex of the grid has its centre on the map"));
    }
    if (auto refused = readLegendOf(request, data)) {
        return *refused;
    }
    if (auto refused = readTerrain(request, map.image(), data)) {
        return *refused;
    }
    if (const QString failure = writeHexData(request, data); !failure.isEmpty()) {
        return CommandOutcome::failed(failure);
    }
    return {kExitSuccess, {}, {}, countsLine(data)};
}

}  // namespace

CommandOutcome runTerrainCommand(const GridRequest& request) {
    CommandOutcome outcome = withinMemory([&] { return terrainOf(request); });
    warnOfIgnoredSettings(request, outcome);
    return outcome;
}

}  // namespace tessara
