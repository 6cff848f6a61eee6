#include "window/grid_options_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessara {
namespace {

// Offsets reach a few maps' widths either way; sizes beyond the largest picture are typos.
constexpr double kLargestOffset = 100000;
constexpr double kLargestHex = 32767;

QDoubleSpinBox* numberBox(QWidget* parent, const char* name, double minimum, double maximum,
                          int decimals, double step) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setKeyboardTracking(false);  // a value counts once it is typed in full
    box->setAccelerated(true);
    return box;
}

}  // namespace

GridOptionsDialog::GridOptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmGridOptions"));
    setWindowTitle(QStringLiteral("Grid Options"));
    setModal(false);
    build();
    setOptions({}, std::nullopt);
}

void GridOptionsDialog::build() {
    orientation_ = new QComboBox(this);
    orientation_->setObjectName(QStringLiteral("cmbOrientation"));
    orientation_->addItems(
        {QStringLiteral("Vertical flats (rows)"), QStringLiteral("Horizontal flats (columns)")});
    offsetX_ = numberBox(this, "txtOffsetX", -kLargestOffset, kLargestOffset, 2, 1);
    offsetY_ = numberBox(this, "txtOffsetY", -kLargestOffset, kLargestOffset, 2, 1);
    shifted_ = new QComboBox(this);
    shifted_->setObjectName(QStringLiteral("cmbShifted"));
    shifted_->addItems({QStringLiteral("The first"), QStringLiteral("The second")});
    stretch_ = numberBox(this, "txtStretch", kMinStretch, kMaxStretch, 3, 0.01);
    // 0 stands for a size worked out from the map's width and the hex size.
    hexPixels_ = numberBox(this, "txtHexPixels", 0, kLargestHex, 2, 0.1);
    hexPixels_->setSpecialValueText(QStringLiteral("from the sizes"));
    hexPixels_->setSuffix(QStringLiteral(" px"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Orientation:"), orientation_);
    form->addRow(QStringLiteral("Offset &X (pixels):"), offsetX_);
    form->addRow(QStringLiteral("Offset &Y (pixels):"), offsetY_);
    form->addRow(QStringLiteral("&Shifted rows (columns):"), shifted_);
    form->addRow(QStringLiteral("S&tretch across the rows:"), stretch_);
    form->addRow(QStringLiteral("Hex si&ze, flat to flat:"), hexPixels_);
    for (QWidget* field : {static_cast<QWidget*>(orientation_), static_cast<QWidget*>(offsetX_),
                           static_cast<QWidget*>(offsetY_), static_cast<QWidget*>(shifted_),
                           static_cast<QWidget*>(stretch_), static_cast<QWidget*>(hexPixels_)}) {
        // A screen reader names each field by its label, without the accelerator mark.
        auto* label = qobject_cast<QLabel*>(form->labelForField(field));
        field->setAccessibleName(label->text().remove(QLatin1Char('&')).chopped(1));
    }

    hint_ = new QLabel(
        QStringLiteral("The grid is previewed on the map. Click the map, then move the grid "
                       "with the arrow keys (1 pixel; with Shift 0.1) and change the hex size "
                       "with + and - (0.1 pixel; with Shift 0.01)."),
        this);
    hint_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Reset, this);
    buttons->button(QDialogButtonBox::Reset)->setObjectName(QStringLiteral("cmdReset"));
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, this,
            &GridOptionsDialog::reset);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint_);
    layout->addWidget(buttons);

    for (QComboBox* list : {orientation_, shifted_}) {
        connect(list, &QComboBox::currentIndexChanged, this, &GridOptionsDialog::readControls);
    }
    for (QDoubleSpinBox* box : {offsetX_, offsetY_, stretch_, hexPixels_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &GridOptionsDialog::readControls);
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
    hexPixels_->setValue(options.hexPixels.value_or(hexPixels.value_or(0)));
    showing_ = false;
}

void GridOptionsDialog::readControls() {
    if (showing_) {
        return;
    }
    const GridOptions before = options_;
    options_.orientation =
        orientation_->currentIndex() == 1 ? GridOrientation::Columns : GridOrientation::Rows;
    options_.offsetX = offsetX_->value();
    options_.offsetY = offsetY_->value();
    options_.shifted = shifted_->currentIndex() == 1 ? ShiftedLines::Second : ShiftedLines::First;
    options_.stretch = stretch_->value();
    // The size box only sets the hex size when the user changed it.
    if (sender() == hexPixels_) {
        options_.hexPixels =
            hexPixels_->value() > 0 ? std::optional<double>(hexPixels_->value()) : std::nullopt;
    }
    if (options_ != before) {
        emit optionsChanged(options_);
    }
}

void GridOptionsDialog::reset() {
    setOptions({}, std::nullopt);
    emit optionsChanged(options_);
}

}  // namespace tessara
