#include "dialogs/Dialogs.h"

#include "dialogs/PrinterSetupDialog.h"
#include "platform/Application.h"
#include "platform/Printer.h"
#include "printjob/PrintJob.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace dialogs {

namespace {

bool PrintDialog(TCustomPrintJob& job, int& fromPage, int& toPage)
{
    QPrinter* device = Printer().QtPrinter();
    if (!device)
        throw EPrintJobException(TCustomPrintJob::tr("There is no printer installed"));
    const int pageCount = job.PageCount();
    QPrintDialog dialog(device, qobject_cast<QWidget*>(job.parent()));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    // The job draws the chosen pages itself, once each; what else the dialog offers
    // (copies, order) is cleared before the run.
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange && device->fromPage() > 0) {
        fromPage = device->fromPage();
        toPage = device->toPage() > 0 ? device->toPage() : pageCount;
    } else {
        fromPage = 1;
        toPage = pageCount;
    }
    return true;
}

bool SetupDialog(TCustomPrintJob& job)
{
    if (!Printer().HasHandle())
        throw EPrintJobException(TCustomPrintJob::tr("There is no printer installed"));
    TPrinterSetupDialog dialog(qobject_cast<QWidget*>(job.parent()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.Apply();
    return true;
}

} // namespace

void Install()
{
    static bool installed = false;
    if (std::exchange(installed, true))
        return;
    app::SetPresenters(
        [](const QString& caption, const QString& text) { QMessageBox::critical(QApplication::activeWindow(), caption, text); },
        [](const QString& caption, const QString& text, bool yesByDefault) {
            QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
            box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes;
        });
    TCustomPrintJob::SetDialogs(PrintDialog, SetupDialog);
}

} // namespace dialogs
