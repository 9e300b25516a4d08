#pragma once

#include "ticket/SerialText.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The width serial numbers are padded to with zeros (0: as they are), the step from one
// serial to the next, and the check character after the number.
class TNumberFormatDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxDigits = 10;

    TNumberFormatDialog(int digits, int sampleNumber, QWidget* parent = nullptr, int step = 1,
                        ticket::TCheck check = ticket::TCheck::None, const QString& checkSeparator = QString(),
                        int letters = 0, const QString& letterSeparator = QString());
    int Digits() const;
    int Step() const;
    ticket::TCheck Check() const;
    QString CheckSeparator() const;
    int Letters() const;
    QString LetterSeparator() const;
    QSpinBox* DigitsEdit() const { return digits_; }
    QSpinBox* StepEdit() const { return step_; }
    QComboBox* CheckEdit() const { return check_; }
    QLineEdit* CheckSeparatorEdit() const { return separator_; }
    QSpinBox* LettersEdit() const { return letters_; }

private:
    void UpdateSample();

    QSpinBox* digits_ = nullptr;
    QSpinBox* step_ = nullptr;
    QComboBox* check_ = nullptr;
    QLineEdit* separator_ = nullptr;
    QSpinBox* letters_ = nullptr;
    QLineEdit* letterSeparator_ = nullptr;
    QLabel* sample_ = nullptr;
    int sampleNumber_ = 0;
};
