#include "run/SeriesStore.h"

#include "run/SerialDrawing.h"
#include "run/SharedSeries.h"
#include "platform/Exception.h"

#include <QCoreApplication>

TLocalSeries::TLocalSeries(QString settingsPath)
    : counter_(settingsPath)
    , journal_(TJournal::PathBeside(settingsPath))
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

TSeriesStore::Begun TLocalSeries::Begin(TJournalRecord& record, int count, bool advance, const QString& expectedText)
{
    problem_.clear();
    reservation_.reset();
    Begun begun;
    if (advance) {
        TSeriesCounter::Moved moved;
        reservation_ = counter_.Reserve(record.first.value_or(0), count, expectedText, &moved);
        if (!reservation_) {
            begun.moved = moved.now;
            return begun;
        }
        begun.reservation = Reservation { reservation_->first, reservation_->last, reservation_->text };
        record.first = reservation_->first;
        record.last = reservation_->last;
    }
    Write(record);
    return begun;
}

std::optional<QString> TLocalSeries::End(const TJournalRecord& record)
{
    if (problem_.isEmpty())
        Write(record);
    if (!reservation_)
        return std::nullopt;
    const TSeriesCounter::Reservation reservation = *reservation_;
    reservation_.reset();
    return counter_.GiveBack(reservation, record.pages);
}

QList<TJournalRecord> TLocalSeries::Runs(std::optional<qint64> serial) { return journal_.Runs(serial); }

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
