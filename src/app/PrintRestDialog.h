#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;

// Asks where the rest of a stopped run goes, as a reprint asks: a printer of the
// machine or the PDF printer (whose files go where Print Setup says). It only asks; the
// window prints, and asks the run's questions after.
class TPrintRestDialog : public QDialog {
    Q_OBJECT
public:
    // what: the rest in words; printerIndex: the one chosen at first.
    TPrintRestDialog(const QString& what, const QStringList& printers, int printerIndex, QWidget* parent = nullptr);

    int PrinterIndex() const;

    QComboBox* PrinterCombo() const { return printer_; }
    QLabel* RestLabel() const { return what_; }

private:
    QLabel* what_ = nullptr;
    QComboBox* printer_ = nullptr;
};
