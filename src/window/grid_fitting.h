// Fitting the grid to a printed map: the Grid menu. Grid Options with its live preview, the
// align mode that keeps the preview on, the keys that nudge the grid while it shows, and
// measuring the hexes or the scale bar by clicking the map. The preview is drawn over the
// view and never touches the picture; Generate Hex Grid then draws exactly the grid it shows.
#pragma once

#include <QObject>
#include <QPointF>
#include <optional>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/grid_options.h"
#include "grid/hex_numbers.h"
#include "window/map_window.h"

class QAction;
class QKeyEvent;
class QMenu;

namespace tessara {

class GridOptionsDialog;

// What a click on the map is measuring, if anything.
enum class Measuring { Nothing, Hexes, ScaleBar };

class GridFitting : public QObject {
    Q_OBJECT
  public:
    // Fills `menu` with the Grid menu's commands; watches the window's keys.
    GridFitting(const MapWindow& window, QMenu* menu);

    const GridOptions& options() const { return options_; }
    const HexNumbering& numbering() const { return numbering_; }
    // Every change of the options or the numbering, from the dialog or from here.
    void setOptions(const GridOptions& options);
    void setNumbering(const HexNumbering& numbering);

    // The grid the preview shows and Generate Hex Grid would draw now; nothing while there
    // is no map or the sizes do not make one.
    std::optional<GridLayout> layoutNow() const;
    std::optional<double> hexPixelsNow() const;
    bool previewShown() const;
    Measuring measuring() const { return measuring_; }

    // The user typed into the size boxes: they decide the hex size again.
    void sizesTyped();
    // A left click on the map while measuring, at (x, y) in the image's twips; false when
    // nothing is being measured.
    bool clickedAt(Single x, Single y);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showOptions();
    void refreshPreview();
    bool keyPressed(const QKeyEvent& key);
    bool nudge(int key, bool fine);
    void setHexPixels(double pixels);
    void startMeasuring(Measuring what);
    void finishMeasuring();

    MapWindow window_;
    GridOptions options_;
    HexNumbering numbering_;
    Measuring measuring_ = Measuring::Nothing;
    std::vector<QPointF> measured_;        // the points clicked so far, in picture pixels
    GridOptionsDialog* dialog_ = nullptr;  // made at its first use
    QAction* align_ = nullptr;
};

}  // namespace tessara
