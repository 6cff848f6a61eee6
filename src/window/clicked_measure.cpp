#include "window/clicked_measure.h"

#include "window/measure_messages.h"

namespace tessara {

ClickedMeasure::ClickedMeasure(const MapWindow& window, GridFitting& fitting, Message told,
                               size_t clicks)
    : window_(window), fitting_(fitting), told_(std::move(told)), clicks_(clicks) {}

MapTool::Started ClickedMeasure::start() {
    if (!window_.hasMap()) {
        window_.services.messages.MsgBox(noMapToMeasureMessage());
        return Started::Refused;
    }
    window_.services.messages.MsgBox(told_);
    return Started::Holding;
}

bool ClickedMeasure::clicked(QPointF at) {
    points_.push_back(at);
    return points_.size() == clicks_;
}

}  // namespace tessara
