// Check the Corners: each start shows the next of the map's four corners, then its centre,
// close up, and round again; a new map starts from the first corner. On a board just
// flattened from a photo, the place where its printed lines fit worst comes last.
#pragma once

#include <QSizeF>
#include <array>
#include <optional>

#include "window/map_tool.h"
#include "window/map_window.h"

namespace tessara {

class CornerTour : public MapTool {
  public:
    explicit CornerTour(const MapWindow& window) : window_(window) {}

    Started start() override;
    QString status() const override;
    void restart() {
        corner_ = -1;
        worst_.reset();
    }
    // Adds the place `at` of a picture of `size` pixels to the tour, until the next map.
    void addWorst(QPointF at, QSizeF size);

  private:
    MapWindow window_;
    int corner_ = -1;                          // the corner shown last
    std::optional<std::array<int, 2>> worst_;  // its scroll bar values
};

}  // namespace tessara
