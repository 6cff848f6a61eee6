// The grid as the window holds it now, as one value: the two sizes as typed, the colour and
// thickness lists, Grid Options with the numbering, and Print at Scale's choices. Saving the
// settings, Generate Hex Grid and every export take it whole from here.
#pragma once

#include "grid/grid_choices.h"
#include "window/map_window.h"

namespace tessara {

class GridFitting;
class ScalePrinting;

// Each size as its box holds it: a box that holds no positive number gives none, whatever
// the other holds, so that a settings file keeps what was typed.
GridChoices shownChoices(const MapWindow& window, const GridFitting& fitting,
                         const ScalePrinting& printing);

// The same with the sizes only as a pair that Generate Hex Grid accepts (a hex smaller than
// the map): the grid that is drawn and exported.
GridChoices drawnChoices(const MapWindow& window, const GridFitting& fitting,
                         const ScalePrinting& printing);

}  // namespace tessara
