#include "window/four_corners.h"

#include "window/grid_fitting.h"
#include "window/photo_messages.h"

namespace tessara {

FourCorners::FourCorners(const MapWindow& window, GridFitting& fitting, Flatten flatten)
    : ClickedMeasure(window, fitting, fourCornersMessage(), 4), flatten_(std::move(flatten)) {}

void FourCorners::finish() {
    BoardCorners corners;
    std::copy(points().begin(), points().end(), corners.points.begin());
    if (!cornersInOrder(corners.points)) {
        window().services.messages.MsgBox(notFourCornersMessage());
        return;
    }
    corners.orientation = fitting().options().orientation;
    const std::optional<std::vector<double>> hexes =
        window().services.questions.askNumbers(cornerHexesQuestion(corners.orientation));
    if (!hexes) {
        return;
    }
    corners.across = (*hexes)[0];
    corners.down = (*hexes)[1];
    flatten_(corners);
}

}  // namespace tessara
