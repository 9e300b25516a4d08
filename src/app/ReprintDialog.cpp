#include "app/ReprintDialog.h"

#include "platform/Application.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QLineEdit>
#include <QSpinBox>

#include <limits>

namespace {

QSpinBox* serialEdit(int value, QWidget* parent)
{
    auto* edit = new QSpinBox(parent);
    edit->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    edit->setValue(value);
    edit->setAlignment(Qt::AlignRight);
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    return edit;
}

} // namespace

TReprintDialog::TReprintDialog(int first, int last, const QStringList& printers, int printerIndex, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReprintDialog"));
    setWindowTitle(tr("Reprint"));

    first_ = serialEdit(first, this);
    first_->setObjectName(QStringLiteral("ReprintFirst"));
    last_ = serialEdit(last, this);
    last_->setObjectName(QStringLiteral("ReprintLast"));
    printer_ = new QComboBox(this);
    printer_->setObjectName(QStringLiteral("ReprintPrinter"));
    printer_->addItems(printers);
    printer_->setCurrentIndex(printerIndex);
    mark_ = new QLineEdit(tr("REPRINT"), this);
    mark_->setObjectName(QStringLiteral("ReprintMark"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("&First serial:"), first_);
    form->addRow(tr("&Last serial:"), last_);
    form->addRow(tr("&Printer:"), printer_);
    form->addRow(tr("&Mark:"), mark_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Reprint"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int TReprintDialog::First() const { return first_->value(); }
int TReprintDialog::Last() const { return last_->value(); }
int TReprintDialog::PrinterIndex() const { return printer_->currentIndex(); }
QString TReprintDialog::Mark() const { return mark_->text(); }

void TReprintDialog::accept()
{
    // A range the wrong way round would print nothing or, counted as a run, billions.
    if (Last() < First()) {
        app::ShowError(tr("The last serial must not be below the first"));
        last_->setFocus();
        return;
    }
    QDialog::accept();
}
