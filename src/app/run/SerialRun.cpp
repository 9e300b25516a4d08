#include "app/run/SerialRun.h"

#include "platform/Exception.h"
#include "platform/Printer.h"

#include <QCoreApplication>

TSerialRun::TSerialRun(TCustomPrintJob& job, QString settingsPath)
    : job_(job)
    , settingsPath_(std::move(settingsPath))
{
}

void TSerialRun::Stop()
{
    if (running_)
        job_.Abort();
}

std::optional<TSerialRun::Outcome> TSerialRun::Print(serial::SerialPage page, int count, TRunKind kind,
                                                     QString knownLastNumber)
{
    if (running_)
        return std::nullopt;
    const bool advance = kind == TRunKind::Print;
    journalProblem_.clear();
    job_.SetPageCount(count);
    Outcome outcome;
    // The job raises a count below 1 to 1: the counter moves past the pages printed.
    outcome.count = job_.PageCount();
    outcome.knownLastNumber = knownLastNumber;

    TSeriesCounter counter(settingsPath_);
    std::optional<TSeriesCounter::Reservation> reservation;
    while (advance && !reservation) {
        TSeriesCounter::Moved moved;
        reservation = counter.Reserve(page.StartingNumber, outcome.count, outcome.knownLastNumber, &moved);
        if (reservation)
            break;
        if (!moved.now.value)
            throw Exception(QCoreApplication::translate("TSerialRun", "The last number in %1 cannot be read: '%2'").arg(settingsPath_, moved.now.text));
        if (!OnMoved || !OnMoved(*moved.now.value))
            return std::nullopt;
        outcome.knownLastNumber = moved.now.text;
        page.StartingNumber = serial::AddWrapping(*moved.now.value, 1);
    }
    if (reservation)
        outcome.knownLastNumber = reservation->text;

    page_ = std::move(page);
    outcome.first = page_.StartingNumber;
    job_.SetTitle(!DocumentName.isEmpty() ? DocumentName
                                          : QStringLiteral("Tallyforge %1-%2")
                                                .arg(outcome.first)
                                                .arg(serial::SerialNumber(outcome.first, outcome.count)));
    TPrintProgressEvent progress = job_.OnPrintProgress;
    job_.OnPrintProgress = [this](TCustomPrintJob*, int pos, int, int max) {
        if (OnProgress)
            OnProgress(pos, max);
    };
    // Before the first page: a record of the range this run takes, which stays if the
    // run is killed.
    const TJournal journal(TJournal::PathBeside(settingsPath_));
    TJournalRecord record;
    record.started = QDateTime::currentDateTimeUtc();
    record.kind = kind;
    record.status = TRunStatus::Interrupted;
    record.first = outcome.first;
    record.last = serial::SerialNumber(outcome.first, outcome.count);
    record.prefix = page_.Prefix;
    record.suffix = page_.Suffix;
    record.printer = Printer().PrinterName();
    record.user = CurrentUser();
    record.host = CurrentHost();
    const auto write = [&] {
        try {
            journal.Append(record);
        } catch (const Exception& e) {
            journalProblem_ = e.Message();
        }
    };
    write();

    running_ = true;
    const auto finish = [&](TRunStatus status) {
        running_ = false;
        job_.OnPrintProgress = progress;
        outcome.delivered = job_.PagesDelivered();
        record.finished = QDateTime::currentDateTimeUtc();
        record.status = status == TRunStatus::Completed && outcome.delivered < outcome.count ? TRunStatus::Cancelled : status;
        record.pages = outcome.delivered;
        record.first = outcome.delivered > 0 ? std::optional<int>(outcome.first) : std::nullopt;
        record.last = outcome.delivered > 0 ? std::optional<int>(serial::SerialNumber(outcome.first, outcome.delivered))
                                            : std::nullopt;
        record.output = outcome.delivered > 0 ? Printer().LastOutputFile() : QString();
        record.job = outcome.delivered > 0 ? Printer().LastJobId() : 0;
        if (journalProblem_.isEmpty())
            write();
        if (reservation)
            outcome.knownLastNumber = counter.GiveBack(*reservation, outcome.delivered);
    };
    try {
        job_.Print();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            finish(TRunStatus::Failed);
        } catch (...) {
            // The print's own failure is the one to report.
        }
        std::rethrow_exception(error);
    }
    finish(TRunStatus::Completed);
    return outcome;
}
