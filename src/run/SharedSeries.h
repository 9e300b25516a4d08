#pragma once

#include "run/SeriesStore.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct pg_conn;
struct pg_result;

// A series shared by several stations on a PostgreSQL server. Its last number is a row
// of tallyforge_series; every run is a row of tallyforge_runs with the journal's columns,
// the station and an id. A print reserves its whole range and records itself as
// interrupted in one statement; its end is one transaction on the run's locked row that
// records the outcome and gives back the unprinted tail only if the series still ends
// with it (else the tail is void, never handed out again), and does nothing for a run
// that ended already. A final record the server could not take (lost, or no answer
// within the time limit) waits in a spool file beside the settings file and is sent on
// the next connection. Passwords come from libpq's own sources (~/.pgpass, PGPASSWORD, a
// service file) or the address; no message shows the address's password.
class TSharedSeries : public TSeriesStore {
public:
    static constexpr int kSchemaVersion = 1;

    TSharedSeries(QString server, QString name, QString spoolPath);
    ~TSharedSeries() override;
    TSharedSeries(const TSharedSeries&) = delete;
    TSharedSeries& operator=(const TSharedSeries&) = delete;

    static QString SpoolBeside(const QString& settingsPath);

    // Connects (once), creates the tables when missing, refuses a newer schema, sends
    // what the spool holds. Raises Exception with a message for the user.
    void Connect();

    Reading Read() override;
    Begun Begin(TJournalRecord& record, int count, bool advance, const QString& expectedText) override;
    std::optional<QString> End(const TJournalRecord& record) override;
    void Settle(const TJournalRecord& record) override;
    QString Problem() const override { return problem_; }
    QList<TJournalRecord> Runs(std::optional<qint64> serial = std::nullopt) override;
    // Designs are kept on the server, so any station can print any station's run again.
    void KeepDesign(const QString& hash, const QString& text) override;
    std::optional<QString> Design(const QString& hash) override;
    // A session lock of the server, keyed by the run, on this station's connection: it
    // ends with the connection, so a station killed or cut off frees the rest.
    std::unique_ptr<TRestClaim> ClaimRest(const TJournalRecord& run) override;
    QString Where() const override;

    // Makes `next` the number the series' next print starts at, recorded in the runs
    // table (numbers skipped forward as void). Going back to numbers handed out already
    // raises unless `force`.
    void SetNext(int next, bool force);

    // How long a statement may take, on the server and for its answer to arrive, before
    // the server counts as lost (default 15 s). Before Connect.
    void SetTimeLimit(int milliseconds) { timeLimit_ = qMax(1, milliseconds); }

    const QString& Name() const { return name_; }
    // host:port/database, without user or password: for people and for the spool.
    QString ServerText() const { return serverText_; }
    // What the window's status bar says: "Series tickets on db.example".
    QString StatusText() const override;
    // Final records waiting in the spool for this series.
    int Waiting() const;

private:
    using Param = std::optional<QByteArray>;
    struct ResultDeleter {
        void operator()(pg_result* result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;

    // One statement (or a script of several, without parameters). Raises on an error, on
    // a lost connection (after one fresh try when `retry`) and on no answer within the
    // time limit, which closes the connection.
    Result Exec(const char* sql, const QList<Param>& params = {}, bool retry = true, bool script = false);
    // Sends and waits for the answer until the deadline; null when nothing came back.
    Result Await(const char* sql, const QList<Param>& params, bool script);
    void Rollback();
    void Drop();
    // Records a run's end, once: true when its tail was given back.
    bool Send(const QJsonObject& final, bool retry);
    void SendSpool();
    // Why the record could not be kept in the spool; empty when it was.
    QString Spool(const QJsonObject& final);
    // The text with every form of the address's password replaced.
    QString Redacted(QString text) const;
    friend class TServerClaim;
    // Gives the rest claim of `run` back, on the connection that took it, if it is still up.
    void ReleaseClaim(qint64 run, const pg_conn* connection);

    QString server_;
    QString name_;
    QString spoolPath_;
    QStringList secrets_; // the password in every form it may appear in
    QString serverText_;
    QString host_;
    pg_conn* connection_ = nullptr;
    // The run between Begin and End.
    qint64 runId_ = 0;
    std::optional<Reservation> reservation_;
    QString problem_;
    int timeLimit_ = 15000;
};
