// Grid Options: the orientation, offset, shifted lines, stretch, hex size, rotation and skew
// of the grid, how its lines look (colour, style, opacity) and its numbers, in a window that
// stays open beside the map while the preview follows every change. Enter applies a field; no
// button is pressed by it. A colour of one's own is asked for through the Questions seam.
#pragma once

#include <QDialog>
#include <optional>

#include "grid/grid_options.h"
#include "grid/hex_numbers.h"
#include "platform/questions.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tessara {

class GridOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    GridOptionsDialog(QWidget* parent, Questions& questions);

    // Shows these options. `hexPixels` is the hex size the grid would have now, worked out
    // from the two sizes when the options set none; nothing when it cannot be known yet.
    void setOptions(const GridOptions& options, std::optional<double> hexPixels);
    GridOptions options() const { return options_; }
    void setNumbering(const HexNumbering& numbering);
    HexNumbering numbering() const { return numbering_; }

  signals:
    // Every change the user makes, as it is made.
    void optionsChanged(const GridOptions& options);
    void numberingChanged(const HexNumbering& numbering);
    // A pattern with a control character was typed or pasted; the field is back as it was.
    void patternRefused();
    // The Reset button: every option and the numbering back to their defaults.
    void resetRequested();
    // Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y): the grid's changes, not a field's typing.
    void undoRequested();
    void redoRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    QGroupBox* buildLines();
    QGroupBox* buildNumbers();
    void readControls();
    // The line colour list: the list's colour, or one's own, asked for the first time.
    void lineColourPicked(int index);
    // The Choose button: a colour of one's own, asked for every time.
    void chooseLineColour();
    void useLineColour(const std::optional<QColor>& colour);
    // The list and the button show the colour of one's own, as a swatch and its name.
    void showOwnColour();
    void readNumbers();
    // The labels say rows or columns, as the grid has them.
    void nameLinesBy(GridOrientation orientation);

    GridOptions options_;
    bool showing_ = false;  // true while the controls are being set from the options
    QComboBox* orientation_ = nullptr;
    QDoubleSpinBox* offsetX_ = nullptr;
    QDoubleSpinBox* offsetY_ = nullptr;
    QComboBox* shifted_ = nullptr;
    QDoubleSpinBox* stretch_ = nullptr;
    QDoubleSpinBox* hexPixels_ = nullptr;
    QDoubleSpinBox* rotation_ = nullptr;
    QDoubleSpinBox* skew_ = nullptr;
    QFormLayout* form_ = nullptr;
    QLabel* hint_ = nullptr;

    Questions& questions_;
    std::optional<QColor> ownColour_;  // the colour of one's own chosen last
    QComboBox* lineColour_ = nullptr;
    QPushButton* chooseColour_ = nullptr;
    QComboBox* lineStyle_ = nullptr;
    QSpinBox* opacity_ = nullptr;

    HexNumbering numbering_;
    QGroupBox* numbers_ = nullptr;  // checkable: numbering on or off
    QComboBox* numberFormat_ = nullptr;
    QLineEdit* numberPattern_ = nullptr;
    QSpinBox* firstNumber_ = nullptr;
    QComboBox* numberOrigin_ = nullptr;
    QComboBox* numberPosition_ = nullptr;
    QDoubleSpinBox* numberSize_ = nullptr;
    QComboBox* numberUnit_ = nullptr;
    QComboBox* numberColour_ = nullptr;
    QComboBox* halo_ = nullptr;
};

}  // namespace tessara
