#include "window/grid_fitting.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <numbers>

#include "core/number_to_text.h"
#include "core/text_to_number.h"
#include "grid/grid_measure.h"
#include "grid/hex_grid.h"
#include "grid/lattice_fit.h"
#include "view/image_control.h"
#include "view/status_box.h"
#include "view/viewport.h"
#include "window/edit_history.h"
#include "window/grid_options_dialog.h"
#include "window/grid_preview.h"
#include "window/measure_messages.h"
#include "window/menu_items.h"

namespace tessara {
namespace {

constexpr double kOffsetStep = 1;       // pixels an arrow key moves the grid
constexpr double kHexSizeStep = 0.1;    // pixels + and - change the hex size
constexpr double kStretchStep = 0.001;  // { and }
constexpr double kTurnStep = 0.05;      // degrees [ and ] turn the grid
constexpr double kFineStep = 0.1;       // with Ctrl held, steps shrink to this share
constexpr double kFineTurn = 0.2;       // the turn's fine step: 0.01 degree

// Undo steps that join the one before of the same kind.
enum Kind { kNudge = 1, kField = 2 };

// The scroll bar values of the map's four corners and its centre, in the order shown.
constexpr int kCorners[5][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {50, 50}};

double degreesOf(QPointF step) {
    return std::atan2(step.y(), step.x()) * 180 / std::numbers::pi;
}

// What a change of the options did, as Edit, Undo names it.
QString changeName(const GridOptions& before, const GridOptions& after) {
    if (before.orientation != after.orientation) {
        return QStringLiteral("Orientation");
    }
    if (before.offsetX != after.offsetX || before.offsetY != after.offsetY) {
        return QStringLiteral("Offset");
    }
    if (before.stretch != after.stretch) {
        return QStringLiteral("Stretch");
    }
    if (before.hexPixels != after.hexPixels) {
        return QStringLiteral("Hex Size");
    }
    if (before.rotation != after.rotation) {
        return QStringLiteral("Rotation");
    }
    if (before.skew != after.skew) {
        return QStringLiteral("Skew");
    }
    if (before.lineColour != after.lineColour) {
        return QStringLiteral("Line Colour");
    }
    if (before.lineStyle != after.lineStyle) {
        return QStringLiteral("Line Style");
    }
    if (before.opacity != after.opacity) {
        return QStringLiteral("Opacity");
    }
    return QStringLiteral("Shifted Lines");
}

}  // namespace

GridFitting::GridFitting(const MapWindow& window, QMenu* menu)
    : QObject(window.window), window_(window) {
    buildMenu(menu);
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
            this, [this] { startMeasuring(Measuring::Hexes); });
    connect(item(menu, "mnuMeasureThree", QStringLiteral("Measure Hexes by &Three Points")),
            &QAction::triggered, this, [this] { startMeasuring(Measuring::HexesByThree); });
    connect(item(menu, "mnuMeasureScale", QStringLiteral("Measure &Scale Bar")),
            &QAction::triggered, this, [this] { startMeasuring(Measuring::ScaleBar); });
    separator(menu, "mnuSep6");
    connect(item(menu, "mnuCorners", QStringLiteral("Check the &Corners")), &QAction::triggered,
            this, &GridFitting::closeUpOnNextCorner);
    connect(item(menu, "mnuResetGrid", QStringLiteral("&Reset Grid Options")), &QAction::triggered,
            this, [this] { change({}, QStringLiteral("Reset Grid Options")); });
}

std::optional<GridLayout> GridFitting::layoutNow() const {
    if (!window_.hasMap()) {
        return std::nullopt;
    }
    const GridSizeCheck check = checkGridSizes(window_.mapSize->text(), window_.hexSize->text());
    if (check.problem != GridSizeProblem::None && !fit_.options.hexPixels) {
        return std::nullopt;
    }
    const GridLayout layout = layoutGrid(static_cast<Single>(window_.map->pixelWidth()),
                                         static_cast<Single>(window_.map->pixelHeight()),
                                         check.sizes.hexSize, check.sizes.mapSize, fit_.options);
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
    change({options, fit_.numbering}, changeName(fit_.options, options), kField);
}

