// Measure Scale Bar: the two ends of the map's scale bar and its length in distance units
// give the map's width in those units.
#pragma once

#include "window/clicked_measure.h"

namespace tessara {

class MeasureScaleBar : public ClickedMeasure {
  public:
    MeasureScaleBar(const MapWindow& window, GridFitting& fitting);
    void finish() override;
};

}  // namespace tessara
