#pragma once

#include "ticket/SheetLayout.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class TSheetDrawing;

// Options > Sheet Layout: the grid of tickets on a sheet, the gaps, the order (rows,
// columns, cut and stack with its pile depth), copies, reverse, the first slot and cut
// marks, with a small drawing of the sheet and the serials of its first sheet.
class TSheetLayoutDialog : public QDialog {
    Q_OBJECT
public:
    // serialText: the serial text of ticket t of the next run; printable: the printable
    // area in inches, which sizes tickets whose width or height is 0.
    TSheetLayoutDialog(const ticket::TSheetLayout& layout, std::function<QString(qint64 ticket)> serialText,
                       QSizeF printable, qint64 tickets, QWidget* parent = nullptr);

    ticket::TSheetLayout Layout() const;

    QSpinBox* ColumnsEdit() const { return columns_; }
    QSpinBox* RowsEdit() const { return rows_; }
    QComboBox* OrderBox() const { return order_; }
    // The serial texts the drawing shows in each slot of the first sheet.
    QStringList FirstSheet() const;

private:
    void Changed();

    QSpinBox* columns_ = nullptr;
    QSpinBox* rows_ = nullptr;
    QDoubleSpinBox* left_ = nullptr;
    QDoubleSpinBox* top_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
    QDoubleSpinBox* gapX_ = nullptr;
    QDoubleSpinBox* gapY_ = nullptr;
    QComboBox* order_ = nullptr;
    QSpinBox* stackDepth_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QSpinBox* firstSlot_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QCheckBox* cutMarks_ = nullptr;
    TSheetDrawing* drawing_ = nullptr;
    std::function<QString(qint64)> serialText_;
    QSizeF printable_;
    qint64 tickets_ = 1;
};
