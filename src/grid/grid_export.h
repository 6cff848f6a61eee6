// The grid alone, without the map, for a user who lays it over the map in a drawing
// program: a transparent picture of the map's size, or an SVG drawing in the map's pixels.
// Both hold the grid the Generate Hex Grid button draws for the same settings.
#pragma once

#include <QImage>
#include <QString>
#include <optional>

#include "core/write_result.h"
#include "grid/grid_choices.h"
#include "grid/grid_options.h"
#include "grid/grid_parameters.h"
#include "grid/hex_numbers.h"
#include "grid/number_stamps.h"

namespace tessara {

// A premultiplied ARGB picture of width x height in which every pixel the button would
// change on a map of that size has the colour it would get there (the numbers' antialiased
// edges and halos partly transparent) and every other pixel is fully transparent; a grid
// less than opaque has the options' opacity as its lines' alpha. A null image on failure
// (nothing to draw included), with the reason in words for the user in `why` when it is
// given.
QImage gridOnlyImage(int width, int height, const GridSizes& sizes, const GridPen& pen,
                     const GridOptions& options, const HexNumbering& numbering,
                     QString* why = nullptr);

// The same for a grid value.
QImage gridOnlyImage(const GridChoices& choices, QSize map, QString* why = nullptr);

// Writes the grid for a map of width x height pixels as an SVG 1.1 drawing of that size in
// pixels: a <line> per line the button draws, in the lines' colour and the pen's width with
// round ends, each dashed with its own stroke-dasharray when the lines are dashed or dotted,
// and a <text> per hex number (under a stroked copy of the numbers for a halo); the lines,
// and the numbers, are each a group with the options' opacity. The file is written as it
// is worked out, however many lines the grid has, and atomically. On failure `path` is as
// it was before.
WriteResult writeGridSvg(const QString& path, int width, int height, const GridSizes& sizes,
                         const GridPen& pen, const GridOptions& options,
                         const HexNumbering& numbering);
// The same, saying in `leftOut` when the numbers did not fit their hexes and were left out
// of the drawing; reset otherwise.
WriteResult writeGridSvg(const QString& path, int width, int height, const GridSizes& sizes,
                         const GridPen& pen, const GridOptions& options,
                         const HexNumbering& numbering, std::optional<NumbersLeftOut>& leftOut);
// The same for a grid value, on its layout for the map (layoutFor), built once by the caller.
WriteResult writeGridSvg(const QString& path, const GridChoices& choices, const GridLayout& layout,
                         std::optional<NumbersLeftOut>& leftOut);

}  // namespace tessara
