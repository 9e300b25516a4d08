#pragma once

#include <QDialog>

class QLineEdit;

// Asks which serials to void (as printed, "SC-000017", or bare numbers; the last may stay
// empty for one serial) and why. It only asks; the window records them.
class TVoidDialog : public QDialog {
    Q_OBJECT
public:
    TVoidDialog(const QString& first, const QString& last, QWidget* parent = nullptr);

    QString First() const;
    // The last serial: the first one when none was typed.
    QString Last() const;
    QString Reason() const;

    QLineEdit* FirstEdit() const { return first_; }
    QLineEdit* LastEdit() const { return last_; }
    QLineEdit* ReasonEdit() const { return reason_; }

    void accept() override;

private:
    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
    QLineEdit* reason_ = nullptr;
};
