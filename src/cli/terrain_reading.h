// The terrain of every hex of the grid over a map, read one way for tessara terrain's hex
// data and for the Terrain layer of tessara export --for tiled: the hexes whose centre is on
// the map, the legend read against them, and each hex's class.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "cli/command_line.h"
#include "cli/grid_command.h"
#include "terrain/hex_looks.h"
#include "terrain/map_hexes.h"
#include "terrain/terrain_classes.h"
#include "terrain/terrain_legend.h"

namespace tessara {

struct TerrainReading {
    GridLayout layout;
    std::vector<MapHex> hexes;
    TerrainLegend legend;
    TerrainChoices choices;  // the legend's samples, or how many classes
    std::vector<HexLook> looks;
    TerrainMap terrain;
};

// Whether the request asks for terrain: a legend, a number of classes, or a settings file
// that noted the terrain.
bool asksForTerrain(const GridRequest& request);

// Why the legend cannot be read, checked before the map is loaded, as OUTPUT is, so that it
// costs no time: "cannot read the legend 'FILE': why"; empty when it can, or none is given.
QString legendProblem(const QString& legend);

// The hexes of the layout whose centre is on the map, and the legend read against them: the
// legend file's, else the settings file's (a legend file or --classes goes over what the
// settings file noted); the refusal when there are no hexes, or when the legend names what
// the map does not hold.
std::optional<CommandOutcome> readMapHexes(const GridRequest& request, TerrainReading& reading);

// Each hex's look and class: the legend's classes, or the request's number of them found on
// the map, or as many as it shows; then the settings file's hand corrections, the refusal of
// one that names a hex or a class the map does not have.
std::optional<CommandOutcome> classifyHexes(const GridRequest& request, const QImage& picture,
                                            TerrainReading& reading);

}  // namespace tessara
