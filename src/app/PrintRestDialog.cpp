#include "app/PrintRestDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

TPrintRestDialog::TPrintRestDialog(const QString& what, const QStringList& printers, int printerIndex, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintRestDialog"));
    setWindowTitle(tr("Print the Rest"));

    what_ = new QLabel(what, this);
    what_->setObjectName(QStringLiteral("PrintRestText"));
    what_->setWordWrap(true);
    printer_ = new QComboBox(this);
    printer_->setObjectName(QStringLiteral("PrintRestPrinter"));
    printer_->addItems(printers);
    printer_->setCurrentIndex(printerIndex);

    auto* form = new QFormLayout(this);
    form->addRow(what_);
    form->addRow(tr("&Printer:"), printer_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Print"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    printer_->setFocus();
}

int TPrintRestDialog::PrinterIndex() const { return printer_->currentIndex(); }
