#include "window/grid_options_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "grid/grid_fields.h"
#include "grid/grid_parameters.h"
#include "grid/hex_grid.h"

namespace tessara {
namespace {

// Offsets reach a few maps' widths either way; sizes beyond the largest picture are typos.

QComboBox* list(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

// A screen reader names each field by its label, without the accelerator mark.
void nameFieldsByLabels(QFormLayout* form) {
    for (int row = 0; row < form->rowCount(); ++row) {
        auto* label =
            qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)
                                      ? form->itemAt(row, QFormLayout::LabelRole)->widget()
                                      : nullptr);
        QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
        if (label && field && field->widget()) {
            field->widget()->setAccessibleName(label->text().remove(QLatin1Char('&')).chopped(1));
        }
    }
}

// A box for a field of the catalogue, in its range; a range above a low limit takes the
// limit itself as a special value.
QDoubleSpinBox* numberBox(QWidget* parent, const char* name, const NumberField& field, int decimals,
                          double step) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(field.low, field.high);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setKeyboardTracking(false);  // a value counts once it is typed in full
    box->setAccelerated(true);
    return box;
}

}  // namespace

GridOptionsDialog::GridOptionsDialog(QWidget* parent, Questions& questions)
    : QDialog(parent), questions_(questions) {
    setObjectName(QStringLiteral("frmGridOptions"));
    setWindowTitle(QStringLiteral("Grid Options"));
    setModal(false);
    build();
    setOptions({}, std::nullopt);
    setNumbering({});
    const auto shortcut = [this](const QKeySequence& keys, void (GridOptionsDialog::*signal)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, signal);
    };
    shortcut(QKeySequence::Undo, &GridOptionsDialog::undoRequested);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &GridOptionsDialog::redoRequested);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &GridOptionsDialog::redoRequested);
    // The fields' own text undo would take Ctrl+Z first.
    for (QWidget* field : findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(field) || qobject_cast<QAbstractSpinBox*>(field)) {
            field->installEventFilter(this);
        }
    }
}

bool GridOptionsDialog::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeyCombination pressed = key->keyCombination();
    return pressed == QKeyCombination(Qt::CTRL | Qt::Key_Z) ||
           pressed == QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) ||
           pressed == QKeyCombination(Qt::CTRL | Qt::Key_Y);
}

