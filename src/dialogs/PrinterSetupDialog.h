#pragma once

#include <QDialog>
#include <QPageSize>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Printer set-up: the printer (a CUPS queue or the PDF printer), its paper, the
// orientation and, for the PDF printer, where its files go. It offers only what a run
// honours; nothing is changed until OK, and then Apply() sets the process's printer.
class TPrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPrinterSetupDialog(QWidget* parent = nullptr);

    // Sets the printer up as the dialog shows it.
    void Apply();

    QComboBox* PrinterBox = nullptr;
    QComboBox* PaperBox = nullptr;
    QRadioButton* Portrait = nullptr;
    QRadioButton* Landscape = nullptr;
    QGroupBox* PdfGroup = nullptr;
    QRadioButton* ToDocuments = nullptr;
    QRadioButton* ToFolder = nullptr;
    QRadioButton* ToFile = nullptr;
    QLineEdit* FolderEdit = nullptr;
    QLineEdit* FileEdit = nullptr;
    QPushButton* BrowseFolder = nullptr;
    QPushButton* BrowseFile = nullptr;

private:
    void FillPapers();
    void UpdateDestination();
    void ChooseFolder();
    void ChooseFile();
};
