// Fitting the grid to a printed map: the Grid menu. Grid Options with its live preview, the
// align mode that keeps the preview on, the keys that nudge the grid while it shows, checking
// the map's corners close up, and measuring the hexes or the scale bar by clicking the map.
// The preview is drawn over the view and never touches the picture; Generate Hex Grid then
// draws exactly the grid it shows. Every change of the options can be undone.
#pragma once

#include <QObject>
#include <QPointF>
#include <optional>
#include <vector>

#include "grid/grid_layout.h"
#include "grid/grid_options.h"
#include "grid/hex_numbers.h"
#include "window/map_window.h"
#include "window/options_change.h"

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

    const GridOptions& options() const { return fit_.options; }
    const HexNumbering& numbering() const { return fit_.numbering; }
    // A change by the user, as one step of the undo history.
    void setOptions(const GridOptions& options);
    void setNumbering(const HexNumbering& numbering);

    // The grid the preview shows and Generate Hex Grid would draw now; nothing while there
    // is no map or the sizes do not make one.
    std::optional<GridLayout> layoutNow() const;
    std::optional<double> hexPixelsNow() const;
    bool previewShown() const;
    Measuring measuring() const { return measuring_; }

    // The user typed into the size boxes. With the hex size set in pixels they are the map's
    // sizes in distance units only: the other box follows, the grid stays.
    void sizesTyped();
    // Before Generate Hex Grid: with the hex size set in pixels, size boxes that are empty or
    // wrong get sizes that keep it, and the status line says so. True when it filled them.
    bool fillSizesForFit();
    // A left click on the map while measuring, at (x, y) in the image's twips; false when
    // nothing is being measured.
    bool clickedAt(Single x, Single y);
    // A new map: options kept from the last one are pointed out.
    void mapLoaded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenu(QMenu* menu);
    void change(const GridFit& after, const QString& what, int kind = -1);
    void apply(const GridFit& fit);
    void showOptions();
    void refreshPreview();
    void paintOverlay(QPainter& painter, const QRectF& area) const;
    bool keyPressed(const QKeyEvent& key);
    bool nudge(int key, bool fine);
    void typedInto(const QLineEdit* box);
    void fillHexSizeBox(double pixels);
    void pointerAt(Single x, Single y);
    void closeUpOnNextCorner();
    void startMeasuring(Measuring what);
    void finishMeasuring();
    void finishMeasuringHexes(QPointF first, QPointF second, double count);
    void finishMeasuringByThree();
    void finishMeasuringScaleBar(QPointF first, QPointF second, double length);
    QPointF inPicture(Single x, Single y) const;

    MapWindow window_;
    GridFit fit_;
    Measuring measuring_ = Measuring::Nothing;
    std::vector<QPointF> measured_;        // the points clicked so far, in picture pixels
    GridOptionsDialog* dialog_ = nullptr;  // made at its first use
    QAction* align_ = nullptr;
    bool alignForDialog_ = false;  // align mode was turned on while the dialog was open
    int corner_ = -1;              // the corner Check the Corners showed last
    QString pointer_;              // the pointer's place, as the status line shows it
};

}  // namespace tessara
