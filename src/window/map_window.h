// What a feature of the main window reaches of it: the map and its view, the boxes and lists
// the grid is made from, and the window's services. Form1 makes one and hands it to each
// feature object it creates; the features never see Form1 itself.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <chrono>
#include <optional>

#include "core/numeric.h"
#include "grid/grid_parameters.h"
#include "image/picture_box.h"
#include "platform/common_dialog.h"
#include "platform/services.h"

class QWidget;

namespace tessara {

class ImageControl;
class Viewport;

struct MapWindow {
    QWidget* window = nullptr;  // the parent of the features' dialogs and progress
    Services services;
    CommonDialog* dialog = nullptr;
    PictureBox* map = nullptr;      // the full-size map
    ImageControl* image = nullptr;  // the map as shown
    Viewport* viewport = nullptr;
    QLineEdit* mapSize = nullptr;  // the map's width in distance units
    QLineEdit* hexSize = nullptr;  // the distance between a hex's flats
    QComboBox* colour = nullptr;
    QComboBox* thickness = nullptr;
    const std::array<Integer, 7>* lineWidths = nullptr;
    const std::chrono::milliseconds* progressDelay = nullptr;

    bool hasMap() const { return !map->picture().isNull(); }
    // The pen the two lists choose; nothing without a choice in each.
    std::optional<GridPen> pen() const {
        return gridPen(colour->currentIndex(), thickness->currentIndex(), *lineWidths);
    }
};

}  // namespace tessara