void GridFitting::setNumbering(const HexNumbering& numbering) {
    change({fit_.options, numbering}, QStringLiteral("Hex Numbers"), kField);
}

void GridFitting::change(const GridFit& after, const QString& what, int kind) {
    if (after == fit_) {
        return;
    }
    window_.history->push(new OptionsChange(
        what, fit_, after, [this](const GridFit& fit) { apply(fit); }, kind));
}

void GridFitting::apply(const GridFit& fit) {
    const bool sizeChanged = fit.options.hexPixels != fit_.options.hexPixels;
    fit_ = fit;
    if (sizeChanged && fit.options.hexPixels) {
        fillHexSizeBox(*fit.options.hexPixels);
    }
    if (dialog_) {
        dialog_->setNumbering(fit_.numbering);
    }
    refreshPreview();
}

void GridFitting::refreshPreview() {
    if (dialog_) {
        dialog_->setOptions(fit_.options, hexPixelsNow());
    }
    if (!previewShown() && measured_.empty()) {
        window_.image->setOverlay({});
        return;
    }
    window_.image->setOverlay(
        [this](QPainter& painter, const QRectF& area) { paintOverlay(painter, area); });
}

void GridFitting::paintOverlay(QPainter& painter, const QRectF& area) const {
    const QColor colour = fit_.options.lineColour.value_or(
        QBColor(window_.colour->currentIndex()).value_or(Qt::black));
    const std::optional<GridPen> pen = window_.pen();
    if (previewShown()) {
        if (const std::optional<GridLayout> layout = layoutNow()) {
            paintGridPreview(painter, *layout, area, colour, pen ? pen->width : 1);
            if (fit_.numbering.enabled) {
                paintNumberPreview(painter, *layout, fit_.numbering,
                                   QSizeF(window_.map->pixelWidth(), window_.map->pixelHeight()),
                                   area, colour);
            }
        }
    }
    paintMarks(painter, measured_, colour);
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
                [this] { change({}, QStringLiteral("Reset Grid Options")); });
        connect(dialog_, &GridOptionsDialog::undoRequested, window_.history, &EditHistory::undo);
        connect(dialog_, &GridOptionsDialog::redoRequested, window_.history, &EditHistory::redo);
        dialog_->setNumbering(fit_.numbering);
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
    const int width = window_.map->pixelWidth();
    if (fit_.options.hexPixels && width > 0 && window_.hasMap()) {
        // The fitted grid stays; the box not typed in follows the one that was.
        const double pixels = *fit_.options.hexPixels;
        if (box == window_.mapSize) {
            fillHexSizeBox(pixels);
        } else if (const std::optional<Single> hex = textToSingle(window_.hexSize->text());
                   hex && *hex > 0) {
            window_.mapSize->setText(singleToText(toSingle(*hex * width / pixels)));
        }
    }
    refreshPreview();
}

void GridFitting::fillHexSizeBox(double pixels) {
    const std::optional<Single> mapSize = textToSingle(window_.mapSize->text());
    const int width = window_.map->pixelWidth();
    if (mapSize && *mapSize > 0 && width > 0 && window_.hasMap()) {
        window_.hexSize->setText(singleToText(toSingle(pixels * *mapSize / width)));
    }
}

bool GridFitting::fillSizesForFit() {
    const std::optional<double> pixels = fit_.options.hexPixels;
    const int width = window_.map->pixelWidth();
    if (!pixels || !window_.hasMap() || width <= 0 ||
        checkGridSizes(window_.mapSize->text(), window_.hexSize->text()).problem ==
            GridSizeProblem::None) {
        return false;
    }
    const std::optional<Single> map = textToSingle(window_.mapSize->text());
    const std::optional<Single> hex = textToSingle(window_.hexSize->text());
    if (map && *map > 0) {
        window_.hexSize->setText(singleToText(toSingle(*pixels * *map / width)));
    } else {
        // The hex size typed, or one unit a hex: the map is as many units as hexes across.
        const double units = hex && *hex > 0 ? *hex : 1;
        window_.hexSize->setText(singleToText(toSingle(units)));
        window_.mapSize->setText(singleToText(toSingle(units * width / *pixels)));
    }
    window_.status->setMessage(sizesFilledStatus(window_.mapSize->text(), window_.hexSize->text()));
    return true;
}

