// Grid Options: the orientation, offset, shifted lines, stretch and hex size of the grid,
// in a window that stays open beside the map while the preview follows every change.
#pragma once

#include <QDialog>
#include <optional>

#include "grid/grid_options.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace tessara {

class GridOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit GridOptionsDialog(QWidget* parent);

    // Shows these options. `hexPixels` is the hex size the grid would have now, worked out
    // from the two sizes when the options set none; nothing when it cannot be known yet.
    void setOptions(const GridOptions& options, std::optional<double> hexPixels);
    GridOptions options() const { return options_; }

  signals:
    // Every change the user makes, as it is made.
    void optionsChanged(const GridOptions& options);

  private:
    void build();
    void readControls();
    void reset();

    GridOptions options_;
    bool showing_ = false;  // true while the controls are being set from the options
    QComboBox* orientation_ = nullptr;
    QDoubleSpinBox* offsetX_ = nullptr;
    QDoubleSpinBox* offsetY_ = nullptr;
    QComboBox* shifted_ = nullptr;
    QDoubleSpinBox* stretch_ = nullptr;
    QDoubleSpinBox* hexPixels_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace tessara
