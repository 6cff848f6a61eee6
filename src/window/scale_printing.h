// File, Print at Scale: the map over as many pages as its scale needs, on a printer, in its
// preview or in a PDF file. The choices made are kept for the next time and for the
// resolution the exports record.
#pragma once

#include <QObject>

#include "window/grid_fitting.h"
#include "window/map_window.h"
#include "window/scale_print_dialog.h"

class QAction;
class QPrinter;

namespace tessara {

class ScalePrinting : public QObject {
    Q_OBJECT
  public:
    ScalePrinting(const MapWindow& window, const GridFitting& fitting);

    QAction* action() const { return action_; }
    const ScaleChoice& choice() const { return choice_; }
    // Picture pixels per millimetre of paper at the chosen scale, for the grid now.
    double pixelsPerMm() const { return choice_.pixelsPerMm(fitting_.hexPixelsNow()); }

  private:
    void showDialog();
    bool paint(QPrinter& printer, const ScalePrintDialog& dialog);
    void preview(const ScalePrintDialog& dialog);
    void print(const ScalePrintDialog& dialog);
    void savePdf(const ScalePrintDialog& dialog);

    MapWindow window_;
    const GridFitting& fitting_;
    ScaleChoice choice_;
    QAction* action_ = nullptr;
};

}  // namespace tessara