void GridOptionsDialog::build() {
    orientation_ = list(
        this, "cmbOrientation",
        {QStringLiteral("Vertical flats (rows)"), QStringLiteral("Horizontal flats (columns)")});
    offsetX_ = numberBox(this, "txtOffsetX", field::kOffset, 2, 1);
    offsetY_ = numberBox(this, "txtOffsetY", field::kOffset, 2, 1);
    shifted_ =
        list(this, "cmbShifted", {QStringLiteral("The first"), QStringLiteral("The second")});
    // Five decimals: a 300 by 298 dpi scan is 0.99333 across its rows.
    stretch_ = numberBox(this, "txtStretch", field::kStretch, 5, 0.001);
    // 0, just below the field's range, stands for a size worked out from the map's width and
    // the hex size.
    hexPixels_ = numberBox(this, "txtHexPixels", field::kHexPixels, 3, 0.1);
    hexPixels_->setSpecialValueText(QStringLiteral("from the sizes"));
    hexPixels_->setSuffix(QStringLiteral(" px"));
    rotation_ = numberBox(this, "txtRotation", field::kRotation, 3, 0.05);
    rotation_->setSuffix(QStringLiteral("\u00b0"));
    skew_ = numberBox(this, "txtSkew", field::kSkew, 3, 0.05);
    skew_->setSuffix(QStringLiteral("\u00b0"));

    form_ = new QFormLayout;
    form_->addRow(QStringLiteral("&Orientation:"), orientation_);
    form_->addRow(QStringLiteral("Offset &X (pixels):"), offsetX_);
    form_->addRow(QStringLiteral("Offset &Y (pixels):"), offsetY_);
    form_->addRow(QStringLiteral("&Shifted rows:"), shifted_);
    form_->addRow(QStringLiteral("S&tretch across the rows:"), stretch_);
    form_->addRow(QStringLiteral("H&ex size, flat to flat:"), hexPixels_);
    form_->addRow(QStringLiteral("&Rotation, clockwise:"), rotation_);
    form_->addRow(QStringLiteral("S&kew of the lines across:"), skew_);
    nameFieldsByLabels(form_);

    hint_ = new QLabel(
        QStringLiteral("The grid is previewed on the map. Click the map, then move the grid "
                       "with the arrow keys (1 pixel), change the hex size with + and - (0.1 "
                       "pixel), the stretch with { and } (0.001), and turn it with [ and ] "
                       "(0.05 degree); hold Ctrl for steps ten times finer (five times for the "
                       "turn). C shows each corner of the map close up in turn. Ctrl+Z undoes a "
                       "change, Ctrl+Shift+Z does it again."),
        this);
    hint_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Reset, this);
    buttons->button(QDialogButtonBox::Reset)->setObjectName(QStringLiteral("cmdReset"));
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdClose"));
    // Enter in a field applies the field: no button of this window is pressed by it.
    for (QAbstractButton* button : buttons->buttons()) {
        auto* push = qobject_cast<QPushButton*>(button);
        push->setAutoDefault(false);
        push->setDefault(false);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, this,
            &GridOptionsDialog::resetRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addWidget(buildLines());
    layout->addWidget(buildNumbers());
    layout->addWidget(hint_);
    layout->addWidget(buttons);

    for (QComboBox* list : {orientation_, shifted_}) {
        connect(list, &QComboBox::currentIndexChanged, this, &GridOptionsDialog::readControls);
    }
    for (QDoubleSpinBox* box : {offsetX_, offsetY_, stretch_, hexPixels_, rotation_, skew_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &GridOptionsDialog::readControls);
    }
}

void GridOptionsDialog::nameLinesBy(GridOrientation orientation) {
    const bool columns = orientation == GridOrientation::Columns;
    const auto relabel = [this](QWidget* field, const QString& text) {
        auto* label = qobject_cast<QLabel*>(form_->labelForField(field));
        label->setText(text);
        field->setAccessibleName(label->text().remove(QLatin1Char('&')).chopped(1));
    };
    relabel(shifted_,
            columns ? QStringLiteral("&Shifted columns:") : QStringLiteral("&Shifted rows:"));
    relabel(stretch_, columns ? QStringLiteral("S&tretch across the columns:")
                              : QStringLiteral("S&tretch across the rows:"));
}

QGroupBox* GridOptionsDialog::buildLines() {
    auto* lines = new QGroupBox(QStringLiteral("Lines"), this);
    lines->setObjectName(QStringLiteral("grpLines"));
    lineColour_ = list(lines, "cmbLineColour", {QStringLiteral("the list's colour"), QString()});
    chooseColour_ = new QPushButton(QStringLiteral("Choose..."), lines);
    chooseColour_->setObjectName(QStringLiteral("cmdLineColour"));
    chooseColour_->setAccessibleName(QStringLiteral("Choose the line colour"));
    chooseColour_->setAutoDefault(false);
    auto* colour = new QWidget(lines);
    auto* colourRow = new QHBoxLayout(colour);
    colourRow->setContentsMargins(0, 0, 0, 0);
    colourRow->addWidget(lineColour_, 1);
    colourRow->addWidget(chooseColour_);
    lineStyle_ = list(lines, "cmbLineStyle",
                      {QStringLiteral("solid"), QStringLiteral("dashed"), QStringLiteral("dotted"),
                       QStringLiteral("none: numbers only")});
    opacity_ = new QSpinBox(lines);
    opacity_->setObjectName(QStringLiteral("txtOpacity"));
    opacity_->setRange(kMinOpacity, kMaxOpacity);
    opacity_->setSingleStep(5);
    opacity_->setSuffix(QStringLiteral(" %"));
    opacity_->setKeyboardTracking(false);

    // Every letter of "Line colour" and "Line style" is another field's accelerator already:
    // Tab reaches them.
    auto* form = new QFormLayout(lines);
    form->addRow(QStringLiteral("Line colour:"), colour);
    form->addRow(QStringLiteral("Line style:"), lineStyle_);
    form->addRow(QStringLiteral("Op&acity:"), opacity_);
    nameFieldsByLabels(form);
    lineColour_->setAccessibleName(QStringLiteral("Line colour"));
    showOwnColour();

    connect(lineColour_, &QComboBox::currentIndexChanged, this,
            &GridOptionsDialog::lineColourPicked);
    connect(chooseColour_, &QPushButton::clicked, this, &GridOptionsDialog::chooseLineColour);
    connect(lineStyle_, &QComboBox::currentIndexChanged, this, &GridOptionsDialog::readControls);
    connect(opacity_, &QSpinBox::valueChanged, this, &GridOptionsDialog::readControls);
    return lines;
}

