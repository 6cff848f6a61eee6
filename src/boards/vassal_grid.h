// The VASSAL grid beside a straightened board: a HexGrid element to paste into a board of a
// module, with the target's hexes (straightening.h). VASSAL's hexes stand in columns, flat
// tops up; `sideways` turns them into rows, swapping x and y, so that x0 becomes the
// vertical coordinate of the first centre and y0 its horizontal one.
//
// Hex numbers go into its HexGridNumbering child as far as VASSAL can say them: the first
// numbers and which comes first, digits or letters, leading zeros, the separator and whether
// the rows (columns) of neighbouring hexes step. Not: a pattern of the user's own, letters
// past Z (VASSAL doubles the letter, AA BB, where Tessara counts on, AA AB), and rows counted
// from the bottom (VASSAL counts those from the board's own edge); each is named.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QStringList>

#include "boards/straightening.h"
#include "grid/hex_numbers.h"

namespace tessara {

// VASSAL's numbering attributes for Tessara's numbers on this grid.
struct VassalNumbering {
    char first = 'H';  // which of VASSAL's horizontal (H) and vertical (V) numbers comes first
    QString separator;
    char hType = 'N';  // N digits, A letters
    char vType = 'N';
    int hLeading = 0;  // leading zeros: the digits less one
    int vLeading = 0;
    int hOff = 0;  // the number of the hex at x0, y0
    int vOff = 0;
    bool stagger = false;
    QStringList unexpressed;  // what VASSAL cannot say, in words for the user
};

// `layout` is the grid on the picture before straightening; the numbers are counted there.
VassalNumbering vassalNumbering(const GridLayout& layout, const Straightening& straightening,
                                const HexNumbering& numbering);

// The XML text of the HexGrid element, its lines in `colour`, with its numbering in
// `numberColour` when `numbering` is enabled.
QByteArray vassalGridText(const GridLayout& layout, const Straightening& straightening,
                          const QColor& colour, const HexNumbering& numbering,
                          const QColor& numberColour);

}  // namespace tessara
