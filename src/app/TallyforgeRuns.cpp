// The main window's runs: the toolbar and menu prints with their progress and checks,
// reprints, the print log, the number format, calibration and the shared series.
#include "app/Tallyforge.h"

#include "app/CalibrationDialog.h"
#include "app/DataDialog.h"
#include "app/NumberFormatDialog.h"
#include "app/PrintLog.h"
#include "app/PrintRestDialog.h"
#include "app/ReprintDialog.h"
#include "app/SheetLayoutDialog.h"
#include "app/TicketItemsDialog.h"
#include "app/TemplateDialog.h"
#include "run/Calibration.h"
#include "run/Preflight.h"
#include "run/PrintedSerial.h"
#include "run/PrintRoom.h"
#include "run/SettingsFile.h"
#include "run/SpoolerJobs.h"
#include "platform/Application.h"
#include "platform/Exception.h"
#include "platform/Printer.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>
#include <QPushButton>

#include <algorithm>
#include <limits>


void TfrmTallyforge::UseSeries(const TSeriesChoice& choice)
{
    series_ = choice;
    journalSize_ = -2;
    sharedNext_.reset();
    sharedStatus_.clear();
    if (!choice.Shared()) {
        store_.reset();
        OpenRoom(std::make_shared<TLocalSeries>(settingsPath_));
        return;
    }
    store_ = OpenSeriesStore(settingsPath_, choice);
    OpenRoom(store_);
    RefreshSharedStart(true);
}

void TfrmTallyforge::OpenRoom(std::shared_ptr<TSeriesStore> store)
{
    room_ = std::make_unique<TPrintRoom>(*pjSN, std::move(store));
    run_ = &room_->Run();
    // The window does not sit waiting for a queue's job to end after each print: that
    // would hold it for seconds; a job already aborted by then is still recorded.
    run_->FollowJobsMs = 0;
    run_->SheetsPerJob = sheetsPerJob_;
    // What the journal left with the spooler at its last look: brought up to date.
    waitingRuns_.clear();
    QTimer::singleShot(0, this, [this] {
        try {
            FollowStoredJobs();
        } catch (const Exception&) {
            // A journal or series that cannot be read now is reported when it is used.
        }
    });
}

void TfrmTallyforge::FollowStoredJobs()
{
    if (!room_)
        return;
    QList<TJournalRecord> runs = room_->Store().Runs();
    spooler::FollowRuns(room_->Store(), runs, 0);
    waitingRuns_.clear();
    for (const TJournalRecord& run : runs)
        if (spooler::Awaits(run))
            waitingRuns_ << run;
    journalSize_ = -2;
    if (printLog_)
        printLog_->Reload();
    if (!waitingRuns_.isEmpty())
        FollowJobs();
}

QString TfrmTallyforge::JobsReport(const TJournalRecord& record) const
{
    const QList<TSpoolJob>& jobs = record.jobs;
    if (jobs.isEmpty())
        return {};
    const QString printer = record.printer;
    const QString ids = jobs.size() > 1 ? tr("jobs %1 to %2").arg(jobs.front().id).arg(jobs.back().id) : tr("job %1").arg(jobs.front().id);
    for (const TSpoolJob& job : jobs) {
        if (job.state == TRunStatus::Cancelled)
            return tr("Job %1 on %2 was cancelled. File > Print Log > Print the Rest prints what did not come out.").arg(job.id).arg(printer);
        if (job.state == TRunStatus::Aborted)
            return tr("Job %1 on %2 was aborted by the printer. File > Print Log > Print the Rest prints what did not come out.").arg(job.id).arg(printer);
    }
    if (record.JobsPending())
        return tr("Sent to %1 as %2, not yet printed").arg(printer, ids);
    return tr("Printed on %1 as %2").arg(printer, ids);
}

TSharedSeries* TfrmTallyforge::Shared() const { return dynamic_cast<TSharedSeries*>(store_.get()); }