void GridOptionsDialog::showOwnColour() {
    QPixmap swatch(16, 16);
    swatch.fill(ownColour_.value_or(Qt::transparent));
    const QIcon icon = ownColour_ ? QIcon(swatch) : QIcon();
    lineColour_->setItemText(1, ownColour_ ? QStringLiteral("my own, %1").arg(ownColour_->name())
                                           : QStringLiteral("one of my own..."));
    lineColour_->setItemIcon(1, icon);
    chooseColour_->setIcon(icon);
}

void GridOptionsDialog::lineColourPicked(int index) {
    if (showing_) {
        return;
    }
    if (index == 0) {
        useLineColour(std::nullopt);
    } else if (ownColour_) {
        useLineColour(ownColour_);
    } else {
        chooseLineColour();
    }
}

void GridOptionsDialog::chooseLineColour() {
    const std::optional<QColor> chosen =
        questions_.askColour({QStringLiteral("Line Colour"),
                              ownColour_.value_or(options_.lineColour.value_or(Qt::black))});
    if (chosen) {
        ownColour_ = chosen;
    }
    useLineColour(chosen ? chosen : options_.lineColour);
}

void GridOptionsDialog::useLineColour(const std::optional<QColor>& colour) {
    showing_ = true;
    lineColour_->setCurrentIndex(colour ? 1 : 0);  // back as it was when the choice was cancelled
    showOwnColour();
    showing_ = false;
    if (colour != options_.lineColour) {
        options_.lineColour = colour;
        emit optionsChanged(options_);
    }
}

