// A measure taken by clicking points on the map: it holds the map's clicks until it has as
// many as it needs, marking each, then measures with them. Esc or another measure drops them.
#pragma once

#include "core/message.h"
#include "window/map_tool.h"
#include "window/map_window.h"

namespace tessara {

class GridFitting;

class ClickedMeasure : public MapTool {
  public:
    // `told` explains what to click; `clicks` is how many points the measure needs.
    ClickedMeasure(const MapWindow& window, GridFitting& fitting, Message told, size_t clicks);

    Started start() override;
    bool clicked(QPointF at) override;
    void cancel() override { points_.clear(); }
    const std::vector<QPointF>& marks() const override { return points_; }

  protected:
    const MapWindow& window() const { return window_; }
    GridFitting& fitting() const { return fitting_; }
    const std::vector<QPointF>& points() const { return points_; }

  private:
    MapWindow window_;
    GridFitting& fitting_;
    Message told_;
    size_t clicks_;
    std::vector<QPointF> points_;  // in picture pixels
};

}  // namespace tessara
