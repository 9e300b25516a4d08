#include "app/NumberFormatDialog.h"

#include "run/SerialDrawing.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

TNumberFormatDialog::TNumberFormatDialog(int digits, int sampleNumber, QWidget* parent)
    : QDialog(parent)
    , sampleNumber_(sampleNumber)
{
    setObjectName(QStringLiteral("NumberFormatDialog"));
    setWindowTitle(tr("Number Format"));
    digits_ = new QSpinBox(this);
    digits_->setObjectName(QStringLiteral("NumberDigits"));
    digits_->setRange(0, kMaxDigits);
    digits_->setSpecialValueText(tr("as it is"));
    digits_->setValue(qBound(0, digits, kMaxDigits));
    sample_ = new QLabel(this);
    sample_->setObjectName(QStringLiteral("NumberSample"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("&Digits (padded with zeros):"), digits_);
    form->addRow(tr("Example:"), sample_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(digits_, &QSpinBox::valueChanged, this, [this] { UpdateSample(); });
    UpdateSample();
}

int TNumberFormatDialog::Digits() const { return digits_->value(); }

void TNumberFormatDialog::UpdateSample() { sample_->setText(serial::NumberText(sampleNumber_, Digits())); }