void TfrmTallyforge::RefreshSharedStart(bool quiet)
{
    if (!store_)
        return;
    try {
        const TSeriesView view = ViewSeries(*store_);
        sharedStatus_ = view.status;
        knownLastNumber_ = view.last.text;
        // A number the user typed stays until a print asks about it.
        const bool typed = sharedNext_ && txtStartingSN->AsInteger() != *sharedNext_;
        sharedNext_ = view.next;
        if (view.next && !typed)
            txtStartingSN->SetAsInteger(*view.next);
    } catch (const Exception& e) {
        sharedStatus_ = e.Message();
        UpdateStatus();
        if (!quiet)
            throw;
    }
}

void TfrmTallyforge::mnuSharedSeriesClick()
{
    if (run_->Running())
        return;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SharedSeriesDialog"));
    dialog.setWindowTitle(tr("Shared Series"));
    auto* server = new QLineEdit(series_.server, &dialog);
    server->setPlaceholderText(QStringLiteral("postgresql://user@host:5432/database"));
    auto* name = new QLineEdit(series_.name, &dialog);
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(tr("Several stations print from one series kept on a PostgreSQL server.\n"
                               "Leave both empty for this station's own counter. Passwords come from ~/.pgpass."),
                            &dialog));
    form->addRow(tr("&Server:"), server);
    form->addRow(tr("Series &name:"), name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TSeriesChoice choice = SeriesChoice(server->text().trimmed(), name->text().trimmed());
    OpenSeriesStore(settingsPath_, choice); // a server without a name, or the reverse, is refused here
    if (!choice.Shared()) {
        // Back to this station's counter: it goes on from what its file holds.
        UseSeries(choice);
        knownLastNumber_ = TSeriesCounter(settingsPath_).Read().text;
        if (const std::optional<int> last = TSeriesCounter(settingsPath_).Read().value)
            txtStartingSN->SetAsInteger(serial::AddWrapping(*last, 1));
    } else {
        UseSeries(choice);
    }
    SaveSettings();
    UpdateStatus();
}

void TfrmTallyforge::RunPrint(bool advance)
{
    if (run_->Running() || Printer().Printing())
        return; // a print is running; its pages are still being drawn
    // A file that could not be read keeps no counter this window could move safely.
    if (advance && !settingsLoaded_)
        throw Exception(tr("Cannot open file %1").arg(settingsPath_));
    // A shared series: the number the server holds now, or the one the user typed, which
    // the print room asks about moving the series to.
    if (advance && Shared())
        RefreshSharedStart(false);
    TPrintRequest request;
    request.kind = advance ? TRunKind::Print : TRunKind::PrintNoAdvance;
    request.page = CurrentPage();
    request.count = std::max(1, txtPageCount->AsInteger()); // a count below 1 prints one page
    request.knownLastNumber = knownLastNumber_;
    request.offset = calibrations_.value(Printer().PrinterName());
    request.confirmAbove = confirmAbove_;
    request.layout = sheetLayout_;
    request.artwork = template_;
    request.artwork.File = ticket::TemplatePath(template_.File, settingsPath_);
    request.unknownSettings = unknownSettings_;
    // Another window or process may take the numbers between the plan and its
    // reservation: the plan is then made (and asked about) again.
    std::optional<TSerialRun::Outcome> outcome;
    while (!outcome) {
        const TPrintPlan plan = room_->Prepare(request);
        if (!Confirm(plan))
            return;
        outcome = PrintPages(plan);
    }
    if (advance) {
        knownLastNumber_ = outcome->knownLastNumber;
        lastNumberUnreadable_ = false;
        // Past the serials printed and the numbers their step passes over.
        const qint32 next = ticket::NthSerial(outcome->first, outcome->delivered, outcome->step);
        txtStartingSN->SetAsInteger(next);
        // The shown number follows the run: only a number typed after it moves a
        // shared series.
        if (Shared())
            sharedNext_ = next;
    }
    ReportOutput(int(outcome->sheetsDelivered), int(outcome->sheets), !outcome->notPrinted.isEmpty(), !sheetLayout_.IsDefault());
    if (advance)
        SaveSettings();
}

