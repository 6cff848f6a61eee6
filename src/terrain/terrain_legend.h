// A legend names the terrain of a map by samples: one class a line, a name, a colon and
// one or more sample hexes by number; and a line feature (a river, a road) by the side it
// follows between two hexes:
//   Woods: 0304 1207
//   River: line 0305 0306
// Blank lines are allowed, and so is a comment from # to the end of a line.
#pragma once

#include <QString>
#include <vector>

#include "grid/grid_layout.h"
#include "terrain/map_hexes.h"
#include "terrain/terrain_classes.h"

namespace tessara {

// A line feature and the side it follows: between two neighbouring hexes (indexes into the
// map's hexes).
struct LineFeature {
    QString name;
    int from = 0;
    int to = 0;
};

struct TerrainLegend {
    std::vector<ClassSamples> classes;  // in the order of the file
    std::vector<LineFeature> features;
};

struct LegendReading {
    TerrainLegend legend;
    QString error;  // one line: "line 3: no hex 9912 on the map"; empty when the legend reads
};

// Reads a legend against the hexes of the map (mapHexes).
LegendReading readLegend(const QString& text, const GridLayout& layout,
                         const std::vector<MapHex>& hexes);
// Why the legend file cannot be read, in words ("No such file or directory", "it is not a
// file" for a folder, a named pipe or a device, which is never opened to wait on); empty
// when it can.
QString legendFileProblem(const QString& path);
// The same from a file, in UTF-8; an error names the file before its line.
LegendReading readLegendFile(const QString& path, const GridLayout& layout,
                             const std::vector<MapHex>& hexes);

}  // namespace tessara
