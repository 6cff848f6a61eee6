#include "window/grid_fitting.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include "grid/hex_grid.h"
#include "view/image_control.h"
#include "view/status_box.h"
#include "view/viewport.h"
#include "window/edit_history.h"
#include "window/grid_nudge.h"
#include "window/grid_options_dialog.h"
#include "window/grid_preview.h"
#include "window/measure_messages.h"
#include "window/menu_items.h"
#include "window/pointer_status.h"

namespace tessara {

GridFitting::GridFitting(const MapWindow& window, QMenu* menu)
    : QObject(window.window),
      window_(window),
      document_(*window.history, this),
      hexes_(window, *this),
      byThree_(window, *this),
      scaleBar_(window, *this),
      corners_(window),
      boxes_(window) {
    buildMenu(menu);
    connect(&document_, &GridDocument::changed, this, &GridFitting::gridChanged);
    connect(window_.mapSize, &QLineEdit::textEdited, this, [this] { typedInto(window_.mapSize); });
    connect(window_.hexSize, &QLineEdit::textEdited, this, [this] { typedInto(window_.hexSize); });
    connect(window_.colour, &QComboBox::currentIndexChanged, this, &GridFitting::refreshPreview);
    // Dashes are as long as the line is thick.
    connect(window_.thickness, &QComboBox::currentIndexChanged, this, &GridFitting::refreshPreview);
    connect(window_.image, &ImageControl::mouseMoved, this, &GridFitting::pointerAt);
    connect(window_.image, &ImageControl::pointerLeft, window_.status,
            [this] { window_.status->setPointer({}); });
    window_.window->installEventFilter(this);
}

void GridFitting::buildMenu(QMenu* menu) {
    connect(item(menu, "mnuGridOptions", QStringLiteral("Grid &Options...")), &QAction::triggered,
            this, &GridFitting::showOptions);
    align_ = item(menu, "mnuAlign", QStringLiteral("&Align Mode (Preview)"));
    align_->setCheckable(true);
    connect(align_, &QAction::triggered, this, [this] {
        alignForDialog_ = false;
        refreshPreview();
    });
    separator(menu, "mnuSep4");
    connect(item(menu, "mnuMeasureHexes", QStringLiteral("Measure &Hexes")), &QAction::triggered,
            this, [this] { startTool(hexes_); });
    connect(item(menu, "mnuMeasureThree", QStringLiteral("Measure Hexes &by Three Points")),
            &QAction::triggered, this, [this] { startTool(byThree_); });
    connect(item(menu, "mnuMeasureScale", QStringLiteral("Measure &Scale Bar")),
            &QAction::triggered, this, [this] { startTool(scaleBar_); });
    separator(menu, "mnuSep6");
    connect(item(menu, "mnuCorners", QStringLiteral("Check the &Corners")), &QAction::triggered,
            this, [this] { startTool(corners_); });
    connect(item(menu, "mnuResetGrid", QStringLiteral("&Reset Grid Options")), &QAction::triggered,
            this, [this] { document_.change({}, QStringLiteral("Reset Grid Options")); });
}

std::optional<GridLayout> GridFitting::layoutNow() const {
    if (!window_.hasMap()) {
        return std::nullopt;
    }
    const GridSizeCheck check = checkGridSizes(window_.mapSize->text(), window_.hexSize->text());
    if (check.problem != GridSizeProblem::None && !options().hexPixels) {
        return std::nullopt;
    }
    const GridLayout layout = layoutGrid(static_cast<Single>(window_.map->pixelWidth()),
                                         static_cast<Single>(window_.map->pixelHeight()),
                                         check.sizes.hexSize, check.sizes.mapSize, options());
    if (layout.problem != GridProblem::None) {
        return std::nullopt;
    }
    return layout;
}

std::optional<double> GridFitting::hexPixelsNow() const {
    const std::optional<GridLayout> layout = layoutNow();
    return layout ? std::optional(layout->hexSize) : std::nullopt;
}

std::optional<double> GridFitting::flatsApartNow() const {
    const std::optional<GridLayout> layout = layoutNow();
    return layout ? std::optional(layout->flatsApart()) : std::nullopt;
}

bool GridFitting::previewShown() const {
    return align_->isChecked() || (dialog_ && dialog_->isVisible());
}

void GridFitting::setOptions(const GridOptions& options) {
    document_.change({options, numbering()}, optionsStepName(this->options(), options),
                     GridDocument::Joins::FieldEdits);
}

void GridFitting::setNumbering(const HexNumbering& numbering) {
    document_.change({options(), numbering}, QStringLiteral("Hex Numbers"),
                     GridDocument::Joins::FieldEdits);
}

void GridFitting::gridChanged(const GridFit& before) {
    const std::optional<double> pixels = options().hexPixels;
    if (pixels != before.options.hexPixels && pixels) {
        boxes_.fillHexSize(*pixels);
    }
    if (dialog_) {
        dialog_->setNumbering(numbering());
    }
    refreshPreview();
}

void GridFitting::refreshPreview() {
    if (dialog_) {
        dialog_->setOptions(options(), hexPixelsNow());
    }
    if (!previewShown() && marks().empty() && !tint_) {
        window_.image->setOverlay({});
        return;
    }
    window_.image->setOverlay(
        [this](QPainter& painter, const QRectF& area) { paintOverlay(painter, area); });
}

void GridFitting::setTint(ImageControl::Overlay tint) {
    tint_ = std::move(tint);
    refreshPreview();
    window_.image->update();
}

void GridFitting::paintOverlay(QPainter& painter, const QRectF& area) const {
    if (tint_) {
        tint_(painter, area);
    }
    const QColor colour =
        options().lineColour.value_or(QBColor(window_.colour->currentIndex()).value_or(Qt::black));
    const std::optional<GridPen> pen = window_.pen();
    if (previewShown()) {
        if (const std::optional<GridLayout> layout = layoutNow()) {
            paintGridPreview(painter, *layout, area, colour, pen ? pen->width : 1);
            if (numbering().enabled) {
                paintNumberPreview(painter, *layout, numbering(),
                                   QSizeF(window_.map->pixelWidth(), window_.map->pixelHeight()),
                                   area, colour);
            }
        }
    }
    paintMarks(painter, marks(), colour);
}

void GridFitting::showOptions() {
    if (!dialog_) {
        QWidget* parent = window_.window;
        dialog_ = new GridOptionsDialog(parent, window_.services.questions);
        connect(dialog_, &GridOptionsDialog::optionsChanged, this, &GridFitting::setOptions);
        connect(dialog_, &GridOptionsDialog::numberingChanged, this, &GridFitting::setNumbering);
        connect(dialog_, &GridOptionsDialog::patternRefused, this,
                [this] { window_.services.messages.MsgBox(patternRefusedMessage()); });
        connect(dialog_, &GridOptionsDialog::resetRequested, this,
                [this] { document_.change({}, QStringLiteral("Reset Grid Options")); });
        connect(dialog_, &GridOptionsDialog::undoRequested, window_.history, &EditHistory::undo);
        connect(dialog_, &GridOptionsDialog::redoRequested, window_.history, &EditHistory::redo);
        dialog_->setNumbering(numbering());
        // Beside the window rather than over the map: at its right, or at the screen's right
        // edge when there is no room; later where the user left it.
        dialog_->adjustSize();
        const QRect screen = parent->screen()->availableGeometry();
        const QRect frame = parent->frameGeometry();
        const int x =
            std::min(frame.right() + 8, screen.right() - dialog_->frameGeometry().width());
        dialog_->move(std::max(screen.left(), x), frame.top());
        connect(dialog_, &QDialog::finished, this, [this, parent] {
            if (alignForDialog_) {
                align_->setChecked(false);  // a preview the dialog's measuring turned on
                alignForDialog_ = false;
            }
            refreshPreview();
            parent->activateWindow();  // without a window manager nobody else gives it back
        });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    refreshPreview();
}

void GridFitting::sizesTyped() {
    typedInto(window_.mapSize);
}

void GridFitting::typedInto(const QLineEdit* box) {
    if (const std::optional<double> pixels = options().hexPixels) {
        boxes_.follow(box, *pixels);  // the fitted grid stays
    }
    refreshPreview();
}

bool GridFitting::fillSizesForFit() {
    const std::optional<double> pixels = options().hexPixels;
    return pixels && boxes_.fillForFit(*pixels);
}

void GridFitting::mapLoaded() {
    window_.history->clear();
    if (document_.grid() != GridFit{}) {
        window_.status->setMessage(optionsKeptStatus());
    }
    mapExchanged();
}

void GridFitting::mapExchanged() {
    corners_.restart();
    refreshPreview();
    emit mapReplaced();
}

void GridFitting::showFitted(const GridOptions& options, const QString& what) {
    document_.change(fitted(options), what);
    showPreview();
}

GridFit GridFitting::fitted(const GridOptions& options) const {
    // A fit places the hexes; the lines look as they did.
    GridOptions placed = options;
    placed.opacity = this->options().opacity;
    placed.lineColour = this->options().lineColour;
    placed.lineStyle = this->options().lineStyle;
    return {placed, numbering()};
}

void GridFitting::showPreview() {
    if (!align_->isChecked()) {
        align_->setChecked(true);
        alignForDialog_ = dialog_ && dialog_->isVisible();
    }
    refreshPreview();
}

bool GridFitting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.window && event->type() == QEvent::KeyPress) {
        return keyPressed(static_cast<const QKeyEvent&>(*event));
    }
    return false;
}

