#include "app/LoginDialog.h"

#include "platform/Application.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TLoginDialog::TLoginDialog(const cups::PasswordRequest& request, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(app::Title());
    QString text = request.queue.isEmpty() ? tr("The print server %1 asks for a login.").arg(request.server)
                                           : tr("The queue %1 asks for a login.").arg(request.queue);
    if (request.refused)
        text = tr("The password was not accepted.") + QLatin1Char(' ') + text;
    Message = new QLabel(text, this);
    Message->setWordWrap(true);
    PasswordEdit = new QLineEdit(this);
    PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
    PasswordEdit->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(tr("User:"), new QLabel(request.user, this));
    form->addRow(tr("&Password:"), PasswordEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Message);
    layout->addLayout(form);
    layout->addWidget(buttons);
    PasswordEdit->setFocus();
}

QString TLoginDialog::Password() const
{
    return PasswordEdit->text();
}

namespace login {

void InstallPasswordDialog()
{
    cups::SetPasswordHook([](const cups::PasswordRequest& request) -> std::optional<QString> {
        TLoginDialog dialog(request, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted || dialog.Password().isEmpty())
            return std::nullopt;
        return dialog.Password();
    });
}

} // namespace login
