// The command line of the program without its window: `tessara grid` draws a grid over a
// map and writes the result, for scripts and batches of maps. Reading the arguments touches
// no file, so every mistake in them is reported before any work starts.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "grid/grid_options.h"
#include "grid/grid_parameters.h"
#include "grid/hex_numbers.h"

namespace tessara {

enum class CommandAction {
    Help,     // print the usage
    Version,  // print the program's name and version
    Grid,     // draw a grid over a map
    Refused,  // the arguments are wrong
};

// Everything `tessara grid` needs, checked.
struct GridRequest {
    QString input;      // the map picture to read
    QString output;     // the file to write
    QByteArray format;  // the output's image format, from its extension: BMP, PNG, JPEG, TIFF
    GridSizes sizes;
    GridPen pen;
    GridOptions options;
    HexNumbering numbering;
};

struct CommandLine {
    CommandAction action = CommandAction::Refused;
    GridRequest grid;  // for Grid
    QString error;     // for Refused: what is wrong, in words for the user
};

// Reads the arguments that follow the program's name. Numbers are read with a dot as the
// decimal point, whatever the user's locale, so that a script means the same everywhere.
CommandLine parseCommandLine(const QStringList& arguments);

QString usageText();
QString versionText();

}  // namespace tessara
