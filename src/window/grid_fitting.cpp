#include "window/grid_fitting.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "core/number_to_text.h"
#include "core/text_to_number.h"
#include "grid/grid_measure.h"
#include "grid/hex_grid.h"
#include "view/image_control.h"
#include "view/viewport.h"
#include "window/grid_options_dialog.h"
#include "window/grid_preview.h"
#include "window/measure_messages.h"
#include "window/menu_items.h"

namespace tessara {
namespace {

constexpr double kOffsetStep = 1;     // pixels an arrow key moves the grid
constexpr double kHexSizeStep = 0.1;  // pixels + and - change the hex size
constexpr double kFineStep = 0.1;     // with Shift held, steps shrink to this share

}  // namespace

GridFitting::GridFitting(const MapWindow& window, QMenu* menu)
    : QObject(window.window), window_(window) {
    connect(item(menu, "mnuGridOptions", QStringLiteral("Grid &Options...")), &QAction::triggered,
            this, &GridFitting::showOptions);
    align_ = item(menu, "mnuAlign", QStringLiteral("&Align Mode (Preview)"));
    align_->setCheckable(true);
    connect(align_, &QAction::triggered, this, &GridFitting::refreshPreview);
    separator(menu, "mnuSep4");
    connect(item(menu, "mnuMeasureHexes", QStringLiteral("Measure &Hexes")), &QAction::triggered,
            this, [this] { startMeasuring(Measuring::Hexes); });
    connect(item(menu, "mnuMeasureScale", QStringLiteral("Measure &Scale Bar")),
            &QAction::triggered, this, [this] { startMeasuring(Measuring::ScaleBar); });
    // Only what the user types: the sizes written by the grid commands keep the hex size.
    connect(window_.mapSize, &QLineEdit::textEdited, this, &GridFitting::sizesTyped);
    connect(window_.hexSize, &QLineEdit::textEdited, this, &GridFitting::sizesTyped);
    window_.window->installEventFilter(this);
}

std::optional<GridLayout> GridFitting::layoutNow() const {
    if (!window_.hasMap()) {
        return std::nullopt;
    }
    const GridSizeCheck check = checkGridSizes(window_.mapSize->text(), window_.hexSize->text());
    if (check.problem != GridSizeProblem::None && !options_.hexPixels) {
        return std::nullopt;
    }
    const GridLayout layout = layoutGrid(static_cast<Single>(window_.map->pixelWidth()),
                                         static_cast<Single>(window_.map->pixelHeight()),
                                         check.sizes.hexSize, check.sizes.mapSize, options_);
    if (layout.problem != GridProblem::None) {
        return std::nullopt;
    }
    return layout;
}

std::optional<double> GridFitting::hexPixelsNow() const {
    const std::optional<GridLayout> layout = layoutNow();
    return layout ? std::optional(layout->hexSize) : std::nullopt;
}

bool GridFitting::previewShown() const {
    return align_->isChecked() || (dialog_ && dialog_->isVisible());
}

void GridFitting::refreshPreview() {
    if (dialog_) {
        dialog_->setOptions(options_, hexPixelsNow());
    }
    if (!previewShown()) {
        window_.image->setOverlay({});
        return;
    }
    window_.image->setOverlay([this](QPainter& painter, const QRectF& area) {
        if (const std::optional<GridLayout> layout = layoutNow()) {
            const QColor colour = QBColor(window_.colour->currentIndex()).value_or(Qt::black);
            paintGridPreview(painter, *layout, area, colour);
            if (numbering_.enabled) {
                paintNumberPreview(painter, *layout, numbering_,
                                   QSizeF(window_.map->pixelWidth(), window_.map->pixelHeight()),
                                   area, colour);
            }
        }
    });
}

void GridFitting::showOptions() {
    if (!dialog_) {
        QWidget* parent = window_.window;
        dialog_ = new GridOptionsDialog(parent);
        connect(dialog_, &GridOptionsDialog::optionsChanged, this, &GridFitting::setOptions);
        connect(dialog_, &GridOptionsDialog::numberingChanged, this, &GridFitting::setNumbering);
        dialog_->setNumbering(numbering_);
        // Beside the window rather than over the map, where the screen has room for it.
        dialog_->adjustSize();
        const QRect screen = parent->screen()->availableGeometry();
        const QPoint beside = parent->frameGeometry().topRight() + QPoint(8, 0);
        if (beside.x() + dialog_->width() <= screen.right()) {
            dialog_->move(beside);
        }
        connect(dialog_, &QDialog::finished, this, [this, parent] {
            refreshPreview();
            parent->activateWindow();  // without a window manager nobody else gives it back
        });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    refreshPreview();
}

void GridFitting::setOptions(const GridOptions& options) {
    const bool sizeChanged = options.hexPixels != options_.hexPixels;
    options_ = options;
    if (sizeChanged && options.hexPixels) {
        setHexPixels(*options.hexPixels);
    }
    refreshPreview();
}

void GridFitting::setNumbering(const HexNumbering& numbering) {
    numbering_ = numbering;
    refreshPreview();
}

void GridFitting::sizesTyped() {
    options_.hexPixels.reset();
    refreshPreview();
}

void GridFitting::setHexPixels(double pixels) {
    options_.hexPixels = pixels;
    const std::optional<Single> mapSize = textToSingle(window_.mapSize->text());
    const int width = window_.map->pixelWidth();
    if (mapSize && *mapSize > 0 && width > 0 && window_.hasMap()) {
        window_.hexSize->setText(singleToText(toSingle(pixels * *mapSize / width)));
    }
}

bool GridFitting::nudge(int key, bool fine) {
    const double scale = fine ? kFineStep : 1;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            options_.offsetX += (key == Qt::Key_Left ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            options_.offsetY += (key == Qt::Key_Up ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // the + key unshifted
        case Qt::Key_Minus:
        case Qt::Key_Underscore: {
            const std::optional<double> now = hexPixelsNow();
            if (!now) {
                return false;
            }
            const double step = kHexSizeStep * scale;
            const bool larger = key == Qt::Key_Plus || key == Qt::Key_Equal;
            const double pixels = *now + (larger ? step : -step);
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

bool GridFitting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.window && event->type() == QEvent::KeyPress) {
        return keyPressed(static_cast<const QKeyEvent&>(*event));
    }
    return false;
}

bool GridFitting::keyPressed(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Escape && measuring_ != Measuring::Nothing) {
        measuring_ = Measuring::Nothing;
        measured_.clear();
        window_.image->unsetCursor();
        return true;
    }
    return previewShown() && nudge(key.key(), key.modifiers() & Qt::ShiftModifier);
}

void GridFitting::startMeasuring(Measuring what) {
    if (!window_.hasMap()) {
        window_.services.messages.MsgBox(noMapToMeasureMessage());
        return;
    }
    window_.services.messages.MsgBox(what == Measuring::Hexes ? measureHexesMessage()
                                                              : measureScaleBarMessage());
    measuring_ = what;
    measured_.clear();
    window_.image->setCursor(Qt::CrossCursor);
    window_.viewport->setFocus();  // where Esc cancels
}

bool GridFitting::clickedAt(Single x, Single y) {
    if (measuring_ == Measuring::Nothing) {
        return false;
    }
    // The image always shows the whole picture, stretched to its own size.
    const double sx = window_.map->pixelWidth() / static_cast<double>(window_.image->Width());
    const double sy = window_.map->pixelHeight() / static_cast<double>(window_.image->Height());
    measured_.emplace_back(x * sx, y * sy);
    if (measured_.size() == 2) {
        finishMeasuring();
    }
    return true;
}

void GridFitting::finishMeasuring() {
    const Measuring what = measuring_;
    const QPointF first = measured_[0];
    const QPointF second = measured_[1];
    measuring_ = Measuring::Nothing;
    measured_.clear();
    window_.image->unsetCursor();
    MessageBoxes& messages = window_.services.messages;
    Questions& questions = window_.services.questions;
    const bool hexes = what == Measuring::Hexes;
    const std::optional<double> count =
        questions.askNumber(hexes ? hexesApartQuestion() : scaleBarLengthQuestion());
    if (!count) {
        return;
    }
    if (hexes) {
        const std::optional<double> pixels = hexSizeFromCentres(first, second, *count);
        if (!pixels) {
            messages.MsgBox(measuredNothingMessage());
        } else if (questions.confirm(measuredHexesMessage(*pixels))) {
            options_ = centredOn(options_, *pixels, first);
            setHexPixels(*pixels);
            align_->setChecked(true);
        }
    } else {
        const std::optional<double> width =
            mapWidthFromScaleBar(first, second, *count, window_.map->pixelWidth());
        const QString text = width ? singleToText(toSingle(*width)) : QString();
        if (!width) {
            messages.MsgBox(measuredNothingMessage());
        } else if (questions.confirm(measuredScaleBarMessage(text))) {
            window_.mapSize->setText(text);
            if (options_.hexPixels) {
                setHexPixels(*options_.hexPixels);  // the same hexes, in the new units
            }
        }
    }
    refreshPreview();
}

}  // namespace tessara
