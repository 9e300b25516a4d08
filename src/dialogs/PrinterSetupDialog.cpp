#include "dialogs/PrinterSetupDialog.h"

#include "platform/Printer.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kPdfPrinterName = QStringLiteral("PDF");

// A line with an edit box and its Browse button.
QWidget* BrowseRow(QLineEdit*& edit, QPushButton*& button, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(row);
    edit->setReadOnly(true);
    button = new QPushButton(TPrinterSetupDialog::tr("Browse..."), row);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

// Tab into a group of radio buttons stops at the chosen one, as it does elsewhere on the
// desktop: Qt stops at the first of the group, where a Space would change the choice
// unseen. The arrow keys still move among them.
class ChosenRadioTakesTab : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* radio = qobject_cast<QRadioButton*>(watched);
        if (radio && event->type() == QEvent::FocusIn && !radio->isChecked()) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                if (QRadioButton* chosen = Chosen(radio); chosen && chosen->isEnabled())
                    chosen->setFocus(reason);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QRadioButton* Chosen(QRadioButton* radio)
    {
        if (radio->group())
            return qobject_cast<QRadioButton*>(radio->group()->checkedButton());
        for (auto* sibling : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
            if (sibling->isChecked() && !sibling->group() && sibling->autoExclusive())
                return sibling;
        return nullptr;
    }
};

} // namespace

TPrinterSetupDialog::TPrinterSetupDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(tr("Printer Setup"));
    TPrinter& printer = Printer();

    auto* form = new QFormLayout;
    PrinterBox = new QComboBox(this);
    PrinterBox->setObjectName(QStringLiteral("PrinterBox"));
    PrinterBox->addItems(printer.Printers());
    PrinterBox->setCurrentIndex(printer.PrinterIndex());
    form->addRow(tr("&Printer:"), PrinterBox);
    PaperBox = new QComboBox(this);
    PaperBox->setObjectName(QStringLiteral("PaperBox"));
    form->addRow(tr("P&aper:"), PaperBox);

    auto* orientation = new QWidget(this);
    auto* orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->setContentsMargins(0, 0, 0, 0);
    Portrait = new QRadioButton(tr("P&ortrait"), orientation);
    Landscape = new QRadioButton(tr("&Landscape"), orientation);
    orientationLayout->addWidget(Portrait);
    orientationLayout->addWidget(Landscape);
    orientationLayout->addStretch();
    (printer.Orientation() == poLandscape ? Landscape : Portrait)->setChecked(true);
    form->addRow(tr("Orientation:"), orientation);

    PdfGroup = new QGroupBox(tr("PDF files go to"), this);
    auto* pdfLayout = new QVBoxLayout(PdfGroup);
    ToDocuments = new QRadioButton(tr("the &documents folder (%1)").arg(QDir::toNativeSeparators(TPrinter::DocumentsFolder())), PdfGroup);
    ToFolder = new QRadioButton(tr("this &folder, a new file for each run:"), PdfGroup);
    ToFile = new QRadioButton(tr("this fil&e:"), PdfGroup);
    auto* destinations = new QButtonGroup(this);
    for (QRadioButton* button : { ToDocuments, ToFolder, ToFile })
        destinations->addButton(button);
    pdfLayout->addWidget(ToDocuments);
    pdfLayout->addWidget(ToFolder);
    pdfLayout->addWidget(BrowseRow(FolderEdit, BrowseFolder, PdfGroup));
    pdfLayout->addWidget(ToFile);
    pdfLayout->addWidget(BrowseRow(FileEdit, BrowseFile, PdfGroup));
    FolderEdit->setText(QDir::toNativeSeparators(printer.OutputFolder()));
    FileEdit->setText(QDir::toNativeSeparators(printer.OutputFileName()));
    if (!printer.OutputFileName().isEmpty())
        ToFile->setChecked(true);
    else if (!printer.OutputFolder().isEmpty())
        ToFolder->setChecked(true);
    else
        ToDocuments->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(PdfGroup);
    layout->addWidget(buttons);

    auto* chosenTakesTab = new ChosenRadioTakesTab(this);
    for (QRadioButton* button : { Portrait, Landscape, ToDocuments, ToFolder, ToFile })
        button->installEventFilter(chosenTakesTab);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(PrinterBox, &QComboBox::currentIndexChanged, this, [this] { FillPapers(); UpdateDestination(); });
    connect(destinations, &QButtonGroup::buttonToggled, this, [this] { UpdateDestination(); });
    connect(BrowseFolder, &QPushButton::clicked, this, &TPrinterSetupDialog::ChooseFolder);
    connect(BrowseFile, &QPushButton::clicked, this, &TPrinterSetupDialog::ChooseFile);
    FillPapers();
    UpdateDestination();
}

