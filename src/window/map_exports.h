// File, Export Map As and Export Grid Only: the gridded map in the formats maps are shared
// in, and the grid alone to lay over the map in a drawing program.
#pragma once

#include <QObject>
#include <optional>

#include "image/picture_export.h"
#include "window/grid_fitting.h"
#include "window/map_window.h"
#include "window/scale_printing.h"

class QAction;

namespace tessara {

class MapExports : public QObject {
    Q_OBJECT
  public:
    MapExports(const MapWindow& window, const GridFitting& fitting, const ScalePrinting& printing);

    QAction* exportMapAction() const { return exportMap_; }
    QAction* exportGridAction() const { return exportGrid_; }

  private:
    void exportMap();
    void exportGrid();
    std::optional<QString> askName(const QString& filter, const QString& extension);
    void writeWithProgress(const QString& title, const Picture& picture, const QString& path,
                           const ExportOptions& options);

    MapWindow window_;
    const GridFitting& fitting_;
    const ScalePrinting& printing_;
    int jpegQuality_ = kJpegQuality;  // kept for the next JPEG
    QAction* exportMap_ = nullptr;
    QAction* exportGrid_ = nullptr;
};

}  // namespace tessara
