// The terrain of every hex: its looks grouped into classes, each hex given the class that
// covers most of it (by its parts) and the share it covers. The classes come from named sample
// hexes (a legend), or are found on the map: as many as asked for, or as many as it shows.
#pragma once

#include <QString>
#include <vector>

#include "grid/terrain_notes.h"
#include "terrain/hex_looks.h"

namespace tessara {

// A class named by the sample hexes of it (indexes into the hexes and their looks).
struct ClassSamples {
    QString name;
    std::vector<int> hexes;
};

// A hex the user says is of a class, whatever its look.
struct HandCorrection {
    int hex = 0;
    int terrainClass = 0;
};

struct TerrainChoices {
    std::vector<ClassSamples> samples;  // set: these classes, in this order
    int classes = 0;                    // without samples: this many classes; 0: decide
    std::vector<HandCorrection> corrections;
};

struct TerrainClass {
    QString name;  // the sample's name, or "Terrain 1" .. "Terrain K"
    Look look;
};

struct HexTerrain {
    int terrainClass = 0;
    double share = 0;  // of the hex the class covers, 0 to 1; 1 where corrected by hand
};

struct TerrainMap {
    std::vector<TerrainClass> classes;
    std::vector<HexTerrain> hexes;  // in the order of the looks
};

// The samples' and the corrections' hexes are indexes into `looks`, and a correction's class
// one of the classes the choices make (a legend's, or as many as were asked for).
TerrainMap classifyTerrain(const std::vector<HexLook>& looks, const TerrainChoices& choices);

// How many classes the looks show, from kFewestClasses to kMostClasses.
int classesShown(const std::vector<Look>& looks);

}  // namespace tessara
