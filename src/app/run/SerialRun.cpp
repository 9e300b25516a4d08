#include "app/run/SerialRun.h"

#include "platform/Exception.h"

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

std::optional<TSerialRun::Outcome> TSerialRun::Print(serial::SerialPage page, int count, bool advance,
                                                     QString knownLastNumber)
{
    if (running_)
        return std::nullopt;
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
    running_ = true;
    const auto finish = [&] {
        running_ = false;
        job_.OnPrintProgress = progress;
        outcome.delivered = job_.PagesDelivered();
        if (reservation)
            outcome.knownLastNumber = counter.GiveBack(*reservation, outcome.delivered);
    };
    try {
        job_.Print();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            finish();
        } catch (...) {
            // The print's own failure is the one to report.
        }
        std::rethrow_exception(error);
    }
    finish();
    return outcome;
}
