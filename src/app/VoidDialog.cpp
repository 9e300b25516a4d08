#include "app/VoidDialog.h"

#include "platform/Application.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

TVoidDialog::TVoidDialog(const QString& first, const QString& last, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("VoidDialog"));
    setWindowTitle(tr("Void"));
    first_ = new QLineEdit(first, this);
    first_->setObjectName(QStringLiteral("VoidFirst"));
    last_ = new QLineEdit(last, this);
    last_->setObjectName(QStringLiteral("VoidLast"));
    for (QLineEdit* edit : { first_, last_ })
        edit->setAlignment(Qt::AlignRight);
    reason_ = new QLineEdit(this);
    reason_->setObjectName(QStringLiteral("VoidReason"));
    reason_->setPlaceholderText(tr("e.g. jammed in the printer"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("&First serial:"), first_);
    form->addRow(tr("&Last serial:"), last_);
    form->addRow(tr("&Reason:"), reason_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Void"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString TVoidDialog::First() const { return first_->text(); }
QString TVoidDialog::Last() const { return last_->text().trimmed().isEmpty() ? first_->text() : last_->text(); }
QString TVoidDialog::Reason() const { return reason_->text(); }

void TVoidDialog::accept()
{
    if (first_->text().trimmed().isEmpty()) {
        app::ShowError(tr("Type the first serial to void"));
        first_->setFocus();
        return;
    }
    QDialog::accept();
}
