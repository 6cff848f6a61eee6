#include "window/scale_print_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "grid/grid_fields.h"
#include "print/scale_pdf.h"

namespace tessara {

QSizeF pdfPrintableMm(QPageSize::PageSizeId paper, bool landscape) {
    ScalePdfSettings settings;
    settings.paper = paper;
    settings.landscape = landscape;
    return printableAreaMm(scalePdfLayout(settings));
}

ScalePrintDialog::ScalePrintDialog(QWidget* parent, QSize picture, std::optional<double> hexPixels,
                                   const ScaleChoice& choice)
    : QDialog(parent), picture_(picture), hexPixels_(hexPixels), choice_(choice) {
    if (!hexPixels_) {
        choice_.byHex = false;
    }
    setObjectName(QStringLiteral("frmPrintScale"));
    setWindowTitle(tr("Print at Scale"));
    build();
    readControls();
}

TilePlanning ScalePrintDialog::planFor(QSizeF printable) const {
    return planTiles({picture_, choice_.pixelsPerMm(hexPixels_), printable, choice_.overlapMm});
}

QString ScalePrintDialog::summary() const {
    return summary_->text();
}

namespace {

QDoubleSpinBox* spinBox(const char* name, const NumberField& field, int decimals, double value) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(QLatin1String(name));
    box->setRange(field.low, field.high);
    box->setDecimals(decimals);
    box->setValue(value);
    return box;
}

// The printed hex's size, in the unit chosen.
const NumberField& hexField(LengthUnit unit) {
    return unit == LengthUnit::Inch ? field::kPrintHexInches : field::kPrintHex;
}

}  // namespace

void ScalePrintDialog::build() {
    byHex_ = new QRadioButton(tr("&Hex size, flat to flat:"));
    byDpi_ = new QRadioButton(tr("&Resolution:"));
    byHex_->setEnabled(hexPixels_.has_value());
    (choice_.byHex ? byHex_ : byDpi_)->setChecked(true);
    hexSize_ = spinBox("hexSize", hexField(choice_.unit), 2, choice_.hexSize);
    unit_ = new QComboBox;
    unit_->setObjectName(QStringLiteral("hexUnit"));
    unit_->addItems({tr("mm"), tr("in")});
    unit_->setCurrentIndex(choice_.unit == LengthUnit::Inch ? 1 : 0);
    dpi_ = spinBox("dpi", field::kPrintDpi, 0, choice_.dpi);
    dpi_->setSuffix(tr(" dpi"));
    paper_ = new QComboBox;
    paper_->setObjectName(QStringLiteral("paper"));
    for (const QPageSize::PageSizeId id : kScalePapers) {
        paper_->addItem(paperName(id), static_cast<int>(id));
        if (id == choice_.paper) {
            paper_->setCurrentIndex(paper_->count() - 1);
        }
    }
    landscape_ = new QCheckBox(tr("&Landscape"));
    landscape_->setChecked(choice_.landscape);
    overlap_ = spinBox("overlap", field::kOverlap, 1, choice_.overlapMm);
    overlap_->setSuffix(tr(" mm"));
    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setWordWrap(true);

    auto* hexRow = new QHBoxLayout;
    hexRow->addWidget(hexSize_);
    hexRow->addWidget(unit_);
    auto* form = new QFormLayout;
    form->addRow(byHex_, hexRow);
    form->addRow(byDpi_, dpi_);
    form->addRow(tr("&Paper:"), paper_);
    form->addRow(QString(), landscape_);
    form->addRow(tr("&Overlap:"), overlap_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    const auto action = [&](const QString& text, void (ScalePrintDialog::*signal)()) {
        QPushButton* button = buttons->addButton(text, QDialogButtonBox::ActionRole);
        connect(button, &QPushButton::clicked, this, signal);
        actions_.append(button);
    };
    action(tr("Pre&view..."), &ScalePrintDialog::previewRequested);
    action(tr("Pr&int..."), &ScalePrintDialog::printRequested);
    action(tr("Save as P&DF..."), &ScalePrintDialog::pdfRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(summary_);
    layout->addWidget(buttons);

    for (QDoubleSpinBox* box : {hexSize_, dpi_, overlap_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &ScalePrintDialog::readControls);
    }
    // First the size's range for its unit, so that the size read is one the unit takes.
    connect(unit_, &QComboBox::currentIndexChanged, this, [this](int unit) {
        const NumberField& field = hexField(unit == 1 ? LengthUnit::Inch : LengthUnit::Millimetre);
        hexSize_->setRange(field.low, field.high);
    });
    for (QComboBox* box : {unit_, paper_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &ScalePrintDialog::readControls);
    }
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{byHex_, landscape_}) {
        connect(box, &QAbstractButton::toggled, this, &ScalePrintDialog::readControls);
    }
}

void ScalePrintDialog::readControls() {
    choice_.byHex = byHex_->isChecked();
    choice_.hexSize = hexSize_->value();
    choice_.unit = unit_->currentIndex() == 1 ? LengthUnit::Inch : LengthUnit::Millimetre;
    choice_.dpi = dpi_->value();
    choice_.paper = static_cast<QPageSize::PageSizeId>(paper_->currentData().toInt());
    choice_.landscape = landscape_->isChecked();
    choice_.overlapMm = overlap_->value();
    hexSize_->setEnabled(choice_.byHex);
    unit_->setEnabled(choice_.byHex);
    dpi_->setEnabled(!choice_.byHex);

    const TilePlanning planning = planFor(pdfPrintableMm(choice_.paper, choice_.landscape));
    if (planning.plan) {
        // The map's printed size, so that the user sees what the scale makes of it.
        const double perMm = choice_.pixelsPerMm(hexPixels_);
        summary_->setText(
            tr("%1; the map prints %2 x %3 mm")
                .arg(describePlan(*planning.plan, paperName(choice_.paper),
                                  orientationName(choice_.landscape), choice_.scaleText()))
                .arg(std::lround(picture_.width() / perMm))
                .arg(std::lround(picture_.height() / perMm)));
    } else {
        summary_->setText(planning.refusal);
    }
    for (QPushButton* button : actions_) {
        button->setEnabled(planning.plan.has_value());
    }
}

}  // namespace tessara