void GridFitting::mapLoaded() {
    window_.history->clear();
    corner_ = -1;
    if (fit_ != GridFit{}) {
        window_.status->setMessage(optionsKeptStatus());
    }
    refreshPreview();
    emit mapReplaced();
}

void GridFitting::showFitted(const GridOptions& options, const QString& what) {
    // A fit places the hexes; the lines look as they did.
    GridOptions placed = options;
    placed.opacity = fit_.options.opacity;
    placed.lineColour = fit_.options.lineColour;
    placed.lineStyle = fit_.options.lineStyle;
    change({placed, fit_.numbering}, what);
    if (!align_->isChecked()) {
        align_->setChecked(true);
        alignForDialog_ = dialog_ && dialog_->isVisible();
    }
    refreshPreview();
}

bool GridFitting::nudge(int key, bool fine) {
    const double scale = fine ? kFineStep : 1;
    GridOptions options = fit_.options;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            options.offsetX += (key == Qt::Key_Left ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            options.offsetY += (key == Qt::Key_Up ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_BraceLeft:
        case Qt::Key_BraceRight: {
            const double step = (key == Qt::Key_BraceLeft ? -1 : 1) * kStretchStep * scale;
            options.stretch = std::clamp(std::round((options.stretch + step) * 1e5) / 1e5,
                                         kMinStretch, kMaxStretch);
            break;
        }
        case Qt::Key_BracketLeft:
        case Qt::Key_BracketRight: {
            const double step =
                (key == Qt::Key_BracketLeft ? -1 : 1) * kTurnStep * (fine ? kFineTurn : 1);
            options.rotation = std::clamp(std::round((options.rotation + step) * 1e4) / 1e4,
                                          -kMaxRotation, kMaxRotation);
            break;
        }
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // the + key, with or without Shift
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
            options.hexPixels = std::round(pixels * 100) / 100;
            break;
        }
        default:
            return false;
    }
    change({options, fit_.numbering}, QStringLiteral("Nudge the Grid"), kNudge);
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
        refreshPreview();
        return true;
    }
    if (!previewShown()) {
        return false;
    }
    if (key.key() == Qt::Key_C && key.modifiers() == Qt::NoModifier) {
        closeUpOnNextCorner();
        return true;
    }
    // Ctrl is the fine step: Shift is part of +, { and } on most keyboards. The arrows take
    // Shift too, as they always did.
    const bool arrow = key.key() >= Qt::Key_Left && key.key() <= Qt::Key_Down;
    const bool fine =
        (key.modifiers() & Qt::ControlModifier) || (arrow && (key.modifiers() & Qt::ShiftModifier));
    return nudge(key.key(), fine);
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
    const QPointF at = inPicture(x, y);
    // As many decimals as a screen pixel is worth: a tenth at 5:1, none at 1:1 and below.
    const double zoom = window_.image->Width() / window_.map->Width();
    const int decimals = zoom >= 2 ? 1 : 0;
    QString text =
        QStringLiteral("x %1, y %2").arg(at.x(), 0, 'f', decimals).arg(at.y(), 0, 'f', decimals);
    if (previewShown()) {
        if (const std::optional<GridLayout> layout = layoutNow()) {
            const GridHex hex = hexAt(*layout, at);
            const NumberingFrame frame =
                numberingFrame(*layout, window_.map->pixelWidth(), window_.map->pixelHeight());
            HexNumbering numbering = fit_.numbering;
            const auto [column, row] = columnAndRow(*layout, frame, numbering, hex);
            text += fit_.numbering.enabled
                        ? QStringLiteral("; hex %1")
                              .arg(hexLabel(numbering, column, row, paddedWidth(column),
                                            paddedWidth(row)))
                        : QStringLiteral("; hex column %1, row %2").arg(column).arg(row);
        }
    }
    window_.status->setPointer(text);
}

void GridFitting::closeUpOnNextCorner() {
    if (!window_.hasMap()) {
        window_.services.messages.MsgBox(noMapToMeasureMessage());
        return;
    }
    corner_ = (corner_ + 1) % 5;
    window_.closeUp(kCorners[corner_][0], kCorners[corner_][1]);
    window_.status->setMessage(cornerStatus(corner_));
}

