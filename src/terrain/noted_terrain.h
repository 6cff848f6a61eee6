// The terrain the user noted with the grid (grid/terrain_notes.h), read against a map's
// hexes: its legend, the choices the classes are made by, and, once the hexes are classed,
// the hand corrections laid over them.
#pragma once

#include <QString>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/terrain_notes.h"
#include "terrain/map_hexes.h"
#include "terrain/terrain_classes.h"
#include "terrain/terrain_legend.h"

namespace tessara {

struct NotedTerrain {
    TerrainLegend legend;
    TerrainChoices choices;  // the legend's samples, or how many classes; no corrections
    QString error;           // "legend line 3: no hex 9912 on the map"; empty when it reads
};

NotedTerrain readNotedTerrain(const TerrainNotes& notes, const GridLayout& layout,
                              const std::vector<MapHex>& hexes);

// Gives each corrected hex its class, whole. Why a correction cannot be made (a hex not on
// the map, a class the map does not have), naming it; empty when all are made.
QString applyCorrections(const std::vector<TerrainCorrection>& corrections,
                         const std::vector<MapHex>& hexes, TerrainMap& terrain);

// The hexes' terrain as the notes say: classed, then corrected.
struct NotedClasses {
    TerrainMap terrain;
    TerrainLegend legend;
    QString error;
};
NotedClasses classifyNoted(const TerrainNotes& notes, const GridLayout& layout,
                           const std::vector<MapHex>& hexes, const std::vector<HexLook>& looks);

}  // namespace tessara
