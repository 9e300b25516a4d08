#pragma once

#include "platform/CupsDests.h"

#include <QDialog>

class QLabel;
class QLineEdit;

// The password a print queue asks for, in a small dialog of the program's own: Qt's print
// support is never asked to show one.
class TLoginDialog : public QDialog {
    Q_OBJECT
public:
    TLoginDialog(const cups::PasswordRequest& request, QWidget* parent = nullptr);

    QString Password() const;

    QLabel* Message = nullptr;
    QLineEdit* PasswordEdit = nullptr;
};

namespace login {
// Lets the print queues' password requests of this process ask the user with the dialog
// above. Without it (the command line) a queue that asks for a login is refused.
void InstallPasswordDialog();
} // namespace login
