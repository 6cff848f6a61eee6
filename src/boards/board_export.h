// Exporting a map for another program: the board, straightened so that the target's own
// grid lies on the fitted one (straightening.h), as a PNG or JPEG picture, and beside it,
// with the same stem, the target's grid definition (board_format.h): BOARD.tmx for Tiled,
// BOARD.vassal.xml for VASSAL, BOARD.foundry.json for Foundry. Both files appear together or
// neither does, as a pair of files is written (file_pair.h).
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include "boards/board_terrain.h"
#include "boards/straightening.h"
#include "core/write_result.h"
#include "grid/grid_choices.h"
#include "grid/grid_parameters.h"
#include "grid/hex_numbers.h"
#include "image/picture.h"
#include "image/picture_export.h"

namespace tessara {

struct BoardRequest {
    const BoardFormat* target = nullptr;
    QString boardPath;
    QByteArray format = "png";  // "png" or "jpeg"
    int jpegQuality = kJpegQuality;
    BoardLook look;        // how the target draws the grid, for those that say
    BoardTerrain terrain;  // for a target that takes it (BoardFormat::takesTerrain)
};

struct BoardOutcome {
    Straightening straightening;
    WriteResult written;
    QString definitionPath;
    QString failedPath;       // of the two, the file that could not be written
    QStringList unexpressed;  // what of the grid the target cannot say
};

// How the target draws the grid: the lines in their own colour (the options', else the
// list's), the numbers in theirs (else the lines'); a hex stands for the value's hex size in
// distance units, when it has one.
BoardLook boardLook(const GridChoices& choices);

// BOARD.tmx, BOARD.vassal.xml, ... beside BOARD.png.
QString definitionPathFor(const QString& boardPath, const BoardFormat& target);

// Why the board cannot be named in its definition, whatever the target: a name that is not
// UTF-8 text, or one with a character XML cannot hold (a control character but a tab or a
// line break, U+FFFE, U+FFFF); empty when it can. Its folder's name may be any bytes.
QString boardNameProblem(const QString& boardPath);

// Refuses, writing nothing, when the straightening has a problem (outcome.straightening
// says which); fails, leaving both files as they were, when a write fails.
BoardOutcome exportBoard(const Picture& map, const GridLayout& layout, const BoardRequest& request);

// For the user: why a straightening was refused, and the scale factor a board was made with.
QString boardProblemText(const Straightening& straightening);
QString scaleFactorText(const Straightening& straightening);
// "0.99502 across, 0.97662 down"
QString scaleText(const Straightening& straightening);

}  // namespace tessara
