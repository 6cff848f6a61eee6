#include "window/corner_tour.h"

#include "window/measure_messages.h"

namespace tessara {
namespace {

// The scroll bar values of the map's four corners and its centre, in the order shown.
constexpr int kCorners[5][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {50, 50}};

}  // namespace

MapTool::Started CornerTour::start() {
    if (!window_.hasMap()) {
        window_.services.messages.MsgBox(noMapToMeasureMessage());
        return Started::Refused;
    }
    corner_ = (corner_ + 1) % 5;
    window_.closeUp(kCorners[corner_][0], kCorners[corner_][1]);
    return Started::Done;
}

QString CornerTour::status() const {
    return corner_ < 0 ? QString() : cornerStatus(corner_);
}

}  // namespace tessara
