// Grid > Save Grid Settings and Load Grid Settings: everything that decides the grid and its
// printing (the two sizes, the pen, Grid Options with the numbering, Print at Scale's
// choices, Hex Terrain's legend and corrections) kept in a .hexgrid file, so that a fit outlives
// the window and grids the next map of the same game. Loading fills the boxes, lists and options;
// the map changes only at Generate Hex Grid, and the options' change can be undone.
#pragma once

#include <QObject>

#include "settings/grid_settings.h"
#include "window/map_window.h"

class QMenu;

namespace tessara {

class GridFitting;
class HexTerrainPanel;
class ScalePrinting;

class SettingsFiles : public QObject {
    Q_OBJECT
  public:
    // Adds its two commands to the end of `menu`.
    SettingsFiles(const MapWindow& window, GridFitting& fitting, ScalePrinting& printing,
                  HexTerrainPanel& terrain, QMenu* menu);

    // Loading is one step of the history: Undo puts back every box, list and option.
    void apply(const GridChoices& settings);

  private:
    void save();
    void load();
    // Shows the file dialog; false when the user cancelled it.
    bool askName(bool saving);
    void put(const GridChoices& settings);
    // What the window holds now, the terrain's notes with it.
    GridChoices held() const;

    MapWindow window_;
    GridFitting& fitting_;
    ScalePrinting& printing_;
    HexTerrainPanel& terrain_;
};

}  // namespace tessara
