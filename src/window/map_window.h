// What a feature of the main window reaches of it: the map and its view, the boxes and lists
// the grid is made from, and the window's services. Form1 makes one and hands it to each
// feature object it creates; the features never see Form1 itself.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QSizeF>
#include <array>
#include <chrono>
#include <functional>
#include <optional>

#include "core/numeric.h"
#include "grid/grid_parameters.h"
#include "image/picture_box.h"
#include "platform/common_dialog.h"
#include "platform/services.h"
#include "view/zoom.h"

class QScrollBar;
class QUndoStack;
class QWidget;

namespace tessara {

class ImageControl;
class StatusBox;
class Viewport;

struct MapWindow {
    MapWindow(QWidget* window, Services services) : window(window), services(services) {}

    QWidget* window;  // the parent of the features' dialogs and progress
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
    const QString* mapFile = nullptr;  // the file the map was loaded from, if any
    QUndoStack* history = nullptr;     // what Edit, Undo takes back
    StatusBox* status = nullptr;       // in the view's corner
    QScrollBar* across = nullptr;      // the view's scroll bars
    QScrollBar* down = nullptr;
    // Shows the map at a zoom of the Zoom menu, from its top-left corner.
    std::function<void(Zoom zoom)> zoom;
    // The view's size, in twips.
    std::function<QSizeF()> viewSize;
    // Shows the map at 5:1 with the scroll bars at these values (0 to 100 each).
    std::function<void(int across, int down)> closeUp;

    bool hasMap() const { return !map->picture().isNull(); }
    // The pen the two lists choose; nothing without a choice in each.
    std::optional<GridPen> pen() const {
        return gridPen(colour->currentIndex(), thickness->currentIndex(), *lineWidths);
    }
};

}  // namespace tessara
