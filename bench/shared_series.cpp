// A series shared on PostgreSQL: reservations per second with several clients at once
// (each a reservation and its final record, as a run makes them), and what a
// reservation adds to a one-page run to PDF against the local counter.
// Usage: shared_series [URI] [clients] [seconds] [runs]
//   without a URI a server of its own is started (durable commits, on this machine);
//   defaults 8 clients, 3 seconds, 200 one-page runs per store.
#include "support_postgres.h"

#include "run/SerialRun.h"
#include "run/SharedSeries.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "printjob/PrintJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

TJournalRecord Record()
{
    TJournalRecord record;
    record.started = QDateTime::currentDateTimeUtc();
    record.host = CurrentHost();
    record.user = CurrentUser();
    record.first = 1;
    record.last = 1;
    return record;
}

// One client's loop: reserve one number, record the run completed.
void Reserve(TSharedSeries& series)
{
    TJournalRecord record = Record();
    series.Begin(record, 1, true, QString());
    record.finished = QDateTime::currentDateTimeUtc();
    record.status = TRunStatus::Completed;
    record.pages = 1;
    series.End(record);
}

// A store that times what the run spends in it.
class TimedStore : public TSeriesStore {
public:
    explicit TimedStore(std::shared_ptr<TSeriesStore> store) : store_(std::move(store)) { }
    Reading Read() override { return store_->Read(); }
    Begun Begin(TJournalRecord& record, int count, bool advance, const QString& expected) override
    {
        QElapsedTimer timer;
        timer.start();
        Begun begun = store_->Begin(record, count, advance, expected);
        ms += timer.nsecsElapsed() / 1e6;
        return begun;
    }
    std::optional<QString> End(const TJournalRecord& record) override
    {
        QElapsedTimer timer;
        timer.start();
        std::optional<QString> known = store_->End(record);
        ms += timer.nsecsElapsed() / 1e6;
        return known;
    }
    void Settle(const TJournalRecord& record) override { store_->Settle(record); }
    QString Problem() const override { return store_->Problem(); }
    QList<TJournalRecord> Runs(std::optional<qint64> serial) override { return store_->Runs(serial); }
    void KeepDesign(const QString& hash, const QString& text) override { store_->KeepDesign(hash, text); }
    std::optional<QString> Design(const QString& hash) override { return store_->Design(hash); }
    std::unique_ptr<TRestClaim> ClaimRest(const TJournalRecord& run) override { return store_->ClaimRest(run); }
    QString Where() const override { return store_->Where(); }
    QString StatusText() const override { return store_->StatusText(); }
    double ms = 0;

private:
    std::shared_ptr<TSeriesStore> store_;
};

struct Timings {
    std::vector<double> run;   // the whole one-page run
    std::vector<double> store; // of it, reserving, recording and giving back
};

// Each one-page run through the run engine to a new PDF, in milliseconds.
Timings OnePageRuns(std::shared_ptr<TSeriesStore> inner, int runs)
{
    const auto store = std::make_shared<TimedStore>(std::move(inner));
    TPrintJob job;
    TSerialRun run(job, store);
    serial::SerialPage page;
    page.Prefix = QStringLiteral("S-");
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        serial::DrawSerialPage(job, *canvas, pageIndex, area, run.Page() ? *run.Page() : page);
    });
    Timings times;
    QString known = store->Read().text;
    for (int i = 0; i < runs; ++i) {
        const bool shared = !store->StatusText().isEmpty();
        page.StartingNumber = serial::AddWrapping(known.toInt(), 1);
        store->ms = 0;
        QElapsedTimer timer;
        timer.start();
        const std::optional<TSerialRun::Outcome> outcome = run.Print(page, 1, TRunKind::Print, shared ? QString() : known);
        times.run.push_back(timer.nsecsElapsed() / 1e6);
        times.store.push_back(store->ms);
        if (!outcome || outcome->delivered != 1) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
        known = outcome->knownLastNumber;
    }
    return times;
}

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    QTemporaryDir dir;
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("CUPS_SERVER", "127.0.0.1:1");
    QApplication application(argc, argv);
    FormatSettings::LoadFromSystem();
    const QString given = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int clients = argc > 2 ? std::max(1, atoi(argv[2])) : 8;
    const double seconds = argc > 3 ? std::max(0.1, atof(argv[3])) : 3.0;
    const int runs = argc > 4 ? std::max(1, atoi(argv[4])) : 200;

    std::unique_ptr<TestPostgres> own;
    QString uri = given;
    if (uri.isEmpty()) {
        own = std::make_unique<TestPostgres>(true);
        if (!own->Error().isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(own->Error()));
            return 1;
        }
        uri = own->Uri();
    }
    const QString spool = dir.filePath(QStringLiteral("spool.jsonl"));

    // Reservations per second, each client on a connection of its own.
    std::atomic<long> done { 0 };
    std::atomic<bool> failed { false };
    {
        TSharedSeries(uri, QStringLiteral("bench"), spool).Connect(); // tables exist before the clock starts
        std::vector<std::thread> threads;
        QElapsedTimer timer;
        timer.start();
        const qint64 until = qint64(seconds * 1e9);
        for (int c = 0; c < clients; ++c)
            threads.emplace_back([&] {
                try {
                    TSharedSeries series(uri, QStringLiteral("bench"), spool);
                    series.Connect();
                    while (timer.nsecsElapsed() < until) {
                        Reserve(series);
                        ++done;
                    }
                } catch (...) {
                    failed = true;
                }
            });
        for (std::thread& thread : threads)
            thread.join();
        if (failed) {
            std::fprintf(stderr, "a client failed\n");
            return 1;
        }
        std::printf("clients: %d, reservations: %ld in %.1f s, %.0f per second\n", clients, done.load(),
                    timer.nsecsElapsed() / 1e9, done.load() / (timer.nsecsElapsed() / 1e9));
    }

    // One-page runs: the local counter against the shared series on an open connection
    // (as a window keeps it), and what connecting costs a new process.
    Printer().SetPrinterIndex(Printer().Printers().size() - 1);
    Printer().SetOutputFolder(dir.path());
    Printer().SetOutputFileName(QString());
    auto shared = std::make_shared<TSharedSeries>(uri, QStringLiteral("one-page"), spool);
    const auto local = std::make_shared<TLocalSeries>(dir.filePath(QStringLiteral("Tallyforge.ini")));
    OnePageRuns(shared, 10); // warm up both paths
    OnePageRuns(local, 10);
    const Timings sharedRuns = OnePageRuns(shared, runs);
    const Timings localRuns = OnePageRuns(local, runs);
    std::vector<double> connects;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer timer;
        timer.start();
        TSharedSeries(uri, QStringLiteral("one-page"), spool).Connect();
        connects.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("one-page run, median of %d: local counter %.2f ms (of it the counter and journal %.2f ms), "
                "shared series %.2f ms (of it the server %.2f ms)\n",
                runs, Median(localRuns.run), Median(localRuns.store), Median(sharedRuns.run), Median(sharedRuns.store));
    std::printf("connecting (a new process's first statement), median: %.2f ms\n", Median(connects));
    return 0;
}
