#include "terrain/noted_terrain.h"

#include <QHash>
#include <algorithm>

namespace tessara {

NotedTerrain readNotedTerrain(const TerrainNotes& notes, const GridLayout& layout,
                              const std::vector<MapHex>& hexes) {
    NotedTerrain noted;
    noted.choices.classes = notes.classes;
    if (notes.legend.isEmpty()) {
        return noted;
    }
    LegendReading reading = readLegend(notes.legend.join(QLatin1Char('\n')), layout, hexes);
    if (!reading.error.isEmpty()) {
        noted.error = QStringLiteral("legend ") + reading.error;
        return noted;
    }
    noted.legend = std::move(reading.legend);
    noted.choices.samples = noted.legend.classes;
    return noted;
}

QString applyCorrections(const std::vector<TerrainCorrection>& corrections,
                         const std::vector<MapHex>& hexes, TerrainMap& terrain) {
    QHash<QString, int> hexByNumber;
    for (size_t i = 0; i < hexes.size(); ++i) {
        hexByNumber.insert(hexes[i].number, static_cast<int>(i));
    }
    for (const TerrainCorrection& correction : corrections) {
        const auto hex = hexByNumber.constFind(correction.hex);
        if (hex == hexByNumber.constEnd()) {
            return QStringLiteral("correction of hex %1: no such hex on the map")
                .arg(correction.hex);
        }
        // As the legend reads names: whatever their case.
        const auto named = std::find_if(
            terrain.classes.begin(), terrain.classes.end(), [&](const TerrainClass& c) {
                return c.name.compare(correction.terrain, Qt::CaseInsensitive) == 0;
            });
        if (named == terrain.classes.end()) {
            return QStringLiteral("correction of hex %1: no class \"%2\" on the map")
                .arg(correction.hex, correction.terrain);
        }
        terrain.hexes[static_cast<size_t>(hex.value())] = {
            static_cast<int>(named - terrain.classes.begin()), 1.0};
    }
    return {};
}

NotedClasses classifyNoted(const TerrainNotes& notes, const GridLayout& layout,
                           const std::vector<MapHex>& hexes, const std::vector<HexLook>& looks) {
    NotedTerrain noted = readNotedTerrain(notes, layout, hexes);
    NotedClasses classes{{}, std::move(noted.legend), std::move(noted.error)};
    if (classes.error.isEmpty()) {
        classes.terrain = classifyTerrain(looks, noted.choices);
        classes.error = applyCorrections(notes.corrections, hexes, classes.terrain);
    }
    return classes;
}

}  // namespace tessara
