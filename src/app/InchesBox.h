#pragma once

class QDoubleSpinBox;
class QString;
class QWidget;

// A field for a length in inches, as the dialogs show one: three decimals, the locale's
// decimal sign, " in" after the value.
QDoubleSpinBox* InchesBox(double minimum, double maximum, double value, double step, const QString& name, QWidget* parent);
