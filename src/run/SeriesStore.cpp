#include "run/SeriesStore.h"

#include "ticket/SerialDrawing.h"
#include "run/SharedSeries.h"
#include "platform/Exception.h"

#include <QCoreApplication>

TLocalSeries::TLocalSeries(QString settingsPath)
    : counter_(settingsPath)
    , journal_(TJournal::PathBeside(settingsPath))
    , designs_(TDesignFolder::PathBeside(settingsPath))
{
}

TSeriesStore::Reading TLocalSeries::Read() { return counter_.Read(); }

void TLocalSeries::Write(const TJournalRecord& record)
{
    try {
        journal_.Append(record);
    } catch (const Exception& e) {
        problem_ = e.Message();
    }
}

void TLocalSeries::CheckRecordable()
{
    checked_ = false;
    journal_.CheckWritable();
    checked_ = true;
}

TSeriesStore::Begun TLocalSeries::Begin(TJournalRecord& record, int count, bool advance, const QString& expectedText)
{
    problem_.clear();
    reservation_.reset();
    Begun begun;
    // A run that was checked is recorded or does not start; an unchecked one (the user
    // chose to print without a record) goes on and says why it went unrecorded.
    const auto firstRecord = [&] {
        if (checked_)
            journal_.Append(record);
        else
            Write(record);
    };
    if (!advance) {
        firstRecord();
        return begun;
    }
    TSeriesCounter::Moved moved;
    bool recorded = false;
    try {
        // The range goes on record before the counter moves: a kill between the two
        // leaves a record of numbers nobody took, never numbers taken without a record.
        counter_.Locked([&](const TSeriesCounter::Reading& now) {
            SettleNewestPrint(now);
            reservation_ = counter_.Reserve(record.first.value_or(0), count, expectedText, &moved, [&](int first, int last) {
                record.first = first;
                // The last serial: the numbers after it up to the range's end are the step's.
                record.last = serial::AddWrapping(last, 1 - qMax(1, record.step));
                firstRecord();
                recorded = problem_.isEmpty();
            });
        });
    } catch (...) {
        checked_ = false;
        if (recorded) {
            // On record as taken, but the counter did not move: the run took nothing.
            TJournalRecord failed = record;
            failed.status = TRunStatus::Failed;
            failed.finished = QDateTime::currentDateTimeUtc();
            failed.first.reset();
            failed.last.reset();
            failed.pages = 0;
            Write(failed);
        }
        throw;
    }
    if (!reservation_) {
        begun.moved = moved.now;
        return begun;
    }
    begun.reservation = Reservation { reservation_->first, reservation_->last, reservation_->text };
    return begun;
}

std::optional<QString> TLocalSeries::End(const TJournalRecord& record)
{
    checked_ = false;
    const bool journaled = problem_.isEmpty();
    if (!reservation_) {
        if (journaled)
            Write(record);
        return std::nullopt;
    }
    const TSeriesCounter::Reservation reservation = *reservation_;
    reservation_.reset();
    // The tail that cannot go back (somebody reserved after this run) stays taken: void.
    TJournalRecord kept = record;
    const qint64 count = qint64(quint32(reservation.last) - quint32(reservation.first)) + 1;
    // Its serials and the numbers their step passes over, printed or kept for the rest.
    const qint64 used = record.TakenNumbers();
    if (used < count) {
        kept.voidFirst = serial::AddWrapping(reservation.first, qint32(used));
        kept.voidLast = reservation.last;
    }
    bool recorded = false;
    try {
        return counter_.GiveBack(reservation, int(qMin(used, count)), [&](bool givenBack) {
            if (journaled)
                Write(givenBack ? record : kept);
            recorded = true;
        });
    } catch (...) {
        if (journaled && !recorded)
            Write(kept);
        throw;
    }
}

void TLocalSeries::Note(const TJournalRecord& record)
{
    if (problem_.isEmpty())
        Write(record);
}

QList<TJournalRecord> TLocalSeries::Runs(std::optional<qint64> serial) { return journal_.Runs(serial); }

std::unique_ptr<TRestClaim> TLocalSeries::ClaimRest(const TJournalRecord& run) { return ClaimRestBeside(journal_.Path(), run); }

void TLocalSeries::SettleNewestPrint(const TSeriesCounter::Reading& now)
{
    // A print records its range and moves the counter under this lock, pages only after.
    // So the newest print, still interrupted with its range ahead of the counter, took
    // nothing. Only the newest: an older one was seen by the prints after it, and a
    // counter set back since must not make its numbers free again.
    if (!now.value)
        return;
    std::optional<TJournalRecord> newest;
    try {
        newest = journal_.NewestPrint();
    } catch (const Exception&) {
        return; // the run's own record says what is the matter with the journal
    }
    if (!newest || newest->status != TRunStatus::Interrupted || !newest->first)
        return;
    const quint32 ahead = quint32(*newest->first) - quint32(*now.value);
    if (ahead == 0 || ahead >= (quint32(1) << 31))
        return;
    TJournalRecord failed = *newest;
    failed.status = TRunStatus::Failed;
    failed.finished = QDateTime::currentDateTimeUtc();
    failed.first.reset();
    failed.last.reset();
    failed.pages = 0;
    failed.sheets.reset();
    failed.notPrinted.clear();
    try {
        journal_.Append(failed);
    } catch (const Exception&) {
        // Decided again at the next print; this run's own record reports the journal.
    }
}

TSeriesChoice SeriesChoice(const QString& settingsServer, const QString& settingsName, const QString& server,
                           const QString& name)
{
    return TSeriesChoice { server.isEmpty() ? settingsServer : server, name.isEmpty() ? settingsName : name };
}

TSeriesView ViewSeries(TSeriesStore& store)
{
    TSeriesView view;
    view.status = store.StatusText();
    view.last = store.Read();
    if (view.last.value)
        view.next = serial::AddWrapping(*view.last.value, 1);
    return view;
}

std::unique_ptr<TSeriesStore> OpenSeriesStore(const QString& settingsPath, const TSeriesChoice& choice)
{
    if (choice.server.isEmpty() != choice.name.isEmpty())
        throw Exception(choice.server.isEmpty()
                            ? QCoreApplication::translate("TSeriesStore", "The series %1 needs a server (--series-server or [Series] Server)").arg(choice.name)
                            : QCoreApplication::translate("TSeriesStore", "A series server needs the series' name (--series or [Series] Name)"));
    if (!choice.Shared())
        return std::make_unique<TLocalSeries>(settingsPath);
    return std::make_unique<TSharedSeries>(choice.server, choice.name, TSharedSeries::SpoolBeside(settingsPath));
}
