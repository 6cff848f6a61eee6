// Grid > Hex Terrain... (Alt+G, T): a panel beside the map that reads the terrain of every
// hex off it and lets the user put it right. The hexes are grouped by their look into
// classes, listed with their colour and count; a class is named by editing its name in the
// list (F2), two are merged, a class is added from a hex the grouping missed, and a single
// hex is corrected by clicking it on the map. A line feature (a river, a road) is added by
// clicking on a hex side it follows, and every side it follows is found. A toggle tints every hex
// with its class's colour. Every change is a step of the undo history, and what the user said (the
// legend, the count of classes, the corrections) is the grid settings file's terrain. File > Export
// Hex Data... writes the table or HexJSON (terrain/hex_data_files.h), with the sides of the
// line features beside it.
#pragma once

#include <QObject>
#include <optional>
#include <vector>

#include "boards/board_terrain.h"
#include "grid/grid_layout.h"
#include "grid/terrain_notes.h"
#include "terrain/hex_looks.h"
#include "terrain/hex_sides.h"
#include "terrain/map_hexes.h"
#include "terrain/noted_terrain.h"
#include "window/map_tool.h"
#include "window/map_window.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPainter;
class QPushButton;

namespace tessara {

class GridFitting;

class HexTerrainPanel : public QObject, private MapTool {
    Q_OBJECT
  public:
    // Adds Hex Terrain... to the end of `gridMenu`.
    HexTerrainPanel(const MapWindow& window, GridFitting& fitting, QMenu* gridMenu);

    QAction* panelAction() const { return panel_; }
    QAction* exportAction() const { return export_; }  // File > Export Hex Data...
    QDialog* panel() const { return dialog_; }

    const TerrainNotes& notes() const { return notes_; }
    // The notes put in place without a step of their own (a loaded settings file's step).
    void putNotes(const TerrainNotes& notes);
    // The terrain as the panel shows it; empty before it was read.
    const TerrainMap& terrain() const { return classes_.terrain; }
    const std::vector<MapHex>& hexes() const;
    // The terrain for a board export, read on the grid of now: once the panel has read it or
    // the settings noted it; no classes otherwise, or when what was noted does not read.
    BoardTerrain boardTerrain();

  private:
    struct Reading {
        GridLayout layout;
        HexNumbering numbering;
        qint64 picture =
            0;  // the picture's QImage::cacheKey: a map exchanged by Undo is read again
        std::vector<MapHex> hexes;
        std::vector<HexLook> looks;
    };

    void build();
    void open();
    // Reads the looks again when the map or the grid changed since they were read; false
    // when there is no grid to read them by, which the user is told.
    bool readIfStale();
    void reclassify();
    void showClasses();
    void change(const TerrainNotes& after, const QString& what);
    void renamed(QListWidgetItem* item);
    void featureRenamed(QListWidgetItem* item);
    void merge();
    void countChosen(int index);
    void tint(bool on);
    void paintTint(QPainter& painter, const QRectF& area) const;
    void exportHexData();
    // The found classes as a legend, each by the hexes that look most like it.
    TerrainNotes asLegend() const;
    int selectedClass() const;

    // The map tool: a click corrects the hex to the selected class, or adds a class from it.
    Started start() override;
    bool clicked(QPointF at) override;
    QString status() const override;

    MapWindow window_;
    GridFitting& fitting_;
    TerrainNotes notes_;
    std::optional<Reading> reading_;
    NotedClasses classes_;
    // What a click on the map does while the panel holds it.
    enum class Click { Correct, AddClass, AddFeature };
    Click click_ = Click::Correct;
    std::vector<FeatureSide> sides_;  // the sides the legend's line features follow
    QAction* panel_ = nullptr;
    QAction* export_ = nullptr;
    QDialog* dialog_ = nullptr;
    QLabel* summary_ = nullptr;
    QComboBox* count_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* merge_ = nullptr;
    QPushButton* correct_ = nullptr;
    QPushButton* add_ = nullptr;
    QListWidget* features_ = nullptr;
    QPushButton* addFeature_ = nullptr;
    QCheckBox* tint_ = nullptr;
};

}  // namespace tessara