std::optional<TSerialRun::Outcome> TfrmTallyforge::PrintPages(const TPrintPlan& plan)
{
    run_->OnProgress = [this](int done, int total) { ShowProgress(done, total); };
    progressClock_.invalidate();
    const auto afterRun = [this] {
        EndProgress();
        if (!run_->JournalProblem().isEmpty())
            app::ShowError(tr("This run was not recorded in the journal: %1").arg(run_->JournalProblem()));
        if (printLog_)
            printLog_->Reload();
        journalSize_ = -2; // read the runs again
    };
    std::optional<TSerialRun::Outcome> outcome;
    try {
        outcome = room_->Carry(plan);
    } catch (...) {
        afterRun();
        throw;
    }
    afterRun();
    if (outcome && outcome->delivered > 0)
        lastPrinted_ = { outcome->first, serial::SerialNumber(outcome->first, outcome->delivered, outcome->step) };
    // A queue's job goes on printing after the run: its end is asked for now and then,
    // so a job the printer aborts shows in the Print Log, ready to reprint.
    if (outcome && Printer().LastJobId() > 0)
        FollowJobs();
    return outcome;
}

void TfrmTallyforge::FollowJobs()
{
    if (!followTimer_) {
        followTimer_ = new QTimer(this);
        followTimer_->setInterval(2000);
        connect(followTimer_, &QTimer::timeout, this, [this] {
            // Half an hour is as long as anyone waits for a job at the printer; a run left
            // with the spooler then is followed again at the next start.
            if (++followTicks_ > 900 || !app::Guard([this] {
                    const std::optional<TJournalRecord> before = run_->LastRecord();
                    const bool running = run_->FollowUp();
                    const std::optional<TJournalRecord> after = run_->LastRecord();
                    bool changed = after && before && (after->jobs != before->jobs || after->status != before->status);
                    if (changed && !report_.isEmpty() && report_ == JobsReport(*before)) {
                        report_ = JobsReport(*after);
                        PreviewStatusBar1->SetUserText(report_);
                    }
                    if (!waitingRuns_.isEmpty()) {
                        const QList<TJournalRecord> was = waitingRuns_;
                        spooler::FollowRuns(room_->Store(), waitingRuns_, 0);
                        for (qsizetype i = 0; i < was.size(); ++i)
                            changed = changed || was[i].jobs != waitingRuns_[i].jobs || was[i].status != waitingRuns_[i].status;
                        waitingRuns_.removeIf([](const TJournalRecord& run) { return !spooler::Awaits(run); });
                    }
                    if (changed) {
                        journalSize_ = -2;
                        if (printLog_)
                            printLog_->Reload();
                    }
                    if (!running && waitingRuns_.isEmpty())
                        followTimer_->stop();
                }))
                followTimer_->stop();
        });
    }
    followTicks_ = 0;
    followTimer_->start();
}

bool TfrmTallyforge::Confirm(const QList<TPrintQuestion>& questions)
{
    // Each question on its own, No the default: one Enter must never print serials again.
    for (const TPrintQuestion& question : questions)
        if (!app::AskYesNo(question.text + QStringLiteral("\n\n") + question.ask, false))
            return false;
    return true;
}

const QList<TJournalRecord>& TfrmTallyforge::JournalRuns()
{
    // A shared series' runs live on its server: read once per activation and run, not
    // for every keystroke.
    if (store_) {
        if (journalSize_ == -2) {
            journalSize_ = -3;
            journalError_.clear();
            try {
                journalRuns_ = store_->Runs();
            } catch (...) {
                journalRuns_.clear();
                journalError_ = app::ExceptionText(std::current_exception());
            }
        }
        return journalRuns_;
    }
    const QFileInfo file(TJournal::PathBeside(settingsPath_));
    const qint64 size = file.exists() ? file.size() : -1;
    const QDateTime stamp = file.exists() ? file.lastModified() : QDateTime();
    if (size == journalSize_ && stamp == journalStamp_)
        return journalRuns_;
    journalSize_ = size;
    journalStamp_ = stamp;
    journalError_.clear();
    try {
        journalRuns_ = TJournal(file.filePath()).Runs();
    } catch (...) {
        journalRuns_.clear();
        journalError_ = app::ExceptionText(std::current_exception());
    }
    return journalRuns_;
}

