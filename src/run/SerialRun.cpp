#include "run/SerialRun.h"

#include "platform/Exception.h"
#include "platform/Printer.h"

#include <QCoreApplication>

TSerialRun::TSerialRun(TCustomPrintJob& job, QString settingsPath)
    : TSerialRun(job, std::make_shared<TLocalSeries>(std::move(settingsPath)))
{
}

TSerialRun::TSerialRun(TCustomPrintJob& job, std::shared_ptr<TSeriesStore> store)
    : job_(job)
    , store_(std::move(store))
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
    if (!AllowUnrecordable)
        store_->CheckRecordable();
    job_.SetPageCount(count);
    Outcome outcome;
    // The job raises a count below 1 to 1: the counter moves past the pages printed.
    outcome.count = job_.PageCount();
    outcome.knownLastNumber = knownLastNumber;

    TJournalRecord record;
    record.kind = kind;
    record.status = TRunStatus::Interrupted;
    record.prefix = page.Prefix;
    record.suffix = page.Suffix;
    record.printer = Printer().PrinterName();
    record.user = CurrentUser();
    record.host = CurrentHost();
    // Before the first page: the numbers (for a print) and a record of the range this
    // run takes, which stays if the run is killed.
    std::optional<TSeriesStore::Reservation> reservation;
    for (;;) {
        record.started = QDateTime::currentDateTimeUtc();
        record.first = page.StartingNumber;
        record.last = serial::SerialNumber(page.StartingNumber, outcome.count);
        const TSeriesStore::Begun begun = store_->Begin(record, outcome.count, advance, outcome.knownLastNumber);
        if (!begun.moved) {
            reservation = begun.reservation;
            break;
        }
        if (!begun.moved->value)
            throw Exception(QCoreApplication::translate("TSerialRun", "The last number in %1 cannot be read: '%2'").arg(store_->Where(), begun.moved->text));
        if (!OnMoved || !OnMoved(*begun.moved->value))
            return std::nullopt;
        outcome.knownLastNumber = begun.moved->text;
        page.StartingNumber = serial::AddWrapping(*begun.moved->value, 1);
    }
    if (reservation) {
        // A shared series hands out its next numbers, which may not be the ones asked for.
        page.StartingNumber = reservation->first;
        outcome.knownLastNumber = reservation->text;
    }
    if (!store_->Problem().isEmpty())
        journalProblem_ = store_->Problem();

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
        const std::optional<QString> known = store_->End(record);
        if (journalProblem_.isEmpty())
            journalProblem_ = store_->Problem();
        if (known)
            outcome.knownLastNumber = *known;
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
