#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;

// Asks what to reprint: the first and last serial (as printed, "SC-000017", or bare
// numbers), the printer and the mark drawn small beside each number. It only asks; the
// window prints, and the print room reads the serials.
class TReprintDialog : public QDialog {
    Q_OBJECT
public:
    TReprintDialog(const QString& first, const QString& last, const QStringList& printers, int printerIndex,
                   QWidget* parent = nullptr);

    QString First() const;
    QString Last() const;
    int PrinterIndex() const;
    QString Mark() const;

    QLineEdit* FirstEdit() const { return first_; }
    QLineEdit* LastEdit() const { return last_; }
    QComboBox* PrinterCombo() const { return printer_; }
    QLineEdit* MarkEdit() const { return mark_; }

    void accept() override;

private:
    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
    QComboBox* printer_ = nullptr;
    QLineEdit* mark_ = nullptr;
};
