// What the user said about the terrain of a map, kept with its grid so that Save Grid
// Settings keeps it and Load Grid Settings brings it back: the legend (the classes by
// sample hexes and the line features, as its lines read), how many classes to group the
// hexes into when there is no legend, and the hexes corrected by hand. Hexes are named by
// their numbers and classes by their names, as the user sees them, so that the file reads
// well and a correction outlives a change of the classes around it.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tessara {

// How many classes the hexes may be grouped into, and the map decides among, at most.
inline constexpr int kFewestClasses = 2;
inline constexpr int kMostClasses = 8;

struct TerrainCorrection {
    QString hex;      // "0304", in the grid's numbering
    QString terrain;  // the class's name: "Woods", or "Terrain 2"
    friend bool operator==(const TerrainCorrection&, const TerrainCorrection&) = default;
};

struct TerrainNotes {
    QStringList legend;  // one class or line feature a line, as a legend file holds them
    int classes = 0;     // without a legend: this many classes; 0: as many as the map shows
    std::vector<TerrainCorrection> corrections;

    bool empty() const { return legend.isEmpty() && classes == 0 && corrections.empty(); }
    friend bool operator==(const TerrainNotes&, const TerrainNotes&) = default;
};

}  // namespace tessara
