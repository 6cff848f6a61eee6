#include "cli/terrain_command.h"

#include <QIODevice>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "cli/cli_text.h"
#include "cli/terrain_reading.h"
#include "image/atomic_file.h"
#include "image/file_pair.h"
#include "terrain/hex_data_files.h"
#include "terrain/hex_sides.h"

namespace tessara {
namespace {

// What the map's hexes turned out to be, ready to be written.
struct HexData {
    TerrainReading reading;
    std::vector<FeatureSide> sides;
};

// The refusal of a legend whose line features' sides file cannot be written, before the
// looks of the hexes are read.
std::optional<CommandOutcome> sidesProblem(const GridRequest& request,
                                           const TerrainLegend& legend) {
    if (legend.features.empty()) {
        return std::nullopt;
    }
    if (const QString problem = outputProblem(sidesPath(request.output)); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    return std::nullopt;
}

WriteResult writeBytes(const QString& path, const QByteArray& bytes) {
    return writeFileAtomically(
        path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}

// OUTPUT alone, or OUTPUT and its sides file as a pair; on failure, the line that says which.
QString writeHexData(const GridRequest& request, const HexData& data) {
    const TerrainReading& r = data.reading;
    const QByteArray table = request.format == "json" ? hexDataJson(r.layout, r.hexes, r.terrain)
                                                      : hexDataCsv(r.hexes, r.terrain);
    if (r.legend.features.empty()) {
        const WriteResult written = writeBytes(request.output, table);
        return written ? QString() : cannotWrite(request.output, written.error);
    }
    const QByteArray sides = hexSidesCsv(r.hexes, data.sides, r.legend.features);
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
    const TerrainMap& terrain = data.reading.terrain;
    const std::vector<LineFeature>& features = data.reading.legend.features;
    std::vector<int> hexes(terrain.classes.size(), 0);
    for (const HexTerrain& hex : terrain.hexes) {
        ++hexes[static_cast<size_t>(hex.terrainClass)];
    }
    QStringList classes;
    for (size_t c = 0; c < hexes.size(); ++c) {
        classes << QStringLiteral("%1 %2").arg(terrain.classes[c].name).arg(hexes[c]);
    }
    QString line = classes.join(QStringLiteral(", "));
    for (size_t f = 0; f < features.size(); ++f) {
        const auto counted = [&](bool through) {
            return std::ranges::count_if(data.sides, [&](const FeatureSide& side) {
                return side.feature == static_cast<int>(f) && side.through() == through;
            });
        };
        line += QStringLiteral("; %1 %2 sides").arg(features[f].name).arg(counted(false));
        if (const auto through = counted(true); through > 0) {
            line += QStringLiteral(", %1 hexes through").arg(through);
        }
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
    TerrainReading& reading = data.reading;
    reading.layout = layoutFor(request.choices, QSize(map.width(), map.height()));
    if (reading.layout.problem != GridProblem::None) {
        return drawingFailure(GridOutcome(failureOf(reading.layout.problem)));
    }
    if (auto refused = readMapHexes(request, reading)) {
        return *refused;
    }
    if (auto refused = sidesProblem(request, reading.legend)) {
        return *refused;
    }
    if (auto refused = classifyHexes(request, map.image(), reading)) {
        return *refused;
    }
    if (!reading.legend.features.empty()) {
        data.sides = featureSides(map.image(), reading.layout, reading.hexes, reading.looks,
                                  reading.legend.features);
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
