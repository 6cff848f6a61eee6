// Exporting a map for another program: the board, straightened so that the target's own
// grid lies on the fitted one (straightening.h), as a PNG or JPEG picture, and beside it,
// with the same stem, the target's grid definition: BOARD.tmx for Tiled, BOARD.vassal.xml
// for VASSAL. Both files appear together or neither does: the board is written under a
// temporary name, the definition atomically, and only then is the board renamed into place.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include "boards/straightening.h"
#include "core/write_result.h"
#include "grid/hex_numbers.h"
#include "image/picture.h"
#include "image/picture_export.h"

namespace tessara {

struct BoardRequest {
    BoardTarget target = BoardTarget::Tiled;
    QString boardPath;
    QByteArray format = "png";  // "png" or "jpeg"
    int jpegQuality = kJpegQuality;
    QColor colour = Qt::black;  // VASSAL's grid lines
    HexNumbering numbering;     // VASSAL's numbers, when enabled
};

struct BoardOutcome {
    Straightening straightening;
    WriteResult written;
    QString definitionPath;
    QStringList unexpressed;  // numbering VASSAL cannot say
};

// BOARD.tmx or BOARD.vassal.xml beside BOARD.png.
QString definitionPathFor(const QString& boardPath, BoardTarget target);

// Refuses, writing nothing, when the straightening has a problem (outcome.straightening
// says which); fails, leaving both files as they were, when a write fails.
BoardOutcome exportBoard(const Picture& map, const GridLayout& layout, const BoardRequest& request);

// For the user: why a straightening was refused, and the scale factor a board was made with.
QString boardProblemText(const Straightening& straightening);
QString scaleFactorText(const Straightening& straightening);
// "0.99502 across, 0.97662 down"
QString scaleText(const Straightening& straightening);

}  // namespace tessara