void TfrmTallyforge::UpdateStatus()
{
    const serial::SerialPage page = CurrentPage();
    const int count = std::max(1, txtPageCount->AsInteger());
    // The preview pages through whole sheets when a sheet holds several tickets.
    Preview1->SetPagesAreSheets(!sheetLayout_.IsDefault());
    preflight_ = CheckRun(*pjSN, calibration::Apply(page, calibrations_.value(Printer().PrinterName())), count,
                          JournalRuns(), sheetLayout_);
    QStringList warnings;
    if (!unknownSettings_.isEmpty())
        warnings << tr("the settings file holds %1, which this program does not know").arg(unknownSettings_.join(QStringLiteral(", ")));
    if (const QString cut = ArtworkCut(); !cut.isEmpty())
        warnings << cut;
    // The queue Print Setup chose is kept while the print server cannot be reached.
    if (printerChoice_ && !Printer().ServerReached() && !Printer().Printers().contains(printerChoice_->Name))
        warnings << tr("the print server %1 cannot be reached: prints go to PDF, and %2 stays the chosen printer")
                        .arg(cups::Server(), printerChoice_->Name);
    QStringList notes;
    for (const TPreflightWarning& warning : preflight_.warnings)
        (warning.note ? notes : warnings) << warning.text;
    QString tip = tr("Settings: %1").arg(QDir::toNativeSeparators(settingsPath_));
    if (!warnings.isEmpty() || !notes.isEmpty())
        tip += QLatin1Char('\n') + (warnings + notes).join(QLatin1Char('\n'));
    PreviewStatusBar1->setToolTip(tip);
    if (!sharedStatus_.isEmpty())
        tip += QLatin1Char('\n') + sharedStatus_;
    PreviewStatusBar1->setToolTip(tip);
    QString series = sharedStatus_.isEmpty() ? QString() : sharedStatus_ + QStringLiteral("; ");
    if (const QString artwork = TemplateStatus(); !artwork.isEmpty())
        series += artwork + QStringLiteral("; ");
    // The second number on top of the first looks like one number: say there are two,
    // briefly in the bar (the preview outlines the second) and in full in its tip.
    const bool samePlace = SecondOnFirst(page);
    if (samePlace)
        PreviewStatusBar1->setToolTip(tip + QLatin1Char('\n') + tr("Both numbers are at the same place: set the second position"));
    if (!statusTip_.isEmpty())
        PreviewStatusBar1->SetUserText(statusTip_);
    else if (!report_.isEmpty())
        PreviewStatusBar1->SetUserText(series + report_);
    else if (!warnings.isEmpty())
        PreviewStatusBar1->SetUserText(series + tr("Warning: %1").arg(warnings.join(QStringLiteral("; "))));
    else if (samePlace)
        PreviewStatusBar1->SetUserText(series + tr("Two numbers on top of each other"));
    else if (!notes.isEmpty())
        PreviewStatusBar1->SetUserText(series + tr("Note: %1").arg(notes.join(QStringLiteral("; "))));
    else if (!sheetLayout_.IsDefault()) {
        const qint64 sheets = ticket::TSheetPlan(sheetLayout_, count).PrintedSheets();
        const QString first = serial::NumberText(page.StartingNumber, page.Digits);
        const QString last = serial::NumberText(serial::SerialNumber(page.StartingNumber, count, page.Step), page.Digits);
        const QString next = serial::NumberText(ticket::NthSerial(page.StartingNumber, count, page.Step), page.Digits);
        PreviewStatusBar1->SetUserText(series + (sheets == 1 ? tr("Prints %1-%2 on one sheet; next run starts at %3").arg(first, last, next)
                                                             : tr("Prints %1-%2 on %3 sheets; next run starts at %4").arg(first, last, QString::number(sheets), next)));
    } else
        PreviewStatusBar1->SetUserText(series + tr("Prints %1-%2; next run starts at %3")
                                           .arg(serial::NumberText(page.StartingNumber, page.Digits),
                                                serial::NumberText(serial::SerialNumber(page.StartingNumber, count, page.Step), page.Digits),
                                                serial::NumberText(ticket::NthSerial(page.StartingNumber, count, page.Step), page.Digits)));
}

