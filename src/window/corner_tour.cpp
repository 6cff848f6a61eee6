#include "window/corner_tour.h"

#include <algorithm>
#include <cmath>

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
    corner_ = (corner_ + 1) % (worst_ ? 6 : 5);
    if (corner_ == 5) {
        window_.closeUp((*worst_)[0], (*worst_)[1]);
    } else {
        window_.closeUp(kCorners[corner_][0], kCorners[corner_][1]);
    }
    return Started::Done;
}

QString CornerTour::status() const {
    if (corner_ == 5) {
        return worstFitStatus();
    }
    return corner_ < 0 ? QString() : cornerStatus(corner_, worst_ ? 6 : 5);
}

void CornerTour::addWorst(QPointF at, QSizeF size) {
    // A point's share of the picture as the scroll bars' share of their range keeps it in
    // view at 5:1, as far across the view as it is across the picture.
    const auto share = [](double x, double side) {
        return static_cast<int>(std::lround(std::clamp(100 * x / std::max(side, 1.0), 0.0, 100.0)));
    };
    worst_ = {share(at.x(), size.width()), share(at.y(), size.height())};
}

}  // namespace tessara