QGroupBox* GridOptionsDialog::buildNumbers() {
    numbers_ = new QGroupBox(QStringLiteral("&Number the hexes"), this);
    numbers_->setObjectName(QStringLiteral("grpNumbers"));
    numbers_->setCheckable(true);
    numberFormat_ = list(numbers_, "cmbNumberFormat",
                         {QStringLiteral("0101"), QStringLiteral("01.01"), QStringLiteral("A1"),
                          QStringLiteral("1,1"), QStringLiteral("Pattern")});
    numberPattern_ = new QLineEdit(numbers_);
    numberPattern_->setObjectName(QStringLiteral("txtNumberPattern"));
    numberPattern_->setPlaceholderText(QStringLiteral("{c:2}{r:2}, {C}{r}, ..."));
    firstNumber_ = new QSpinBox(numbers_);
    firstNumber_->setObjectName(QStringLiteral("txtFirstNumber"));
    firstNumber_->setRange(static_cast<int>(field::kFirstNumber.low),
                           static_cast<int>(field::kFirstNumber.high));
    static_assert(field::kFirstNumber.high <= kLargestFirstNumber, "every hex's number is an int");
    numberOrigin_ = list(numbers_, "cmbNumberOrigin",
                         {QStringLiteral("Top left"), QStringLiteral("Bottom left")});
    numberPosition_ = list(numbers_, "cmbNumberPosition",
                           {QStringLiteral("Near the top"), QStringLiteral("Centre"),
                            QStringLiteral("Near the bottom")});
    numberSize_ = numberBox(numbers_, "txtNumberSize", field::kNumberPercent, 1, 1);
    numberUnit_ =
        list(numbers_, "cmbNumberUnit", {QStringLiteral("% of the hex"), QStringLiteral("points")});
    numberUnit_->setAccessibleName(QStringLiteral("Size unit"));
    auto* size = new QWidget(numbers_);
    auto* sizeRow = new QHBoxLayout(size);
    sizeRow->setContentsMargins(0, 0, 0, 0);
    sizeRow->addWidget(numberSize_, 1);
    sizeRow->addWidget(numberUnit_);
    numberColour_ = list(numbers_, "cmbNumberColour",
                         QStringList{QStringLiteral("the grid's colour")} + field::kColour.words());
    halo_ = list(numbers_, "cmbHalo", field::kHalo.words());

    auto* form = new QFormLayout(numbers_);
    form->addRow(QStringLiteral("&Format:"), numberFormat_);
    form->addRow(QStringLiteral("&Pattern:"), numberPattern_);
    form->addRow(QStringLiteral("F&irst number:"), firstNumber_);
    form->addRow(QStringLiteral("Co&unted from the:"), numberOrigin_);
    form->addRow(QStringLiteral("P&lace in the hex:"), numberPosition_);
    form->addRow(QStringLiteral("Si&ze:"), size);
    form->addRow(QStringLiteral("&Colour:"), numberColour_);
    form->addRow(QStringLiteral("&Halo:"), halo_);
    nameFieldsByLabels(form);
    numberSize_->setAccessibleName(QStringLiteral("Size"));

    connect(numbers_, &QGroupBox::toggled, this, &GridOptionsDialog::readNumbers);
    // First the size's range for its unit, so that the size read is one the unit takes.
    connect(numberUnit_, &QComboBox::currentIndexChanged, this, [this](int unit) {
        const NumberField& field = unit == 1 ? field::kNumberPoints : field::kNumberPercent;
        numberSize_->setRange(field.low, field.high);
    });
    for (QComboBox* box :
         {numberFormat_, numberOrigin_, numberPosition_, numberUnit_, numberColour_, halo_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &GridOptionsDialog::readNumbers);
    }
    connect(numberPattern_, &QLineEdit::textEdited, this, &GridOptionsDialog::readNumbers);
    connect(firstNumber_, &QSpinBox::valueChanged, this, &GridOptionsDialog::readNumbers);
    connect(numberSize_, &QDoubleSpinBox::valueChanged, this, &GridOptionsDialog::readNumbers);
    return numbers_;
}

void GridOptionsDialog::setNumbering(const HexNumbering& numbering) {
    showing_ = true;
    numbering_ = numbering;
    numbers_->setChecked(numbering.enabled);
    numberFormat_->setCurrentIndex(static_cast<int>(numbering.format));
    numberPattern_->setText(numbering.pattern);
    numberPattern_->setEnabled(numbering.format == NumberFormat::Pattern);
    firstNumber_->setValue(numbering.first);
    numberOrigin_->setCurrentIndex(numbering.origin == NumberOrigin::BottomLeft ? 1 : 0);
    numberPosition_->setCurrentIndex(static_cast<int>(numbering.position));
    numberUnit_->setCurrentIndex(numbering.sizePoints ? 1 : 0);
    numberSize_->setValue(numbering.sizePoints.value_or(numbering.sizePercent));
    int colour = 0;
    for (int n = 0; n < static_cast<int>(kColourNames.size()); ++n) {
        if (numbering.colour && QBColor(n) == *numbering.colour) {
            colour = n + 1;
        }
    }
    numberColour_->setCurrentIndex(colour);
    halo_->setCurrentIndex(static_cast<int>(numbering.halo));
    showing_ = false;
}

