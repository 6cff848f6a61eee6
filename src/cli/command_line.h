// The command line of the program without its window: `tessara grid` draws a grid over a
// map and writes the result, for scripts and batches of maps; `tessara find-grid` finds the
// grid printed on a map and prints the options of `tessara grid` that draw it; `tessara
// flatten` flattens a photo of a board by its printed grid; `tessara join` joins sections of
// a map on theirs; `tessara terrain` reads the terrain of every hex of a grid off the map.
// Reading the arguments touches no file but a settings file, so every mistake in them is
// reported before any work starts.
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "boards/board_format.h"
#include "grid/grid_choices.h"
#include "image/picture_export.h"

namespace tessara {

enum class CommandAction {
    Help,      // print the usage
    Version,   // print the program's name and version
    Grid,      // draw a grid over a map
    FindGrid,  // find the grid printed on a map
    Export,    // straighten a map into a board for another program (board_format.h)
    Flatten,   // flatten a photo of a board by its printed grid
    Join,      // join sections of a map on their printed grid
    Terrain,   // read the terrain of every hex into a hex data file
    Refused,   // the arguments are wrong
};

// Everything `tessara grid` needs, checked.
struct GridRequest {
    QString input;           // the map picture to read
    QStringList inputs;      // for Join: the sections, in the order given
    std::vector<int> pages;  // for Join: the pages of a PDF section, from 1; empty for all
    double dpi = 300;        // for Join: what a PDF section's pages are rendered at
    QString output;          // the file to write
    // From OUTPUT's extension: "bmp", "png", "jpeg", "tiff" (the gridded map), "svg" (the grid
    // alone) or "pdf" (the gridded map at true scale over pages).
    QByteArray format;
    GridChoices
        choices;  // the grid, over the one a settings file gave; its print choices for "pdf"
    std::optional<QPointF> anchor;        // a hex centre goes there, instead of an offset
    QStringList settingsIgnored;          // fields of a newer settings file left out
    const BoardFormat* target = nullptr;  // for Export
    int jpegQuality = kJpegQuality;       // for Export to a .jpg board
    QString legend;                       // for Terrain: the legend file, when one is given
    int classes = 0;  // for Terrain without a legend: this many classes; 0: as the map shows
};

struct SubcommandEntry;

struct CommandLine {
    CommandAction action = CommandAction::Refused;
    // For Grid, Export and Terrain; for FindGrid, its input only; for Flatten and Join, their
    // files, format and hexPixels.
    GridRequest grid;
    QString error;                             // for Refused: what is wrong, in words for the user
    const SubcommandEntry* command = nullptr;  // the subcommand, if one was named
};

// Reads the arguments that follow the program's name. Numbers are read with a dot as the
// decimal point, whatever the user's locale, so that a script means the same everywhere.
CommandLine parseCommandLine(const QStringList& arguments);

QString versionText();

}  // namespace tessara