void TPrinterSetupDialog::FillPapers()
{
    TPrinter& printer = Printer();
    const QString name = PrinterBox->currentText();
    const bool pdf = name == kPdfPrinterName;
    const QList<QPageSize> sizes = TPrinter::PaperSizesOf(name);
    // The current printer keeps its paper; another one starts from its own default.
    QPageSize current = PrinterBox->currentIndex() == printer.PrinterIndex() ? printer.PaperSize() : QPageSize();
    if (!current.isValid() && !pdf)
        current = TPrinter::DefaultPaperOf(name);
    if (!current.isValid())
        current = QPageSize(QPageSize::A4);
    PaperBox->clear();
    for (const QPageSize& size : sizes) {
        PaperBox->addItem(size.name(), size.key());
        if (size.isEquivalentTo(current))
            PaperBox->setCurrentIndex(PaperBox->count() - 1);
    }
    PaperBox->setEnabled(PaperBox->count() > 0);
}

void TPrinterSetupDialog::UpdateDestination()
{
    const bool currentIsPdf = PrinterBox->currentIndex() == Printer().PrinterIndex() && Printer().IsPdfPrinter();
    PdfGroup->setEnabled(currentIsPdf || PrinterBox->currentText() == kPdfPrinterName);
    FolderEdit->setEnabled(ToFolder->isChecked());
    BrowseFolder->setEnabled(ToFolder->isChecked());
    FileEdit->setEnabled(ToFile->isChecked());
    BrowseFile->setEnabled(ToFile->isChecked());
}

void TPrinterSetupDialog::ChooseFolder()
{
    const QString start = FolderEdit->text().isEmpty() ? TPrinter::DocumentsFolder() : FolderEdit->text();
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Folder for PDF Files"), start);
    if (!folder.isEmpty())
        FolderEdit->setText(QDir::toNativeSeparators(folder));
}

void TPrinterSetupDialog::ChooseFile()
{
    const QString start = FileEdit->text().isEmpty() ? TPrinter::DocumentsFolder() : FileEdit->text();
    // The file dialog asks before an existing file is chosen for replacing.
    QString file = QFileDialog::getSaveFileName(this, tr("PDF File"), start, tr("PDF files (*.pdf)"));
    if (file.isEmpty())
        return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    FileEdit->setText(QDir::toNativeSeparators(file));
}

void TPrinterSetupDialog::Apply()
{
    TPrinter& printer = Printer();
    if (PrinterBox->currentIndex() >= 0)
        printer.SetPrinterIndex(PrinterBox->currentIndex());
    printer.SetOrientation(Landscape->isChecked() ? poLandscape : poPortrait);
    const int paper = PaperBox->currentIndex();
    if (paper >= 0) {
        const QString key = PaperBox->itemData(paper).toString();
        const QList<QPageSize> sizes = printer.PaperSizes();
        for (const QPageSize& size : sizes)
            if (size.key() == key)
                printer.SetPaperSize(size);
    }
    if (!PdfGroup->isEnabled())
        return;
    // An empty choice is no choice: the documents folder.
    const QString folder = ToFolder->isChecked() ? QDir::fromNativeSeparators(FolderEdit->text()) : QString();
    const QString file = ToFile->isChecked() ? QDir::fromNativeSeparators(FileEdit->text()) : QString();
    printer.SetOutputFolder(folder);
    if (file != printer.OutputFileName())
        printer.SetOutputFileName(file);
}
