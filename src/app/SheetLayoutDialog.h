#pragma once

#include "ticket/SheetLayout.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;
class TSheetDrawing;

// The names of a sheet's copies ([Sheet] PartNames, "|" between them) and the books
// ([Book] Size, 0: none, and FirstNumber), as the settings file holds them.
struct TBooksAndParts {
    int BookSize = 0;
    int BookFirst = 1;
    QString PartNames;
    friend bool operator==(const TBooksAndParts&, const TBooksAndParts&) = default;
};

// Options > Sheet Layout: the grid of tickets on a sheet, the gaps, the order (rows,
// columns, cut and stack with its pile depth), copies, reverse, the first slot and cut
// marks, what Left, Top and the tickets' default size are measured from (the paper's
// edges or the printable area), the names of the copies and the books the run is bound
// in, with a small drawing of the sheet and the serials of its first sheet.
class TSheetLayoutDialog : public QDialog {
    Q_OBJECT
public:
    // serialText: the serial text of ticket t of the next run; area: the current
    // printer's paper and printable area, inches, on which the grid is drawn. A new
    // layout is measured from the paper. One measured from the printable area is shown
    // measured from the paper, at the same places on this printer: unchanged, it stays
    // as it was; changed, it is the paper's.
    TSheetLayoutDialog(const ticket::TSheetLayout& layout, std::function<QString(qint64 ticket)> serialText,
                       const ticket::TPageArea& area, qint64 tickets, QWidget* parent = nullptr,
                       const TBooksAndParts& books = {});

    ticket::TSheetLayout Layout() const;
    // Without books the first number stays as it was given: a file without books gets
    // no [Book] key from a number typed and then left unused.
    TBooksAndParts BooksAndParts() const;
    // Called with Layout() whenever a value changes (BooksAndParts() too), so the preview
    // can follow.
    std::function<void(const ticket::TSheetLayout&)> OnChange;

    QSpinBox* ColumnsEdit() const { return columns_; }
    QSpinBox* RowsEdit() const { return rows_; }
    QComboBox* OrderBox() const { return order_; }
    QComboBox* OriginBox() const { return origin_; }
    QDoubleSpinBox* LeftEdit() const { return left_; }
    QSpinBox* BookSizeEdit() const { return bookSize_; }
    QSpinBox* BookFirstEdit() const { return bookFirst_; }
    QLineEdit* PartNamesEdit() const { return partNames_; }
    // The serial texts the drawing shows in each slot of the first sheet.
    QStringList FirstSheet() const;

private:
    void Changed();
    // The values typed, the origin chosen.
    ticket::TSheetLayout Typed() const;
    // Left and Top moved so that the grid stays where it is when the origin changes.
    void OriginChanged();
    void ShowTips();

    QSpinBox* columns_ = nullptr;
    QSpinBox* rows_ = nullptr;
    QDoubleSpinBox* left_ = nullptr;
    QDoubleSpinBox* top_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
    QDoubleSpinBox* gapX_ = nullptr;
    QDoubleSpinBox* gapY_ = nullptr;
    QComboBox* order_ = nullptr;
    QComboBox* origin_ = nullptr;
    QSpinBox* stackDepth_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QSpinBox* firstSlot_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QCheckBox* cutMarks_ = nullptr;
    QLineEdit* partNames_ = nullptr;
    QSpinBox* bookSize_ = nullptr;
    QSpinBox* bookFirst_ = nullptr;
    TSheetDrawing* drawing_ = nullptr;
    std::function<QString(qint64)> serialText_;
    ticket::TPageArea area_;
    qint64 tickets_ = 1;
    ticket::TSheetLayout given_; // as the window had it
    ticket::TSheetLayout shown_; // as the dialog first showed it
    TBooksAndParts books_;       // as the window had them
};
