// Print at Scale: the printed size of one hex (or a print resolution), the paper, its
// orientation and the pages' overlap, with the number of pages they make shown as they
// change. The window does the printing; this dialog only asks.
#pragma once

#include <QDialog>
#include <QPageSize>
#include <QSize>
#include <optional>

#include "print/scale_choice.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tessara {

class ScalePrintDialog : public QDialog {
    Q_OBJECT
  public:
    // `hexPixels`: the grid's hex size on the picture, flat to flat; without it only a
    // resolution can be asked for.
    ScalePrintDialog(QWidget* parent, QSize picture, std::optional<double> hexPixels,
                     const ScaleChoice& choice);
    ScaleChoice choice() const { return choice_; }
    // The plan for the choice on a page of `printable` millimetres.
    TilePlanning planFor(QSizeF printable) const;
    // What the summary line says now.
    QString summary() const;

  signals:
    void previewRequested();
    void printRequested();
    void pdfRequested();

  private:
    void build();
    void readControls();

    QSize picture_;
    std::optional<double> hexPixels_;
    ScaleChoice choice_;
    QRadioButton* byHex_ = nullptr;
    QRadioButton* byDpi_ = nullptr;
    QDoubleSpinBox* hexSize_ = nullptr;
    QComboBox* unit_ = nullptr;
    QDoubleSpinBox* dpi_ = nullptr;
    QComboBox* paper_ = nullptr;
    QCheckBox* landscape_ = nullptr;
    QDoubleSpinBox* overlap_ = nullptr;
    QLabel* summary_ = nullptr;
    QList<QPushButton*> actions_;  // Preview, Print, Save as PDF: only with a plan
};

// The printable area of a PDF page of that paper and orientation, with the PDF's margins.
QSizeF pdfPrintableMm(QPageSize::PageSizeId paper, bool landscape);

}  // namespace tessara
