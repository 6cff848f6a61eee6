// Grid > Flatten by Four Corners, for a photo whose printed grid Flatten by the Printed Grid
// cannot follow: the user clicks the four corners of the printed area (or of any printed
// rectangle) and types how many hexes lie between them; the photo is then flattened by them
// (photo/corner_flattening.h).
#pragma once

#include <functional>

#include "photo/corner_flattening.h"
#include "window/clicked_measure.h"

namespace tessara {

class FourCorners : public ClickedMeasure {
  public:
    using Flatten = std::function<void(const BoardCorners&)>;
    FourCorners(const MapWindow& window, GridFitting& fitting, Flatten flatten);
    // Asks for the hexes between the corners, in the grid's orientation, then flattens.
    void finish() override;

  private:
    Flatten flatten_;
};

}  // namespace tessara
