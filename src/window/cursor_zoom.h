// Zooming at the pointer: Ctrl with the mouse wheel steps through the Zoom menu's seven
// scales, keeping the map's point under the pointer where it is. The Zoom menu's commands
// stay as they are, each showing the map from its top-left corner.
#pragma once

#include <QObject>

#include "view/zoom.h"
#include "window/map_window.h"

namespace tessara {

// The scales in the order the wheel steps through them, from 1:5 to 5:1.
inline constexpr Zoom kZoomSteps[] = {Zoom::OneToFive, Zoom::OneToThree, Zoom::OneToTwo,
                                      Zoom::Normal,    Zoom::TwoToOne,   Zoom::ThreeToOne,
                                      Zoom::FiveToOne};

class CursorZoom : public QObject {
    Q_OBJECT
  public:
    explicit CursorZoom(const MapWindow& window);

    // `steps` notches of the wheel with the pointer at (x, y), in the image's twips.
    void wheel(int steps, Single x, Single y);

  private:
    MapWindow window_;
};

// The step of the zoom the map is shown at now, of an image that shows it this many times
// its full size.
int zoomStepOf(double shownOverFull);

}  // namespace tessara