void GridFitting::startMeasuring(Measuring what) {
    if (!window_.hasMap()) {
        window_.services.messages.MsgBox(noMapToMeasureMessage());
        return;
    }
    window_.services.messages.MsgBox(what == Measuring::Hexes          ? measureHexesMessage()
                                     : what == Measuring::HexesByThree ? measureByThreeMessage()
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
    measured_.push_back(inPicture(x, y));
    refreshPreview();  // the point is marked until the measure ends
    const size_t needed = measuring_ == Measuring::HexesByThree ? 3 : 2;
    if (measured_.size() == needed) {
        finishMeasuring();
    }
    return true;
}

void GridFitting::finishMeasuring() {
    const Measuring what = measuring_;
    measuring_ = Measuring::Nothing;
    window_.image->unsetCursor();
    if (what == Measuring::HexesByThree) {
        finishMeasuringByThree();
    } else {
        const bool hexes = what == Measuring::Hexes;
        const std::optional<double> count = window_.services.questions.askNumber(
            hexes ? hexesApartQuestion() : scaleBarLengthQuestion());
        if (count && hexes) {
            finishMeasuringHexes(measured_[0], measured_[1], *count);
        } else if (count) {
            finishMeasuringScaleBar(measured_[0], measured_[1], *count);
        }
    }
    measured_.clear();
    refreshPreview();
}

void GridFitting::finishMeasuringHexes(QPointF first, QPointF second, double count) {
    const std::optional<double> pixels = hexSizeFromCentres(first, second, count);
    if (!pixels) {
        window_.services.messages.MsgBox(measuredNothingMessage());
        return;
    }
    // How far the two centres are off the line's direction, either way along it.
    const bool columns = fit_.options.orientation == GridOrientation::Columns;
    double off = degreesOf(second - first) - (columns ? 90 : 0) - fit_.options.rotation;
    off = std::remainder(off, 180.0);
    if (!window_.services.questions.confirm(measuredHexesMessage(*pixels, off))) {
        return;
    }
    showFitted(centredOn(fit_.options, *pixels, first), QStringLiteral("Measure Hexes"));
}

void GridFitting::finishMeasuringByThree() {
    const QSizeF picture(window_.map->pixelWidth(), window_.map->pixelHeight());
    // The guess: the steps on the grid as it is now, from the first point.
    HexSteps second;
    HexSteps third;
    if (const std::optional<double> pixels = hexPixelsNow()) {
        const LatticeOnPicture now = latticeOf(fit_.options, *pixels, picture);
        second = stepsBetween(now, measured_[0], measured_[1]);
        third = stepsBetween(now, measured_[0], measured_[2]);
    }
    const std::optional<std::vector<double>> steps = window_.services.questions.askNumbers(
        hexStepsQuestion(second.along, second.across, third.along, third.across));
    if (!steps) {
        return;
    }
    const std::vector<double>& s = *steps;
    const std::optional<LatticeOnPicture> lattice =
        latticeThrough(fit_.options.orientation, measured_[0], measured_[1], {s[0], s[1]},
                       measured_[2], {s[2], s[3]});
    const std::optional<GridOptions> fitted =
        lattice ? optionsForLattice(*lattice, picture) : std::nullopt;
    if (!fitted) {
        window_.services.messages.MsgBox(notATriangleMessage());
        return;
    }
    if (!window_.services.questions.confirm(measuredByThreeMessage(
            *fitted->hexPixels, fitted->stretch, fitted->rotation, fitted->skew))) {
        return;
    }
    showFitted(*fitted, QStringLiteral("Measure Hexes by Three Points"));
}

void GridFitting::finishMeasuringScaleBar(QPointF first, QPointF second, double length) {
    const std::optional<double> width =
        mapWidthFromScaleBar(first, second, length, window_.map->pixelWidth());
    const QString text = width ? singleToText(toSingle(*width)) : QString();
    if (!width) {
        window_.services.messages.MsgBox(measuredNothingMessage());
    } else if (window_.services.questions.confirm(measuredScaleBarMessage(text))) {
        window_.mapSize->setText(text);
        if (fit_.options.hexPixels) {
            fillHexSizeBox(*fit_.options.hexPixels);  // the same hexes, in the new units
        }
    }
}

}  // namespace tessara
