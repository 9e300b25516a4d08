#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

// Options > Data: the CSV file whose rows fill {data:Column} in the items, and the number
// printed with its first row. A chosen file is read at once, as strictly as a run reads
// it: its columns and first rows, or why it cannot be used.
class TDataDialog : public QDialog {
    Q_OBJECT
public:
    // `resolve` turns the file as typed into the path it names (a relative name is taken
    // from the settings file's folder).
    TDataDialog(const QString& file, int firstNumber, std::function<QString(const QString&)> resolve, QWidget* parent = nullptr);
    // The file as typed (empty: none) and the first row's number.
    QString File() const;
    int FirstNumber() const;
    // What the check says about the chosen file (tests).
    QString CheckText() const;

private:
    void Browse();
    void Check();

    std::function<QString(const QString&)> resolve_;
    QLineEdit* file_ = nullptr;
    QSpinBox* first_ = nullptr;
    QLabel* check_ = nullptr;
    QTableWidget* rows_ = nullptr;
    QString checked_; // the file the check is for
};
