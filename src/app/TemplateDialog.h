#pragma once

#include "ticket/Template.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// Options > Template: the artwork PDF under the numbers, its page, whether it covers a
// sheet or each ticket, and whether it prints or only shows in the preview.
class TTemplateDialog : public QDialog {
    Q_OBJECT
public:
    TTemplateDialog(const ticket::TTemplate& artwork, QWidget* parent = nullptr);
    // What the dialog shows; an empty file is no artwork.
    ticket::TTemplate Template() const;

private:
    void Browse();

    QLineEdit* file_ = nullptr;
    QSpinBox* page_ = nullptr;
    QComboBox* scope_ = nullptr;
    QCheckBox* print_ = nullptr;
};
