#pragma once

#include "run/DesignStore.h"
#include "run/Journal.h"
#include "run/RestClaim.h"
#include "run/SeriesCounter.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// Where a run's numbers come from and where its record goes: the counter in the settings
// file with the journal beside it, or a series shared by several stations on a server.
// A run calls Begin before its first page and End after its last, on one store object.
class TSeriesStore {
public:
    using Reading = TSeriesCounter::Reading;
    struct Reservation {
        int first = 0;
        int last = 0;
        QString text; // the last number as the store holds it after the reservation
    };
    struct Begun {
        std::optional<Reservation> reservation; // a print's numbers
        std::optional<Reading> moved; // a print reserved nothing: the last number moved to this
    };

    virtual ~TSeriesStore() = default;

    // The last number as the store holds it now.
    virtual Reading Read() = 0;

    // Before anything is reserved: raises, with the message the record's append would
    // raise, when the run could not be recorded (a journal this program may not write,
    // or one that a file size limit or a full disk would stop). After it passed, Begin
    // takes no numbers it cannot record. A store that keeps its records elsewhere has
    // nothing to check.
    virtual void CheckRecordable() { }


    // Before the first page. A print (`advance`) reserves `count` numbers (a run's serials
    // times its step, record.step): from
    // record.first when the last number still reads `expectedText`, else nothing (moved);
    // a store that hands out the numbers itself takes the next ones when `expectedText`
    // is null. The run is recorded as interrupted with the range it took (record.first
    // and .last are set to its first and last serial). Raises when nothing could be reserved.
    virtual Begun Begin(TJournalRecord& record, int count, bool advance, const QString& expectedText) = 0;

    // After the run: the final record, and the unprinted tail given back if nobody
    // reserved after it, else recorded as void. The last number as this run leaves it
    // known, when it reserved.
    virtual std::optional<QString> End(const TJournalRecord& record) = 0;

    // A later word on a run that ended (its CUPS jobs' ends, see spooler::Follow): the
    // record replaces the run's, which must have its final record already; no numbers
    // move. Raises when it cannot be written.
    virtual void Settle(const TJournalRecord& record) = 0;
    // While a run prints: the record as it stands (still interrupted, with the jobs sent
    // so far), so a run that is killed leaves them on record. Never raises; a store that
    // keeps nothing between a run's first and final record keeps nothing.
    virtual void Note(const TJournalRecord& record) { (void)record; }

    // Why the last run's record did not reach its place (or is late); empty when it did.
    virtual QString Problem() const = 0;

    // Every run, newest first; with a serial, the runs whose serials include it.
    virtual QList<TJournalRecord> Runs(std::optional<qint64> serial = std::nullopt) = 0;
    // At least the runs whose first..last holds one of `numbers` (a store may give all).
    virtual QList<TJournalRecord> RunsHolding(const QList<qint64>& numbers) { return numbers.isEmpty() ? QList<TJournalRecord>() : Runs(); }

    // Keeps a run's design (its canonical text, ticket::DesignText) under its hash, before
    // the run's first record names it; raises when it cannot, and the run does not start.
    virtual void KeepDesign(const QString& hash, const QString& text) = 0;
    // The design kept under hash; nothing when none is (or it cannot be read now).
    virtual std::optional<QString> Design(const QString& hash) = 0;
    // The claim on the rest of the stopped run `run` (its own record, not a resume's),
    // which a resume holds while it prints. Raises ERestClaimed, naming the holder, when
    // another process holds it, and Exception when it cannot be taken at all.
    virtual std::unique_ptr<TRestClaim> ClaimRest(const TJournalRecord& run) = 0;

    // Where the last number lives, for messages: the settings file, or the series' name.
    virtual QString Where() const = 0;
    // The window's status bar: "Series tickets on db.example"; empty for the local counter.
    virtual QString StatusText() const { return {}; }
};

// The counter in the settings file and the journal beside it, as a run always used them.
class TLocalSeries : public TSeriesStore {
public:
    explicit TLocalSeries(QString settingsPath);
    Reading Read() override;
    void CheckRecordable() override;
    Begun Begin(TJournalRecord& record, int count, bool advance, const QString& expectedText) override;
    std::optional<QString> End(const TJournalRecord& record) override;
    void Settle(const TJournalRecord& record) override { journal_.Append(record); }
    void Note(const TJournalRecord& record) override;
    QString Problem() const override { return problem_; }
    QList<TJournalRecord> Runs(std::optional<qint64> serial = std::nullopt) override;
    QList<TJournalRecord> RunsHolding(const QList<qint64>& numbers) override { return journal_.RunsHolding(numbers); }
    void KeepDesign(const QString& hash, const QString& text) override { designs_.Keep(hash, text); }
    std::optional<QString> Design(const QString& hash) override { return designs_.Text(hash); }
    std::unique_ptr<TRestClaim> ClaimRest(const TJournalRecord& run) override;
    QString Where() const override { return counter_.Path(); }

private:
    // The record, or why it could not be written in Problem.
    void Write(const TJournalRecord& record);
    // Under the counter's lock, before a reservation: the newest print, when it is still
    // on record as interrupted with its range past the counter, never moved the counter
    // (it was killed between its record and the move): it is recorded as failed, so its
    // range is no reason to refuse the numbers once a later run takes them.
    void SettleNewestPrint(const TSeriesCounter::Reading& now);

    TSeriesCounter counter_;
    TJournal journal_;
    TDesignFolder designs_;
    std::optional<TSeriesCounter::Reservation> reservation_;
    QString problem_;
    // The journal passed CheckRecordable for this run: its first record must be written,
    // or the run takes nothing.
    bool checked_ = false;
};

// Which series a station prints from: [Series] Server and Name of the settings file, or
// --series-server and --series. No server: the local counter.
struct TSeriesChoice {
    QString server; // a PostgreSQL connection URI or key=value string
    QString name;
    bool Shared() const { return !server.isEmpty(); }
};

// A choice from the settings file's [Series], each part replaced by the command line's
// when given there.
TSeriesChoice SeriesChoice(const QString& settingsServer, const QString& settingsName,
                           const QString& server = QString(), const QString& name = QString());

// The store for a choice; raises for a server without a series name (or the reverse).
// Opening a shared store does not connect yet.
std::unique_ptr<TSeriesStore> OpenSeriesStore(const QString& settingsPath, const TSeriesChoice& choice);

// What the window shows before each run: the status bar text (empty for the local
// counter) and the number the next print starts at, as the store holds it now (this
// connects to a shared series and raises when it cannot).
struct TSeriesView {
    QString status;
    TSeriesStore::Reading last;
    std::optional<int> next;
};
TSeriesView ViewSeries(TSeriesStore& store);
