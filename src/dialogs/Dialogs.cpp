#include "dialogs/Dialogs.h"

#include "dialogs/DialogPrinter.h"
#include "dialogs/PrinterSetupDialog.h"
#include "platform/Application.h"
#include "platform/Printer.h"
#include "printjob/PrintJob.h"

#include "platform/Waiting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace dialogs {

namespace {

bool PrintDialog(TCustomPrintJob& job, int& fromPage, int& toPage)
{
    const std::unique_ptr<QPrinter> device = DialogPrinter();
    if (!device)
        throw EPrintJobException(TCustomPrintJob::tr("There is no printer installed"));
    const int pageCount = job.PageCount();
    QPrintDialog dialog(device.get(), qobject_cast<QWidget*>(job.parent()));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    // The job draws the chosen pages itself, once each; what else the dialog offers
    // (copies, order) stays with the dialog's printer.
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    TakeDialogChoices(*device);
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

// While the program waits for a lock another program holds or for a server, the windows
// stay painted and, after a moment, a dialog says what is waited for and lets the user
// give up. Waiting calls this every few milliseconds; the dialog goes once the calls stop.
bool WhileWaiting(const QString& what)
{
    static QPointer<QProgressDialog> dialog;
    static QElapsedTimer since;
    static QElapsedTimer lastCall;
    static bool gaveUp = false;
    if (!lastCall.isValid() || lastCall.elapsed() > 200) {
        since.start(); // a new wait
        gaveUp = false;
    }
    lastCall.start();
    if (!dialog && since.elapsed() >= 300) {
        dialog = new QProgressDialog(QApplication::activeWindow());
        dialog->setObjectName(QStringLiteral("WaitProgress"));
        dialog->setWindowTitle(app::Title());
        dialog->setRange(0, 0);
        dialog->setCancelButtonText(QCoreApplication::translate("Dialogs", "&Give Up"));
        // An Enter typed while the program waits must not give up: only the button
        // itself, Escape and closing the dialog do.
        if (auto* giveUp = dialog->findChild<QPushButton*>()) {
            giveUp->setAutoDefault(false);
            giveUp->setDefault(false);
        }
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setMinimumDuration(0);
        QObject::connect(dialog, &QProgressDialog::canceled, [] { gaveUp = true; });
        auto* closer = new QTimer(dialog);
        QObject::connect(closer, &QTimer::timeout, dialog, [] {
            if (lastCall.elapsed() > 150)
                dialog->deleteLater();
        });
        closer->start(50);
        dialog->show();
    }
    if (dialog) {
        dialog->setLabelText(QCoreApplication::translate("Dialogs", "Waiting for %1...").arg(what));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return !gaveUp;
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
    waiting::SetHandler(WhileWaiting);
}

} // namespace dialogs
