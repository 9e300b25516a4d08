#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QSpinBox;

// Asks what to reprint: the first and last serial, the printer and the mark drawn small
// beside each number. It only asks; the window prints.
class TReprintDialog : public QDialog {
    Q_OBJECT
public:
    TReprintDialog(int first, int last, const QStringList& printers, int printerIndex, QWidget* parent = nullptr);

    int First() const;
    int Last() const;
    int PrinterIndex() const;
    QString Mark() const;

    QSpinBox* FirstEdit() const { return first_; }
    QSpinBox* LastEdit() const { return last_; }
    QComboBox* PrinterCombo() const { return printer_; }
    QLineEdit* MarkEdit() const { return mark_; }

    void accept() override;

private:
    QSpinBox* first_ = nullptr;
    QSpinBox* last_ = nullptr;
    QComboBox* printer_ = nullptr;
    QLineEdit* mark_ = nullptr;
};