void GridOptionsDialog::readNumbers() {
    if (showing_) {
        return;
    }
    HexNumbering n;
    n.enabled = numbers_->isChecked();
    n.format = static_cast<NumberFormat>(numberFormat_->currentIndex());
    n.pattern = numberPattern_->text();
    n.first = firstNumber_->value();
    n.origin =
        numberOrigin_->currentIndex() == 1 ? NumberOrigin::BottomLeft : NumberOrigin::TopLeft;
    n.position = static_cast<NumberPosition>(numberPosition_->currentIndex());
    if (numberUnit_->currentIndex() == 1) {
        n.sizePoints = numberSize_->value();
    } else {
        n.sizePercent = numberSize_->value();
    }
    if (numberColour_->currentIndex() > 0) {
        n.colour = QBColor(numberColour_->currentIndex() - 1);
    }
    n.halo = static_cast<NumberHalo>(halo_->currentIndex());
    if (holdsControlCharacters(n.pattern)) {
        numberPattern_->setText(numbering_.pattern);
        emit patternRefused();
        return;
    }
    numberPattern_->setEnabled(n.format == NumberFormat::Pattern);
    if (n != numbering_) {
        numbering_ = n;
        emit numberingChanged(n);
    }
}

void GridOptionsDialog::setOptions(const GridOptions& options, std::optional<double> hexPixels) {
    showing_ = true;
    options_ = options;
    orientation_->setCurrentIndex(options.orientation == GridOrientation::Columns ? 1 : 0);
    offsetX_->setValue(options.offsetX);
    offsetY_->setValue(options.offsetY);
    shifted_->setCurrentIndex(options.shifted == ShiftedLines::Second ? 1 : 0);
    stretch_->setValue(options.stretch);
    rotation_->setValue(options.rotation);
    skew_->setValue(options.skew);
    nameLinesBy(options.orientation);
    hexPixels_->setValue(options.hexPixels.value_or(hexPixels.value_or(0)));
    if (options.lineColour) {
        ownColour_ = options.lineColour;
    }
    lineColour_->setCurrentIndex(options.lineColour ? 1 : 0);
    showOwnColour();
    lineStyle_->setCurrentIndex(static_cast<int>(options.lineStyle));
    opacity_->setValue(options.opacity);
    showing_ = false;
}

void GridOptionsDialog::readControls() {
    if (showing_) {
        return;
    }
    // Only the field the user changed: the others keep every decimal a fit gave them.
    const QObject* field = sender();
    const GridOptions before = options_;
    if (field == orientation_) {
        options_.orientation =
            orientation_->currentIndex() == 1 ? GridOrientation::Columns : GridOrientation::Rows;
        nameLinesBy(options_.orientation);
    } else if (field == shifted_) {
        options_.shifted =
            shifted_->currentIndex() == 1 ? ShiftedLines::Second : ShiftedLines::First;
    } else if (field == hexPixels_) {
        options_.hexPixels =
            hexPixels_->value() > 0 ? std::optional<double>(hexPixels_->value()) : std::nullopt;
    } else if (field == lineStyle_) {
        options_.lineStyle = static_cast<LineStyle>(lineStyle_->currentIndex());
    } else if (field == opacity_) {
        options_.opacity = opacity_->value();
    }
    const std::pair<QDoubleSpinBox*, double*> numbers[] = {{offsetX_, &options_.offsetX},
                                                           {offsetY_, &options_.offsetY},
                                                           {stretch_, &options_.stretch},
                                                           {rotation_, &options_.rotation},
                                                           {skew_, &options_.skew}};
    for (const auto& [box, value] : numbers) {
        if (field == box) {
            *value = box->value();
        }
    }
    if (options_ != before) {
        emit optionsChanged(options_);
    }
}

}  // namespace tessara
