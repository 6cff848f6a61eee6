// A program a straightened board is made for, as one object: its name, the file of its own
// it reads beside the board, the whole-pixel hexes it can draw and where its canvas puts
// them, and the text of that file. Tiled, VASSAL and Foundry are three implementations;
// boardFormats() lists them, so the File > Export For menu and `tessara export --for` offer
// whatever is registered there. A new program is one file and one line of that list.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

#include "boards/board_target.h"
#include "boards/board_terrain.h"
#include "grid/hex_numbers.h"

namespace tessara {

struct Straightening;

// Where a program's canvas starts on a board whose first line is a shifted one, in the
// program's pixels from the centre of a hex of that line: along it and across the lines.
// `onLattice` false: the canvas starts on any whole pixel, and the program is told where
// a hex centre lies (VASSAL's x0, y0), which must then be the centre of a shifted line's hex.
struct BoardOrigin {
    bool onLattice = true;
    double along = 0;
    double across = 0;
};

// How the grid looks and what it measures, for the programs that draw it themselves.
struct BoardLook {
    QColor lines = Qt::black;  // the lines' own colour, as drawn
    int thickness = 1;
    int opacity = 100;  // percent
    HexNumbering numbering;
    std::optional<double> hexDistance;  // distance units flat to flat, when the sizes are known
};

// What a definition is written from: the fitted grid on the picture, its straightening,
// the board picture's file name (relative to the definition's folder), the look and, for a
// program that takes it, the terrain of the hexes.
struct BoardContext {
    const GridLayout& layout;
    const Straightening& straightening;
    QString boardFile;
    BoardLook look;
    const BoardTerrain* terrain = nullptr;  // none, or no classes: the definition holds none
};

class BoardFormat {
  public:
    virtual ~BoardFormat() = default;
    virtual QString id() const = 0;                // the word of --for: "tiled"
    virtual QString program() const = 0;           // for the user: "Tiled"
    virtual QString menuText() const = 0;          // "&Tiled Map..."
    virtual QString definitionSuffix() const = 0;  // appended to the board's stem: ".tmx"
    // The save dialog's filter, in the |-separated form of the file dialog, first the default.
    virtual QString nameFilter() const {
        return QStringLiteral("PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg");
    }
    // The program's hexes nearest the fitted ones, `along` and `pitch` pixels; {} for none.
    virtual TargetSizes sizesFor(double along, double pitch) const = 0;
    // Why hexes of these sizes cannot be drawn by the program; empty when they can.
    virtual QString sizeProblem(const TargetSizes& sizes) const;
    virtual BoardOrigin origin(const TargetSizes& sizes) const = 0;
    virtual QByteArray definition(const BoardContext& context) const = 0;
    // What of the grid the program cannot say, in words for the user.
    virtual QStringList unexpressed(const BoardContext&) const { return {}; }
    // Whether its definition can hold the terrain of the hexes (BoardContext::terrain).
    virtual bool takesTerrain() const { return false; }
};

std::span<const BoardFormat* const> boardFormats();
const BoardFormat* findBoardFormat(const QString& id);
// The registered formats' ids, in order: "tiled", "vassal", ...
QStringList boardFormatIds();

}  // namespace tessara
