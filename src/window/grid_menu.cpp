// The Grid menu: Grid Options with its live preview, the align mode that keeps the preview
// on, and measuring the hexes or the scale bar by clicking the map. The preview is drawn
// over the viewport and never touches the picture; Generate Hex Grid then draws exactly the
// grid it shows.
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "core/number_to_text.h"
#include "core/text_to_number.h"
#include "grid/grid_measure.h"
#include "grid/grid_parameters.h"
#include "grid/hex_grid.h"
#include "view/image_control.h"
#include "view/viewport.h"
#include "window/grid_options_dialog.h"
#include "window/grid_preview.h"
#include "window/main_window.h"
#include "window/measure_messages.h"

namespace tessara {
namespace {

constexpr double kOffsetStep = 1;     // pixels an arrow key moves the grid
constexpr double kHexSizeStep = 0.1;  // pixels + and - change the hex size
constexpr double kFineStep = 0.1;     // with Shift held, steps shrink to this share

}  // namespace

std::optional<GridLayout> Form1::gridLayoutNow() const {
    const Single width = static_cast<Single>(picMap_.pixelWidth());
    const Single height = static_cast<Single>(picMap_.pixelHeight());
    if (picMap_.picture().isNull()) {
        return std::nullopt;
    }
    const GridSizeCheck check = checkGridSizes(txtMapSize->text(), txtHexF->text());
    if (check.problem != GridSizeProblem::None && !state_.gridOptions.hexPixels) {
        return std::nullopt;
    }
    const GridLayout layout =
        layoutGrid(width, height, check.sizes.hexSize, check.sizes.mapSize, state_.gridOptions);
    if (layout.problem != GridProblem::None) {
        return std::nullopt;
    }
    return layout;
}

bool Form1::previewShown() const {
    return mnuAlign->isChecked() || (gridOptionsDialog_ && gridOptionsDialog_->isVisible());
}

void Form1::refreshPreview() {
    if (gridOptionsDialog_) {
        const std::optional<GridLayout> layout = gridLayoutNow();
        gridOptionsDialog_->setOptions(state_.gridOptions,
                                       layout ? std::optional(layout->hexSize) : std::nullopt);
    }
    if (!previewShown()) {
        Imgdisplay->setOverlay({});
        return;
    }
    Imgdisplay->setOverlay([this](QPainter& painter, const QRectF& area) {
        if (const std::optional<GridLayout> layout = gridLayoutNow()) {
            const QColor colour = QBColor(cmbColour->currentIndex()).value_or(Qt::black);
            paintGridPreview(painter, *layout, area, colour);
            if (state_.numbering.enabled) {
                paintNumberPreview(painter, *layout, state_.numbering,
                                   QSizeF(picMap_.pixelWidth(), picMap_.pixelHeight()), area,
                                   colour);
            }
        }
    });
}

void Form1::mnuGridOptions_Click() {
    if (!gridOptionsDialog_) {
        gridOptionsDialog_ = new GridOptionsDialog(this);
        connect(gridOptionsDialog_, &GridOptionsDialog::optionsChanged, this,
                &Form1::gridOptions_Changed);
        connect(gridOptionsDialog_, &GridOptionsDialog::numberingChanged, this,
                &Form1::gridNumbering_Changed);
        gridOptionsDialog_->setNumbering(state_.numbering);
        // Beside the window rather than over the map, where the screen has room for it.
        gridOptionsDialog_->adjustSize();
        const QRect screen = this->screen()->availableGeometry();
        const QPoint beside = frameGeometry().topRight() + QPoint(8, 0);
        if (beside.x() + gridOptionsDialog_->width() <= screen.right()) {
            gridOptionsDialog_->move(beside);
        }
        connect(gridOptionsDialog_, &QDialog::finished, this, [this] {
            refreshPreview();
            activateWindow();  // without a window manager nobody else gives the focus back
        });
    }
    gridOptionsDialog_->show();
    gridOptionsDialog_->raise();
    gridOptionsDialog_->activateWindow();
    refreshPreview();
}

void Form1::mnuAlign_Click() {
    refreshPreview();
}

void Form1::gridOptions_Changed(const GridOptions& options) {
    const bool sizeChanged = options.hexPixels != state_.gridOptions.hexPixels;
    state_.gridOptions = options;
    if (sizeChanged && options.hexPixels) {
        setHexPixels(*options.hexPixels);
    }
    refreshPreview();
}

void Form1::gridNumbering_Changed(const HexNumbering& numbering) {
    state_.numbering = numbering;
    refreshPreview();
}

void Form1::sizeBoxes_Edited() {
    // The two sizes typed decide the hex size again.
    state_.gridOptions.hexPixels.reset();
    refreshPreview();
}

void Form1::setHexPixels(double pixels) {
    state_.gridOptions.hexPixels = pixels;
    const std::optional<Single> mapSize = textToSingle(txtMapSize->text());
    const int width = picMap_.pixelWidth();
    if (mapSize && *mapSize > 0 && width > 0 && !picMap_.picture().isNull()) {
        txtHexF->setText(singleToText(toSingle(pixels * *mapSize / width)));
    }
}

bool Form1::nudgeGrid(int key, bool fine) {
    const double scale = fine ? kFineStep : 1;
    GridOptions& options = state_.gridOptions;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            options.offsetX += (key == Qt::Key_Left ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            options.offsetY += (key == Qt::Key_Up ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // the + key unshifted
        case Qt::Key_Minus:
        case Qt::Key_Underscore: {
            const std::optional<GridLayout> layout = gridLayoutNow();
            if (!layout) {
                return false;
            }
            const double step = kHexSizeStep * scale;
            const bool larger = key == Qt::Key_Plus || key == Qt::Key_Equal;
            const double pixels = layout->hexSize + (larger ? step : -step);
            if (!(pixels >= step)) {
                return true;  // a hex no smaller than one step
            }
            setHexPixels(std::round(pixels * 100) / 100);
            break;
        }
        default:
            return false;
    }
    refreshPreview();
    return true;
}

void Form1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && state_.measuring != Measuring::Nothing) {
        state_.measuring = Measuring::Nothing;
        state_.measured.clear();
        Imgdisplay->unsetCursor();
        return;
    }
    if (previewShown() && nudgeGrid(event->key(), event->modifiers() & Qt::ShiftModifier)) {
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Form1::mnuMeasureHexes_Click() {
    startMeasuring(Measuring::Hexes);
}

void Form1::mnuMeasureScale_Click() {
    startMeasuring(Measuring::ScaleBar);
}

void Form1::startMeasuring(Measuring what) {
    if (picMap_.picture().isNull()) {
        services_.messages.MsgBox(noMapToMeasureMessage());
        return;
    }
    services_.messages.MsgBox(what == Measuring::Hexes ? measureHexesMessage()
                                                       : measureScaleBarMessage());
    state_.measuring = what;
    state_.measured.clear();
    Imgdisplay->setCursor(Qt::CrossCursor);
    Picture1->setFocus();  // where Esc cancels
}

void Form1::measureAt(Single x, Single y) {
    // The image always shows the whole picture, stretched to its own size.
    const double sx = picMap_.pixelWidth() / static_cast<double>(Imgdisplay->Width());
    const double sy = picMap_.pixelHeight() / static_cast<double>(Imgdisplay->Height());
    state_.measured.emplace_back(x * sx, y * sy);
    if (state_.measured.size() == 2) {
        finishMeasuring();
    }
}

void Form1::finishMeasuring() {
    const Measuring what = state_.measuring;
    const QPointF first = state_.measured[0];
    const QPointF second = state_.measured[1];
    state_.measuring = Measuring::Nothing;
    state_.measured.clear();
    Imgdisplay->unsetCursor();
    const bool hexes = what == Measuring::Hexes;
    const std::optional<double> count =
        services_.questions.askNumber(hexes ? hexesApartQuestion() : scaleBarLengthQuestion());
    if (!count) {
        return;
    }
    if (hexes) {
        const std::optional<double> pixels = hexSizeFromCentres(first, second, *count);
        if (!pixels) {
            services_.messages.MsgBox(measuredNothingMessage());
        } else if (services_.questions.confirm(measuredHexesMessage(*pixels))) {
            state_.gridOptions = centredOn(state_.gridOptions, *pixels, first);
            setHexPixels(*pixels);
            mnuAlign->setChecked(true);
        }
    } else {
        const std::optional<double> width =
            mapWidthFromScaleBar(first, second, *count, picMap_.pixelWidth());
        const QString text = width ? singleToText(toSingle(*width)) : QString();
        if (!width) {
            services_.messages.MsgBox(measuredNothingMessage());
        } else if (services_.questions.confirm(measuredScaleBarMessage(text))) {
            txtMapSize->setText(text);
            if (state_.gridOptions.hexPixels) {
                setHexPixels(*state_.gridOptions.hexPixels);  // the same hexes, in the new units
            }
        }
    }
    refreshPreview();
}

}  // namespace tessara