bool GridFitting::keyPressed(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Escape && held_) {
        letGo();
        doneMarking();
        return true;
    }
    if (!previewShown()) {
        return false;
    }
    if (key.key() == Qt::Key_C && key.modifiers() == Qt::NoModifier) {
        startTool(corners_);
        return true;
    }
    // Ctrl is the fine step: Shift is part of +, { and } on most keyboards. The arrows take
    // Shift too, as they always did.
    const bool arrow = key.key() >= Qt::Key_Left && key.key() <= Qt::Key_Down;
    const bool fine =
        (key.modifiers() & Qt::ControlModifier) || (arrow && (key.modifiers() & Qt::ShiftModifier));
    const std::optional<GridOptions> after = nudged(options(), key.key(), fine, hexPixelsNow());
    if (after) {
        document_.change({*after, numbering()}, QStringLiteral("Nudge the Grid"),
                         GridDocument::Joins::Nudges);
    }
    return after.has_value();
}

QPointF GridFitting::inPicture(Single x, Single y) const {
    // The image always shows the whole picture, stretched to its own size.
    const double sx = window_.map->pixelWidth() / static_cast<double>(window_.image->Width());
    const double sy = window_.map->pixelHeight() / static_cast<double>(window_.image->Height());
    return {x * sx, y * sy};
}

