#include "app/CalibrationDialog.h"

#include "app/InchesBox.h"

#include "platform/FormatSettings.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kDecimals = 3; // as the fields show them
constexpr double kStep = 0.01;
constexpr double kMostPaper = 99;  // inches: any sheet a printer takes
constexpr double kMostOffset = 5;  // inches: more is a wrong reading, not a printer's shift


} // namespace

TCalibrationDialog::TCalibrationDialog(const QString& printer, const std::array<QPointF, 2>& intended,
                                       const calibration::TOffset& current, QWidget* parent)
    : QDialog(parent)
    , intended_(intended)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(tr("Calibrate Printer"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("Printer: %1\n\nPrint File > Print Calibration Sheet on this printer. With a ruler, measure "
                                "the centre of each crosshair from the paper's left edge and from its top edge, in inches.")
                                 .arg(printer),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Meant to be at (left, top)"), this), 0, 1);
    grid->addWidget(new QLabel(tr("From left edge"), this), 0, 2);
    grid->addWidget(new QLabel(tr("From top edge"), this), 0, 3);
    for (int i = 0; i < 2; ++i) {
        grid->addWidget(new QLabel(tr("Position %1").arg(i + 1), this), i + 1, 0);
        grid->addWidget(new QLabel(tr("%1 in, %2 in").arg(NumberLocale().toString(intended[i].x(), 'f', kDecimals),
                                                             NumberLocale().toString(intended[i].y(), 'f', kDecimals)),
                                   this),
                        i + 1, 1);
        // Without a new reading, the crosshairs landed where the current offset says.
        landedX_[i] = InchesBox(-kMostPaper, kMostPaper, intended[i].x() - current.X, kStep, QStringLiteral("FromLeft%1").arg(i + 1), this);
        landedY_[i] = InchesBox(-kMostPaper, kMostPaper, intended[i].y() - current.Y, kStep, QStringLiteral("FromTop%1").arg(i + 1), this);
        grid->addWidget(landedX_[i], i + 1, 2);
        grid->addWidget(landedY_[i], i + 1, 3);
        connect(landedX_[i], &QDoubleSpinBox::valueChanged, this, &TCalibrationDialog::LandedChanged);
        connect(landedY_[i], &QDoubleSpinBox::valueChanged, this, &TCalibrationDialog::LandedChanged);
    }
    grid->addWidget(new QLabel(tr("Offset (right, down)"), this), 3, 0, 1, 2);
    offsetX_ = InchesBox(-kMostOffset, kMostOffset, current.X, kStep, QStringLiteral("OffsetX"), this);
    offsetY_ = InchesBox(-kMostOffset, kMostOffset, current.Y, kStep, QStringLiteral("OffsetY"), this);
    grid->addWidget(offsetX_, 3, 2);
    grid->addWidget(offsetY_, 3, 3);
    connect(offsetX_, &QDoubleSpinBox::valueChanged, this, &TCalibrationDialog::OffsetChanged);
    connect(offsetY_, &QDoubleSpinBox::valueChanged, this, &TCalibrationDialog::OffsetChanged);
    layout->addLayout(grid);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, this);
    resetButton_ = buttons->button(QDialogButtonBox::Reset);
    resetButton_->setObjectName(QStringLiteral("ResetButton"));
    resetButton_->setToolTip(tr("Print on this printer without calibration"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(resetButton_, &QPushButton::clicked, this, [this] {
        reset_ = true;
        accept();
    });
    layout->addWidget(buttons);
    landedX_[0]->setFocus();
    landedX_[0]->selectAll();
}

calibration::TOffset TCalibrationDialog::Offset() const
{
    if (reset_)
        return {};
    return { offsetX_->value(), offsetY_->value() };
}

void TCalibrationDialog::LandedChanged()
{
    if (updating_)
        return;
    updating_ = true;
    const calibration::TOffset offset = calibration::OffsetFromLanded(
        intended_, { QPointF(landedX_[0]->value(), landedY_[0]->value()), QPointF(landedX_[1]->value(), landedY_[1]->value()) });
    offsetX_->setValue(offset.X);
    offsetY_->setValue(offset.Y);
    updating_ = false;
}

void TCalibrationDialog::OffsetChanged()
{
    if (updating_)
        return;
    // A typed offset: both crosshairs read as having landed that far off.
    updating_ = true;
    for (int i = 0; i < 2; ++i) {
        landedX_[i]->setValue(intended_[i].x() - offsetX_->value());
        landedY_[i]->setValue(intended_[i].y() - offsetY_->value());
    }
    updating_ = false;
}
