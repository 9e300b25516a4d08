#pragma once

#include "run/Calibration.h"

#include <QDialog>

#include <array>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

// Asks where the calibration sheet's two crosshairs landed on a printer, measured with a
// ruler from the paper's left and top edges in inches, and shows the offset that follows;
// the offset may also be typed directly. Reset takes the printer's calibration away. It only asks;
// the window stores and applies.
class TCalibrationDialog : public QDialog {
    Q_OBJECT
public:
    // intended: where the crosshairs were meant to be, in inches from the paper's corner.
    TCalibrationDialog(const QString& printer, const std::array<QPointF, 2>& intended,
                       const calibration::TOffset& current, QWidget* parent = nullptr);

    calibration::TOffset Offset() const;
    // The dialog was closed with Reset: the printer is to have no calibration.
    bool WasReset() const { return reset_; }

    // Measured distance of a crosshair's centre from the paper's left and top edges.
    QDoubleSpinBox* FromLeftEdit(int position) const { return landedX_[position]; }
    QDoubleSpinBox* FromTopEdit(int position) const { return landedY_[position]; }
    QDoubleSpinBox* OffsetXEdit() const { return offsetX_; }
    QDoubleSpinBox* OffsetYEdit() const { return offsetY_; }
    QPushButton* ResetButton() const { return resetButton_; }

private:
    void LandedChanged();
    void OffsetChanged();

    std::array<QPointF, 2> intended_;
    std::array<QDoubleSpinBox*, 2> landedX_ {};
    std::array<QDoubleSpinBox*, 2> landedY_ {};
    QDoubleSpinBox* offsetX_ = nullptr;
    QDoubleSpinBox* offsetY_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    bool reset_ = false;
    bool updating_ = false;
};
