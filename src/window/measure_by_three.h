// Measure Hexes by Three Points: three hex centres not on one line, and the steps between
// them in hexes, give a grid that is turned, leans or is stretched.
#pragma once

#include "window/clicked_measure.h"

namespace tessara {

class MeasureByThree : public ClickedMeasure {
  public:
    MeasureByThree(const MapWindow& window, GridFitting& fitting);
    void finish() override;
};

}  // namespace tessara
