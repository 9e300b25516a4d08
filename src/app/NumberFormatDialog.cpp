#include "app/NumberFormatDialog.h"

#include "ticket/SerialDrawing.h"
#include "run/SettingsFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

TNumberFormatDialog::TNumberFormatDialog(int digits, int sampleNumber, QWidget* parent, int step, ticket::TCheck check,
                                         const QString& checkSeparator, int letters, const QString& letterSeparator)
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
    step_ = new QSpinBox(this);
    step_->setObjectName(QStringLiteral("NumberStep"));
    step_->setRange(settingslimits::kMinStep, settingslimits::kMaxStep);
    step_->setValue(qBound(settingslimits::kMinStep, step, settingslimits::kMaxStep));
    check_ = new QComboBox(this);
    check_->setObjectName(QStringLiteral("NumberCheck"));
    const std::pair<ticket::TCheck, QString> checks[] = {
        { ticket::TCheck::None, tr("none") },
        { ticket::TCheck::Luhn, tr("Luhn (ISO/IEC 7812)") },
        { ticket::TCheck::Mod10, tr("Mod 10 (weights 3, 1)") },
        { ticket::TCheck::Mod11, tr("Mod 11 (X for 10)") },
        { ticket::TCheck::Mod7, tr("Mod 7") },
    };
    for (const auto& [scheme, name] : checks)
        check_->addItem(name, int(scheme));
    check_->setCurrentIndex(qMax(0, check_->findData(int(check))));
    separator_ = new QLineEdit(checkSeparator, this);
    separator_->setObjectName(QStringLiteral("NumberCheckSeparator"));
    separator_->setToolTip(tr("Printed between the number and its check character, such as a hyphen; empty: nothing"));
    letters_ = new QSpinBox(this);
    letters_->setObjectName(QStringLiteral("NumberLetters"));
    letters_->setRange(0, ticket::kMaxLetters);
    letters_->setSpecialValueText(tr("none"));
    letters_->setValue(qBound(0, letters, ticket::kMaxLetters));
    letters_->setToolTip(tr("Letters before the digits: with 2 letters and 4 digits the series runs AA0000 to AA9999, AB0000 ... ZZ9999"));
    letterSeparator_ = new QLineEdit(letterSeparator, this);
    letterSeparator_->setObjectName(QStringLiteral("NumberLetterSeparator"));
    letterSeparator_->setToolTip(tr("Printed between the letters and the digits, such as a hyphen; empty: nothing"));
    sample_ = new QLabel(this);
    sample_->setObjectName(QStringLiteral("NumberSample"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("&Digits (padded with zeros):"), digits_);
    form->addRow(tr("&Step from one serial to the next:"), step_);
    form->addRow(tr("&Check character:"), check_);
    form->addRow(tr("Check sepa&rator:"), separator_);
    form->addRow(tr("&Letters before the digits:"), letters_);
    form->addRow(tr("Letter separa&tor:"), letterSeparator_);
    form->addRow(tr("Example:"), sample_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(digits_, &QSpinBox::valueChanged, this, [this] { UpdateSample(); });
    connect(step_, &QSpinBox::valueChanged, this, [this] { UpdateSample(); });
    connect(check_, &QComboBox::currentIndexChanged, this, [this] { UpdateSample(); });
    connect(separator_, &QLineEdit::textChanged, this, [this] { UpdateSample(); });
    connect(letters_, &QSpinBox::valueChanged, this, [this] { UpdateSample(); });
    connect(letterSeparator_, &QLineEdit::textChanged, this, [this] { UpdateSample(); });
    UpdateSample();
}

int TNumberFormatDialog::Digits() const { return digits_->value(); }

int TNumberFormatDialog::Step() const { return step_->value(); }

ticket::TCheck TNumberFormatDialog::Check() const { return ticket::TCheck(check_->currentData().toInt()); }

QString TNumberFormatDialog::CheckSeparator() const { return separator_->text(); }

int TNumberFormatDialog::Letters() const { return letters_->value(); }

QString TNumberFormatDialog::LetterSeparator() const { return letterSeparator_->text(); }

void TNumberFormatDialog::UpdateSample()
{
    // The first two serials as a run prints them, without prefix and suffix.
    serial::SerialPage page;
    page.StartingNumber = sampleNumber_;
    page.Digits = Digits();
    page.Step = Step();
    page.Check = Check();
    page.CheckSeparator = CheckSeparator();
    page.Letters = Letters();
    page.LetterSeparator = LetterSeparator();
    sample_->setText(Step() == 1 && Check() == ticket::TCheck::None
                         ? serial::SerialText(page, 1)
                         : tr("%1, %2, ...").arg(serial::SerialText(page, 1), serial::SerialText(page, 2)));
}
