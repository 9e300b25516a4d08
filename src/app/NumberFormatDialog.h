#pragma once

#include <QDialog>

class QLabel;
class QSpinBox;

// The width serial numbers are padded to with zeros (0: as they are).
class TNumberFormatDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxDigits = 10;

    TNumberFormatDialog(int digits, int sampleNumber, QWidget* parent = nullptr);
    int Digits() const;
    QSpinBox* DigitsEdit() const { return digits_; }

private:
    void UpdateSample();

    QSpinBox* digits_ = nullptr;
    QLabel* sample_ = nullptr;
    int sampleNumber_ = 0;
};