void TfrmTallyforge::EndProgress()
{
    delete progress_;
    progress_ = nullptr;
    if (closeAfterRun_)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfrmTallyforge::ShowProgress(int done, int total)
{
    // A run of more than a moment shows how far it is and can be stopped (Cancel, Esc).
    if (!progress_) {
        if (!progressClock_.isValid()) {
            progressClock_.start();
            return;
        }
        if (progressClock_.elapsed() < 400 || done >= total)
            return;
        progress_ = new QProgressDialog(this);
        progress_->setObjectName(QStringLiteral("PrintProgress"));
        progress_->setWindowTitle(tr("Printing"));
        progress_->setCancelButtonText(tr("Cancel"));
        // Enter must not stop a run: the button is never the default, even with the focus.
        // Only Cancel, Escape and closing the dialog stop it. (The dialog's own button is
        // kept: a second one would make its Escape shortcut ambiguous.)
        if (auto* cancel = progress_->findChild<QPushButton*>()) {
            cancel->setAutoDefault(false);
            cancel->setDefault(false);
        }
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setMinimumDuration(0);
        progress_->setRange(0, total);
        // Cancel, Escape (a shortcut when the dialog is active, a key press otherwise) and
        // closing the dialog all stop the run after its current page.
        connect(progress_, &QProgressDialog::canceled, this, [this] { run_->Stop(); });
        connect(progress_, &QDialog::rejected, this, [this] { run_->Stop(); });
        // Wide enough for the longest label of this run, and kept so: a dialog that grows
        // as the page numbers do moves Cancel away from the pointer.
        const serial::SerialPage* page = run_->Page();
        progress_->setLabelText(ProgressText(total, total, page));
        progress_->adjustSize();
        progress_->setFixedWidth(progress_->sizeHint().width() + progress_->fontMetrics().averageCharWidth() * 4);
        progress_->show();
    } else if (progressClock_.elapsed() < 100) {
        return;
    }
    progressClock_.restart();
    progress_->setLabelText(ProgressText(qMin(done + 1, total), total, run_->Page()));
    progress_->setValue(done);
}

QString TfrmTallyforge::ProgressText(int pageIndex, int total, const serial::SerialPage* page) const
{
    const QString serialText = page ? serial::SerialText(*page, pageIndex) : QString();
    // A sheet holds several serials, spread over the run: the sheet is what counts.
    if (run_ && run_->Running() && !run_->Layout().IsDefault())
        return tr("Printing sheet %1 of %2").arg(pageIndex).arg(total);
    return tr("Printing page %1 of %2: %3").arg(pageIndex).arg(total).arg(serialText);
}

void TfrmTallyforge::ReportOutput(int delivered, int total, bool restLeft, bool sheets)
{
    QString text;
    if (Printer().IsPdfPrinter() && !Printer().LastOutputFile().isEmpty())
        text = tr("Printed to %1").arg(Printer().LastOutputFile());
    else if (run_ && run_->LastRecord() && !run_->LastRecord()->jobs.isEmpty())
        text = JobsReport(*run_->LastRecord());
    else if (Printer().LastJobId() > 0)
        text = tr("Sent to %1 as job %2").arg(Printer().PrinterName()).arg(Printer().LastJobId());
    if (delivered < total)
        text = text.isEmpty() ? tr("Printing stopped: nothing was printed")
            : sheets          ? tr("Printing stopped after %1 of %2 sheets. %3").arg(delivered).arg(total).arg(text)
                              : tr("Printing stopped after %1 of %2 pages. %3").arg(delivered).arg(total).arg(text);
    if (restLeft)
        text += QLatin1Char(' ') + tr("File > Print Log > Print the Rest prints the sheets left.");
    if (!text.isEmpty()) {
        report_ = text;
        PreviewStatusBar1->SetUserText(text);
    }
}

void TfrmTallyforge::mnuPrintLogClick()
{
    if (!printLog_) {
        // The runs of the series this window prints from, read afresh each time.
        printLog_ = new TPrintLog([this] { return room_->Store().Runs(); }, [this] { return room_->Store().Read().value; }, this);
        printLog_->setWindowFlag(Qt::Window);
        printLog_->OnReprint = [this](const QString& first, const QString& last) { ReprintDialog(first, last); };
        printLog_->OnPrintRest = [this](const TJournalRecord& run) { PrintRest(run); };
        printLog_->OnVoid = [this](const QString& first, const QString& last, const QString& reason) { VoidSerials(first, last, reason); };
    } else {
        printLog_->Reload();
    }
    printLog_->show();
    printLog_->raise();
    printLog_->activateWindow();
}

void TfrmTallyforge::VoidSerials(const QString& first, const QString& last, const QString& reason)
{
    TVoidRequest request;
    request.firstText = first;
    request.lastText = last;
    request.reason = reason;
    request.page = CurrentPage(); // the text of numbers no run printed
    TSeriesStore& store = room_->Store();
    const TVoidPlan plan = TPrintRoom::PlanVoid(store.Runs(), store.Read().value, request);
    if (!Confirm(plan.questions))
        return;
    TPrintRoom::RecordVoid(store, plan.record);
    journalSize_ = -2; // the void is a run of the journal the preview checks against
    UpdateStatus();
}

void TfrmTallyforge::mnuReprintClick()
{
    // The newest run that printed anything, else what this window printed last, else
    // the run the inputs describe.
    // The journal's serials as they were printed; the others as bare numbers.
    for (const TJournalRecord& run : JournalRuns())
        if (run.first && run.last)
            return ReprintDialog(printedserial::Text(run, *run.first), printedserial::Text(run, *run.last));
    if (lastPrinted_)
        return ReprintDialog(QString::number(lastPrinted_->first), QString::number(lastPrinted_->second));
    const int start = txtStartingSN->AsInteger();
    ReprintDialog(QString::number(start), QString::number(serial::SerialNumber(start, std::max(1, txtPageCount->AsInteger()), step_)));
}

void TfrmTallyforge::ReprintDialog(const QString& first, const QString& last)
{
    if (run_->Running() || Printer().Printing())
        return;
    QWidget* parent = printLog_ && printLog_->isActiveWindow() ? static_cast<QWidget*>(printLog_) : this;
    TReprintDialog dialog(first, last, Printer().Printers(), Printer().PrinterIndex(), parent);
    if (dialog.exec() == QDialog::Accepted)
        Reprint(dialog.First(), dialog.Last(), dialog.Mark(), dialog.PrinterIndex());
}

void TfrmTallyforge::Reprint(const QString& first, const QString& last, const QString& mark, int printerIndex)
{
    if (run_->Running() || Printer().Printing())
        return;
    TPrintRequest request;
    request.kind = TRunKind::Reprint;
    request.page = CurrentPage();
    // The print room reads the serials against the runs that printed them.
    request.firstText = first;
    request.lastText = last;
    request.page.Mark = mark;
    // Each serial in its own ticket, as the sheets are laid out now.
    request.layout = sheetLayout_;
    request.artwork = template_;
    request.artwork.File = ticket::TemplatePath(template_.File, settingsPath_);
    PrintOn(printerIndex, std::move(request), !sheetLayout_.IsDefault());
}

void TfrmTallyforge::PrintOn(int printerIndex, TPrintRequest request, bool sheets)
{
    // The printer is chosen for this run only: the window's own comes back after it.
    const int previousPrinter = Printer().PrinterIndex();
    const bool otherPrinter = printerIndex >= 0 && printerIndex != previousPrinter;
    const auto restore = [&] {
        if (otherPrinter)
            Printer().SetPrinterIndex(previousPrinter);
        // The run set the job to its own pages; the preview shows the inputs' run again.
        ApplyPageCount();
        txtStartingSNChange();
    };
    if (otherPrinter)
        Printer().SetPrinterIndex(printerIndex);
    std::optional<TSerialRun::Outcome> outcome;
    try {
        request.offset = calibrations_.value(Printer().PrinterName());
        request.confirmAbove = confirmAbove_;
        const TPrintPlan plan = room_->Prepare(request);
        if (Confirm(plan))
            outcome = PrintPages(plan);
    } catch (...) {
        restore();
        throw;
    }
    // Told before the window's printer comes back: the run went to the chosen one.
    if (outcome)
        ReportOutput(int(outcome->sheetsDelivered), int(outcome->sheets), !outcome->notPrinted.isEmpty(), sheets);
    restore();
}

void TfrmTallyforge::PrintRest(const TJournalRecord& run)
{
    if (run_->Running() || Printer().Printing())
        return;
    // Where it goes, asked as a reprint asks: the stopped run's printer first.
    const std::optional<TRunRest> rest = RestOf(room_->Store().Runs(), run);
    if (!rest)
        throw Exception(tr("This run has no sheets left to print"));
    const QStringList printers = Printer().Printers();
    const int previousPrinter = Printer().PrinterIndex();
    const int stoppedOn = printers.indexOf(rest->run.printer);
    QWidget* parent = printLog_ && printLog_->isActiveWindow() ? static_cast<QWidget*>(printLog_) : this;
    TPrintRestDialog dialog(RestText(*rest), printers, stoppedOn >= 0 ? stoppedOn : previousPrinter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TPrintRequest request;
    request.kind = TRunKind::Resume;
    request.page = CurrentPage();
    request.resumeOf = run;
    PrintOn(dialog.PrinterIndex(), std::move(request), true);
}

QString TfrmTallyforge::RestText(const TRunRest& rest)
{
    // The run's serials as it printed them, and the sheets it has left.
    const auto printed = [&rest](qint32 number) { return printedserial::Text(rest.run, number); };
    const qint64 sheets = ticket::TSheetPlan(rest.layout, rest.tickets).PrintedSheets();
    return tr("The run of %1 to %2 stopped after %3 of its %4 sheets: sheets %5 to %4 are left to print.")
        .arg(printed(*rest.run.first), printed(rest.run.last.value_or(*rest.run.first)))
        .arg(rest.fromSheet)
        .arg(sheets)
        .arg(rest.fromSheet + 1);
}

void TfrmTallyforge::mnuNumberFormatClick()
{
    TNumberFormatDialog dialog(digits_, txtStartingSN->AsInteger(), this, step_, check_, checkSeparator_, letters_,
                               letterSeparator_);
    if (dialog.exec() == QDialog::Accepted
        && (dialog.Digits() != digits_ || dialog.Step() != step_ || dialog.Check() != check_
            || dialog.CheckSeparator() != checkSeparator_ || dialog.Letters() != letters_
            || dialog.LetterSeparator() != letterSeparator_)) {
        digits_ = dialog.Digits();
        step_ = dialog.Step();
        check_ = dialog.Check();
        checkSeparator_ = dialog.CheckSeparator();
        letters_ = dialog.Letters();
        letterSeparator_ = dialog.LetterSeparator();
        report_.clear();
    }
    if (dialog.result() == QDialog::Accepted)
        ForgetUnknown({ QStringLiteral("[SN] Step="), QStringLiteral("[SN] Check=") });
    txtStartingSNChange();
}

void TfrmTallyforge::mnuCalibrationSheetClick()
{
    if (run_->Running() || Printer().Printing())
        return;
    // A run of the print room's like any other: asked about the file it would replace,
    // and recorded.
    TPrintRequest request;
    request.kind = TRunKind::Calibration;
    request.page = CurrentPage();
    const TPrintPlan plan = room_->Prepare(request);
    if (!Confirm(plan))
        return;
    const auto afterRun = [this] {
        if (printLog_)
            printLog_->Reload();
        journalSize_ = -2;
    };
    std::optional<TSerialRun::Outcome> outcome;
    try {
        outcome = room_->Carry(plan);
    } catch (...) {
        afterRun();
        throw;
    }
    afterRun();
    if (!room_->JournalProblem().isEmpty())
        app::ShowError(tr("This run was not recorded in the journal: %1").arg(room_->JournalProblem()));
    if (outcome)
        ReportOutput(int(outcome->sheetsDelivered), int(outcome->sheets));
}

void TfrmTallyforge::mnuCalibrateClick()
{
    const QString printer = Printer().PrinterName();
    TCalibrationDialog dialog(printer, calibration::PaperPositions(CurrentPage(), Printer().DeviceCaps()),
                              calibrations_.value(printer), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A file that could not be read is left alone, as every save does.
    if (!settingsLoaded_)
        throw Exception(tr("Cannot open file %1").arg(settingsPath_));
    const calibration::TOffset offset = dialog.Offset();
    const bool calibrated = !dialog.WasReset() && !offset.IsZero();
    calibration::Store(settingsPath_, printer, calibrated ? std::optional(offset) : std::nullopt);
    if (calibrated)
        calibrations_.insert(printer, offset);
    else
        calibrations_.remove(printer);
    txtStartingSNChange();
}

void TfrmTallyforge::mnuTemplateClick()
{
    if (run_->Running() || Printer().Printing())
        return;
    const ticket::TTemplate before = template_;
    TTemplateDialog dialog(template_, [this](const QString& file) { return ticket::TemplatePath(file, settingsPath_); }, this);
    // The preview follows every change; Cancel puts back what was there.
    dialog.OnChange = [this](const ticket::TTemplate& artwork) { app::Guard([&] { SetTemplate(artwork); }); };
    if (dialog.exec() == QDialog::Accepted) {
        ForgetUnknown({ QStringLiteral("[Template] ") });
        SetTemplate(dialog.Template());
    } else if (template_ != before) {
        SetTemplate(before);
    }
}

void TfrmTallyforge::mnuDataClick()
{
    if (run_->Running() || Printer().Printing())
        return;
    TDataDialog dialog(dataFile_, dataFirst_, [this](const QString& file) { return ticket::TemplatePath(file, settingsPath_); }, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dataFile_ = dialog.File();
    dataFirst_ = dialog.FirstNumber();
    ReadData();
    txtStartingSNChange();
}

void TfrmTallyforge::ReadData()
{
    data_.reset();
    if (dataFile_.isEmpty())
        return;
    try {
        data_ = ticket::TDataTable::Load(ticket::TemplatePath(dataFile_, settingsPath_));
    } catch (const Exception&) {
        // The preview shows the fields as typed; a print refuses the file, saying why.
    }
}

void TfrmTallyforge::mnuSheetLayoutClick()
{
    if (run_->Running() || Printer().Printing())
        return;
    const serial::SerialPage page = CurrentPage();
    const auto serialText = [page](qint64 ticket) {
        return serial::SerialText(page, qint32(ticket + 1));
    };
    const ticket::TSheetLayout before = sheetLayout_;
    const TBooksAndParts booksBefore { bookSize_, bookFirst_, partNames_ };
    const auto report = report_;
    TSheetLayoutDialog dialog(sheetLayout_, serialText, serial::PageArea(), std::max(1, txtPageCount->AsInteger()), this,
                              booksBefore);
    // The preview follows every change; Cancel puts back what was there.
    dialog.OnChange = [this, &dialog](const ticket::TSheetLayout& layout) {
        app::Guard([&] {
            SetBooksAndParts(dialog.BooksAndParts());
            SetSheetLayout(layout);
        });
    };
    if (dialog.exec() == QDialog::Accepted) {
        ForgetUnknown({ QStringLiteral("[Sheet] "), QStringLiteral("[Book] ") });
        SetBooksAndParts(dialog.BooksAndParts());
        SetSheetLayout(dialog.Layout());
    } else if (sheetLayout_ != before || TBooksAndParts { bookSize_, bookFirst_, partNames_ } != booksBefore) {
        SetBooksAndParts(booksBefore);
        SetSheetLayout(before);
        report_ = report;
        txtStartingSNChange();
    }
}

void TfrmTallyforge::SetBooksAndParts(const TBooksAndParts& books)
{
    // As a layout does, other books or names end the last print's report.
    if (books == TBooksAndParts { bookSize_, bookFirst_, partNames_ })
        return;
    report_.clear();
    bookSize_ = books.BookSize;
    bookFirst_ = books.BookFirst;
    partNames_ = books.PartNames;
    txtStartingSNChange();
}

void TfrmTallyforge::mnuTicketItemsClick()
{
    if (run_->Running() || Printer().Printing())
        return;
    const QList<ticket::TTicketItem> before = items_;
    TTicketItemsDialog dialog(items_, this);
    // The preview follows every change; Cancel puts back what was there.
    dialog.OnChange = [this](const QList<ticket::TTicketItem>& items) { app::Guard([&] { SetTicketItems(items); }); };
    if (dialog.exec() == QDialog::Accepted) {
        ForgetUnknown({ QStringLiteral("[Item") });
        SetTicketItems(dialog.Items());
    } else
        SetTicketItems(before);
}

void TfrmTallyforge::ForgetUnknown(const QStringList& starts)
{
    // The user set these in a dialog: what the window holds is what the file gets.
    unknownSettings_.removeIf([&starts](const QString& entry) {
        return std::any_of(starts.begin(), starts.end(), [&entry](const QString& start) { return entry.startsWith(start); });
    });
    txtStartingSNChange();
}
