// Fitting the grid to a printed map: the Grid menu. Grid Options with its live preview, the
// align mode that keeps the preview on, the keys that nudge the grid while it shows, and the
// map tools the menu starts: checking the map's corners close up, and measuring the hexes or
// the scale bar by clicking the map. The preview is drawn over the view and never touches the
// picture; Generate Hex Grid then draws exactly the grid it shows. The grid itself is the
// document's, where every change of it can be undone.
#pragma once

#include <QObject>
#include <QPointF>
#include <optional>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/grid_options.h"
#include "grid/hex_numbers.h"
#include "view/image_control.h"
#include "window/corner_tour.h"
#include "window/grid_document.h"
#include "window/map_window.h"
#include "window/measure_by_three.h"
#include "window/measure_hexes.h"
#include "window/measure_scale_bar.h"
#include "window/size_boxes.h"

class QAction;
class QKeyEvent;
class QMenu;

namespace tessara {

class GridOptionsDialog;

// What clicks on the map are measuring, if anything.
enum class Measuring { Nothing, Hexes, HexesByThree, ScaleBar };

class GridFitting : public QObject {
    Q_OBJECT
  public:
    // Fills `menu` with the Grid menu's commands; watches the window's keys and the map's
    // pointer.
    GridFitting(const MapWindow& window, QMenu* menu);

    const MapWindow& window() const { return window_; }
    const GridOptions& options() const { return document_.grid().options; }
    const HexNumbering& numbering() const { return document_.grid().numbering; }
    // A change by the user, as one step of the undo history.
    void setOptions(const GridOptions& options);
    void setNumbering(const HexNumbering& numbering);
    // Options and numbering both, as one step of the history named `what`.
    void setFit(const GridFit& fit, const QString& what) { document_.change(fit, what); }
    // The same for a step of the history that holds more than the options: not recorded.
    void putFit(const GridFit& fit) { document_.put(fit); }

    // The grid the preview shows and Generate Hex Grid would draw now; nothing while there
    // is no map or the sizes do not make one.
    std::optional<GridLayout> layoutNow() const;
    std::optional<double> hexPixelsNow() const;
    // The hex size a ruler measures on a print: the flats across a line, as they lean.
    std::optional<double> flatsApartNow() const;
    bool previewShown() const;
    Measuring measuring() const;

    // The user typed into the size boxes. With the hex size set in pixels they are the map's
    // sizes in distance units only: the other box follows, the grid stays.
    void sizesTyped();
    // Before Generate Hex Grid: with the hex size set in pixels, size boxes that are empty or
    // wrong get sizes that keep it, and the status line says so. True when it filled them.
    bool fillSizesForFit();
    // A left click on the map while a tool holds it, at (x, y) in the image's twips; false
    // when none does.
    bool clickedAt(Single x, Single y);
    // A new map: options kept from the last one are pointed out.
    void mapLoaded();
    // The map exchanged for another by a step of the history, which is kept: the tools
    // start again on it.
    void mapExchanged();
    // A fit measured or found on the map: one step of the undo history, named `what`, shown
    // at once in the preview.
    void showFitted(const GridOptions& options, const QString& what);
    // The grid of a fit: its hexes placed as `options` place them, its lines and numbers
    // as they are now.
    GridFit fitted(const GridOptions& options) const;
    // Turns the preview on as showFitted does, for a fit put in place by a step of its own.
    void showPreview();
    // Starts a map tool of another part of the Grid menu, as the menu's own are started:
    // one holding the map takes its clicks until it is done, Esc or another tool.
    void startTool(MapTool& tool);
    CornerTour& cornerTour() { return corners_; }
    // Painted over the map under the preview and the marks (Hex Terrain's tint); empty for none.
    void setTint(ImageControl::Overlay tint);

  signals:
    // Another map was loaded.
    void mapReplaced();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenu(QMenu* menu);
    void gridChanged(const GridFit& before);
    void showOptions();
    void refreshPreview();
    void paintOverlay(QPainter& painter, const QRectF& area) const;
    bool keyPressed(const QKeyEvent& key);
    void typedInto(const QLineEdit* box);
    void pointerAt(Single x, Single y);
    void letGo();
    void doneMarking();
    const std::vector<QPointF>& marks() const;
    QPointF inPicture(Single x, Single y) const;

    MapWindow window_;
    GridDocument document_;
    MeasureHexes hexes_;
    MeasureByThree byThree_;
    MeasureScaleBar scaleBar_;
    CornerTour corners_;
    SizeBoxes boxes_;
    MapTool* held_ = nullptr;              // the tool that takes the map's clicks
    MapTool* marking_ = nullptr;           // the tool whose clicks are marked: held, or finishing
    GridOptionsDialog* dialog_ = nullptr;  // made at its first use
    QAction* align_ = nullptr;
    bool alignForDialog_ = false;  // align mode was turned on while the dialog was open
    ImageControl::Overlay tint_;
};

}  // namespace tessara
