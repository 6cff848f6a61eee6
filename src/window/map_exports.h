// File, Export Map As and Export Grid Only: the gridded map in the formats maps are shared
// in, and the grid alone to lay over the map in a drawing program.
#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "boards/board_format.h"
#include "boards/board_terrain.h"
#include "image/picture_export.h"
#include "window/grid_fitting.h"
#include "window/map_window.h"
#include "window/scale_printing.h"

class QAction;
class QMenu;

namespace tessara {

class MapExports : public QObject {
    Q_OBJECT
  public:
    MapExports(const MapWindow& window, const GridFitting& fitting, const ScalePrinting& printing);

    QAction* exportMapAction() const { return exportMap_; }
    QAction* exportGridAction() const { return exportGrid_; }
    // Export For: one entry a board format (Tiled Map..., VASSAL Board..., ...), enabled
    // while there is a map.
    QMenu* exportForMenu() const { return exportFor_; }
    // The terrain of the hexes, for a target whose map holds it (Tiled's Terrain layer);
    // no classes for none.
    void setTerrain(std::function<BoardTerrain()> terrain) { terrain_ = std::move(terrain); }

  private:
    void exportMap();
    void exportGrid();
    void exportBoardFor(const BoardFormat& target);
    // The name the user chose, proposed as the map's own name with `suffix`; nothing when
    // the user cancelled or chose the map's own file.
    std::optional<QString> askName(const QString& filter, const QString& extension,
                                   const QString& suffix);
    void writeWithProgress(const QString& title, const Picture& picture, const QString& path,
                           const ExportOptions& options);

    MapWindow window_;
    const GridFitting& fitting_;
    const ScalePrinting& printing_;
    int jpegQuality_ = kJpegQuality;  // kept for the next JPEG
    QAction* exportMap_ = nullptr;
    QAction* exportGrid_ = nullptr;
    QMenu* exportFor_ = nullptr;
    std::function<BoardTerrain()> terrain_;
};

// The name an export proposes: the map's file name with `suffix` ("-grid") and the
// extension (".png"), in the map's folder; never the map's own file.
QString proposedName(const QString& mapFile, const QString& suffix, const QString& extension);

}  // namespace tessara
