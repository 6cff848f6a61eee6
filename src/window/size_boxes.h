// The two size boxes beside a grid fitted in pixels: its hexes are set, so the boxes are only
// the map's sizes in distance units, and each follows the other.
#pragma once

#include "window/map_window.h"

namespace tessara {

class SizeBoxes {
  public:
    explicit SizeBoxes(const MapWindow& window) : window_(window) {}

    // `box` was typed into: the other one follows, hexes of `pixels` kept.
    void follow(const QLineEdit* box, double pixels);
    // The hex size box from the map's width, for hexes of `pixels`.
    void fillHexSize(double pixels);
    // Boxes that are empty or wrong get sizes that keep hexes of `pixels`, and the status line
    // says so. True when it filled them.
    bool fillForFit(double pixels);

  private:
    MapWindow window_;
};

}  // namespace tessara
