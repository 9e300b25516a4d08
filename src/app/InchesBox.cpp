#include "app/InchesBox.h"

#include "platform/FormatSettings.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>

QDoubleSpinBox* InchesBox(double minimum, double maximum, double value, double step, const QString& name, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setLocale(NumberLocale());
    box->setDecimals(3);
    box->setSingleStep(step);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setSuffix(QCoreApplication::translate("InchesBox", " in"));
    return box;
}
