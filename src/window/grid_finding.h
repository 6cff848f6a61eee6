// Grid > Find Printed Grid: the hex grid printed on the loaded map, found and set as every
// Grid Options field in one step that Undo takes back, and shown over the map at once.
// Generate Hex Grid then draws it with nothing more to type.
#pragma once

#include <QObject>

#include "window/map_window.h"

class QAction;
class QMenu;

namespace tessara {

class GridFitting;

class GridFinding : public QObject {
    Q_OBJECT
  public:
    // Puts its item into the Grid menu, before Measure Hexes; greyed while there is no map.
    GridFinding(const MapWindow& window, GridFitting& fitting, QMenu* menu);

  private:
    void find();

    MapWindow window_;
    GridFitting& fitting_;
    QAction* find_ = nullptr;
};

}  // namespace tessara
