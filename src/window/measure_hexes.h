// Measure Hexes: the centres of two hexes along a row (or column) and how many hexes apart
// they are give the hex size in pixels, with a hex centred on the first point.
#pragma once

#include "window/clicked_measure.h"

namespace tessara {

class MeasureHexes : public ClickedMeasure {
  public:
    MeasureHexes(const MapWindow& window, GridFitting& fitting);
    void finish() override;
};

}  // namespace tessara
