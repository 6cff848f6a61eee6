// Check the Corners: each start shows the next of the map's four corners, then its centre,
// close up, and round again; a new map starts from the first corner.
#pragma once

#include "window/map_tool.h"
#include "window/map_window.h"

namespace tessara {

class CornerTour : public MapTool {
  public:
    explicit CornerTour(const MapWindow& window) : window_(window) {}

    Started start() override;
    QString status() const override;
    void restart() { corner_ = -1; }

  private:
    MapWindow window_;
    int corner_ = -1;  // the corner shown last
};

}  // namespace tessara
