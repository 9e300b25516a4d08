#include "app/ReprintDialog.h"

#include "platform/Application.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QLineEdit>

namespace {

// A serial as printed, with its prefix and suffix: any text, kept on one line.
QLineEdit* serialEdit(const QString& value, QWidget* parent)
{
    auto* edit = new QLineEdit(value, parent);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

} // namespace

TReprintDialog::TReprintDialog(const QString& first, const QString& last, const QStringList& printers, int printerIndex,
                               QWidget* parent)
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

QString TReprintDialog::First() const { return first_->text(); }
QString TReprintDialog::Last() const { return last_->text(); }
int TReprintDialog::PrinterIndex() const { return printer_->currentIndex(); }
QString TReprintDialog::Mark() const { return mark_->text(); }

void TReprintDialog::accept()
{
    // Which serials the texts name, and in which order, is the print room's to say.
    for (QLineEdit* edit : { first_, last_ })
        if (edit->text().trimmed().isEmpty()) {
            app::ShowError(tr("Type the first and the last serial"));
            edit->setFocus();
            return;
        }
    QDialog::accept();
}