void GridFitting::pointerAt(Single x, Single y) {
    if (!window_.hasMap()) {
        return;
    }
    const std::optional<GridLayout> layout = previewShown() ? layoutNow() : std::nullopt;
    const QString text = pointerStatus(
        inPicture(x, y), window_.image->Width() / window_.map->Width(), layout ? &*layout : nullptr,
        numbering(), QSize(window_.map->pixelWidth(), window_.map->pixelHeight()));
    window_.status->setPointer(text);
}

Measuring GridFitting::measuring() const {
    return held_ == &hexes_      ? Measuring::Hexes
           : held_ == &byThree_  ? Measuring::HexesByThree
           : held_ == &scaleBar_ ? Measuring::ScaleBar
                                 : Measuring::Nothing;
}

void GridFitting::startTool(MapTool& tool) {
    const MapTool::Started started = tool.start();
    if (started == MapTool::Started::Refused) {
        return;
    }
    if (const QString status = tool.status(); !status.isEmpty()) {
        window_.status->setMessage(status);
    }
    if (started == MapTool::Started::Holding) {
        if (held_) {
            held_->cancel();
        }
        held_ = &tool;
        marking_ = &tool;
        window_.image->setCursor(Qt::CrossCursor);
        window_.viewport->setFocus();  // where Esc cancels
    }
}

bool GridFitting::clickedAt(Single x, Single y) {
    if (!held_) {
        return false;
    }
    MapTool& tool = *held_;
    const bool last = tool.clicked(inPicture(x, y));
    refreshPreview();  // the point is marked until the tool is done with it
    if (last) {
        letGo();
        tool.finish();
        doneMarking();
    }
    return true;
}

void GridFitting::letGo() {
    held_ = nullptr;
    window_.image->unsetCursor();
}

void GridFitting::doneMarking() {
    if (marking_) {
        marking_->cancel();
    }
    marking_ = nullptr;
    refreshPreview();
}

const std::vector<QPointF>& GridFitting::marks() const {
    static const std::vector<QPointF> none;
    return marking_ ? marking_->marks() : none;
}

}  // namespace tessara
