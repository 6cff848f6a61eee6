// Every decision about a grid as one value: its sizes, where it lies, how its lines look,
// how its hexes are numbered and how it prints at scale. The window keeps one as its
// document, the command line builds one from its arguments, and a settings file is one
// written down; every drawing, export and count takes it whole.
#pragma once

#include <QSize>
#include <optional>

#include "grid/grid_layout.h"
#include "grid/grid_options.h"
#include "grid/grid_parameters.h"
#include "grid/hex_numbers.h"
#include "grid/terrain_notes.h"
#include "print/scale_choice.h"

namespace tessara {

struct GridChoices {
    // The map's width and a hex's size in distance units, as typed; unset when the grid is
    // given by its hex size in pixels only (options.hexPixels).
    std::optional<double> mapWidth;
    std::optional<double> hexSize;
    int colour = 0;     // position in the colour list (kColourNames)
    int thickness = 1;  // line width in pixels, one of kLineWidths
    GridOptions options;
    HexNumbering numbering;
    ScaleChoice print;
    TerrainNotes terrain;

    bool sizesGiven() const { return mapWidth.has_value(); }
    // The sizes in the button's single precision; 0 for a size not given.
    GridSizes sizes() const;
    // The pen of the lists: the colour list's colour, whatever the lines' own colour is.
    GridPen pen() const;
    friend bool operator==(const GridChoices&, const GridChoices&) = default;
};

// The grid of the value laid over a picture of that size: built once for a request, and
// handed to everything that draws, counts or exports it.
GridLayout layoutFor(const GridChoices& choices, QSize picture);

}  // namespace tessara
