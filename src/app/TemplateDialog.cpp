#include "app/TemplateDialog.h"

#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

TTemplateDialog::TTemplateDialog(const ticket::TTemplate& artwork, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TemplateDialog"));
    setWindowTitle(tr("Template"));
    file_ = new QLineEdit(artwork.File, this);
    file_->setObjectName(QStringLiteral("txtTemplateFile"));
    file_->setPlaceholderText(tr("No template"));
    auto* browse = new QPushButton(tr("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &TTemplateDialog::Browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);
    page_ = new QSpinBox(this);
    page_->setObjectName(QStringLiteral("txtTemplatePage"));
    page_->setRange(1, 99999);
    page_->setValue(artwork.Page);
    scope_ = new QComboBox(this);
    scope_->setObjectName(QStringLiteral("cbTemplateScope"));
    scope_->addItem(tr("Each sheet, at the paper's corner"), int(ticket::TTemplateScope::Sheet));
    scope_->addItem(tr("Each ticket, at the ticket's corner"), int(ticket::TTemplateScope::Ticket));
    scope_->setCurrentIndex(artwork.Scope == ticket::TTemplateScope::Ticket ? 1 : 0);
    print_ = new QCheckBox(tr("&Print it under the numbers (off: pre-printed stock, shown in the preview only)"), this);
    print_->setObjectName(QStringLiteral("chkTemplatePrint"));
    print_->setChecked(artwork.Print);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    // A row of several widgets takes no buddy by itself: the label needs one, or it shows
    // its "&" instead of underlining the key.
    auto* fileLabel = new QLabel(tr("&File:"), this);
    fileLabel->setBuddy(file_);
    form->addRow(fileLabel, fileRow);
    form->addRow(tr("P&age:"), page_);
    form->addRow(tr("&Under:"), scope_);
    form->addRow(print_);
    form->addRow(buttons);
}

ticket::TTemplate TTemplateDialog::Template() const
{
    ticket::TTemplate artwork;
    artwork.File = file_->text().trimmed();
    artwork.Page = page_->value();
    artwork.Scope = ticket::TTemplateScope(scope_->currentData().toInt());
    artwork.Print = print_->isChecked();
    return artwork;
}

void TTemplateDialog::Browse()
{
    const QString start = file_->text().isEmpty() ? QString() : QFileInfo(file_->text()).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Template"), start, tr("PDF files (*.pdf);;All files (*)"));
    if (!chosen.isEmpty())
        file_->setText(chosen);
}
