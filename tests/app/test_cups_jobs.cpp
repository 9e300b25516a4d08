// A run's print jobs followed to their end by the spooler's word, against a private CUPS
// scheduler: a stopped queue, an operator's cancel, an IPP printer that is gone, a run
// split into jobs (with artwork too), and the command line's --wait and log. The journal and the counter are what an operator goes by.
#include "support_app.h"
#include "support_cups.h"
#include "support_program.h"

#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/Printer.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"
#include "printjob/PrintJob.h"
#include "run/PrintRoom.h"
#include "run/SpoolerJobs.h"
#include "ticket/SerialDrawing.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cups/cups.h>
#include <gtest/gtest.h>

namespace {

// The jobs column: each job's sheets and end, read back as written; a journal line of an
// older version (no jobs column) still reads, and a damaged one is no record.
TEST(SpoolJobs, ColumnRoundTripsAndTheSheetsOutAreTheRunsFirst)
{
    TJournalRecord record;
    record.started = QDateTime::currentDateTimeUtc();
    record.first = 101;
    record.last = 140;
    record.pages = 40;
    record.jobs = { { 7, 20, TRunStatus::Completed, std::nullopt }, { 8, 20, TRunStatus::Cancelled, 5 } };
    record.jobServer = QStringLiteral("127.0.0.1:631");
    const std::optional<TJournalRecord> read = TJournal::FromCsv(TJournal::ToCsv(record).split(u','));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->jobs, record.jobs);
    EXPECT_EQ(read->jobServer, record.jobServer);
    TJournalRecord details;
    TJournal::ReadDetails(TJournal::DetailsText(record), details);
    EXPECT_EQ(details.jobs, record.jobs); // what a shared series keeps
    EXPECT_FALSE(ParseJobs(QStringLiteral("7:20:printed")));
    EXPECT_FALSE(ParseJobs(QStringLiteral("7:20")));
    TJournalRecord plain = record;
    plain.jobs.clear();
    plain.jobServer.clear();
    EXPECT_EQ(TJournal::ToCsv(plain).count(u','), 18); // a run without jobs writes no new columns

    // Completed, then one that ended early: what came out is a prefix of the run.
    EXPECT_EQ(spooler::SheetsOut(record.jobs).sheets, 25);
    EXPECT_FALSE(spooler::SheetsOut(record.jobs).uncertain);
    const QList<TSpoolJob> unknown { { 7, 20, TRunStatus::Aborted, std::nullopt }, { 8, 20, TRunStatus::Completed, std::nullopt } };
    EXPECT_EQ(spooler::SheetsOut(unknown).sheets, 0);
    EXPECT_TRUE(spooler::SheetsOut(unknown).uncertain);
}

class CupsJobsTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString reason = PrivateCups::UnavailableReason();
        if (!reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(cups_.Start()) << cups_.Error().toStdString();
        cups_.ServeThisProcess();
        TPrinter::ResetForTests();
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=100\r\n");
    }

    void TearDown() override { TPrinter::ResetForTests(); }

    void UseQueue(const QString& name)
    {
        Printer().RefreshPrinters();
        const int index = Printer().Printers().indexOf(name);
        ASSERT_GE(index, 0) << Printer().Printers().join(u' ').toStdString();
        Printer().SetPrinterIndex(index);
    }

    // Prints `count` serials from `start` on, not waiting for the jobs; with `stopAfter`,
    // the run is stopped once that many pages are drawn.
    std::optional<TSerialRun::Outcome> Run(int count, int sheetsPerJob = 1000, int stopAfter = 0, int start = 101)
    {
        TPrintJob job;
        TSerialRun run(job, settings_);
        run.FollowJobsMs = 0;
        run.SheetsPerJob = sheetsPerJob;
        serial::SerialPage page;
        page.StartingNumber = start;
        page.Prefix = QStringLiteral("T");
        serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int index, TRect, TDrawArea area, TDrawTarget) {
            serial::DrawSerialPage(job, *canvas, index, area, run.Page() ? *run.Page() : page);
        });
        run.OnProgress = [&](int done, int) {
            if (done == stopAfter)
                run.Stop();
        };
        return run.Print(page, count, TRunKind::Print, QString::number(start - 1));
    }

    // Prints `count` serials on the chosen queue, which holds the job: the run and the
    // journal say sent, with the one job; the newest run as the journal has it.
    std::optional<TJournalRecord> SentRun(int count)
    {
        const std::optional<TSerialRun::Outcome> outcome = Run(count);
        EXPECT_TRUE(outcome && outcome->status == TRunStatus::Sent);
        const QList<TJournalRecord> runs = FollowedRuns();
        if (runs.isEmpty())
            return std::nullopt;
        EXPECT_EQ(runs.front().status, TRunStatus::Sent);
        EXPECT_EQ(runs.front().jobs.size(), 1);
        return runs.front().jobs.size() == 1 ? std::optional(runs.front()) : std::nullopt;
    }
    // The journal's runs after whoever reads it next followed their jobs.
    QList<TJournalRecord> FollowedRuns()
    {
        TLocalSeries store(settings_);
        QList<TJournalRecord> runs = store.Runs();
        spooler::FollowRuns(store, runs, 0);
        return store.Runs();
    }
    // Waits until the journal's newest run has its jobs' end on record.
    std::optional<TJournalRecord> NewestEnded(int timeoutMs = 30000)
    {
        for (QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QThread::msleep(100)) {
            const QList<TJournalRecord> runs = FollowedRuns();
            if (!runs.isEmpty() && !runs.front().JobsPending())
                return runs.front();
        }
        return std::nullopt;
    }
    bool WaitForPending(const QString& queue, bool pending, int timeoutMs = 30000)
    {
        for (QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QThread::msleep(50))
            if (cups_.PendingJobs(queue).trimmed().isEmpty() != pending)
                return true;
        return false;
    }
    void Tool(const QString& program, const QStringList& arguments)
    {
        int code = -1;
        const QString out = cups_.RunTool(program, arguments, &code);
        ASSERT_EQ(code, 0) << program.toStdString() << ": " << out.toStdString();
    }
    QString LastNumber() { return apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")); }

    PrivateCups cups_;
    QTemporaryDir dir_;
    QString settings_;
};

// A stopped queue holds the job: sent, not completed; the operator's cancel makes it
// cancelled, its numbers stay used and all of it is the rest to print.
TEST_F(CupsJobsTest, JobInAStoppedQueueIsSentUntilTheOperatorCancelsIt)
{
    UseQueue(cups_.QueueName());
    Tool(QStringLiteral("cupsdisable"), { cups_.QueueName() });
    const std::optional<TJournalRecord> sent = SentRun(3);
    ASSERT_TRUE(sent);
    const int job = sent->jobs.front().id;
    EXPECT_EQ(sent->job, job);

    Tool(QStringLiteral("cancel"), { QString::number(job) });
    const std::optional<TJournalRecord> ended = NewestEnded();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->status, TRunStatus::Cancelled);
    EXPECT_EQ(ended->pages, 0);
    EXPECT_EQ(ended->first, 101);
    EXPECT_EQ(ended->last, 103);
    EXPECT_EQ(LastNumber(), QStringLiteral("103"));
    const std::optional<TRunRest> rest = RestOf(FollowedRuns(), *ended);
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->fromSheet, 0);
    EXPECT_EQ(rest->notPrinted, (QList<TSerialRange> { { 101, 103 } }));
}

// The window says a job the stopped queue holds is sent, not printed, and follows it while
// it runs: the operator's cancel reaches its status bar without anybody asking.
TEST_F(CupsJobsTest, WindowFollowsItsJobToTheOperatorsCancel)
{
    QStringList errors;
    app::SetErrorHandler([&errors](const QString&, const QString& text) { errors << text; });
    Tool(QStringLiteral("cupsdisable"), { cups_.QueueName() });
    TfrmTallyforge window(nullptr, settings_);
    ASSERT_EQ(Printer().PrinterName(), cups_.QueueName());
    window.txtPageCount->SetText(QStringLiteral("2"));
    window.ToolButton1->trigger();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    const QString sent = window.PreviewStatusBar1->UserText();
    const QRegularExpressionMatch job = QRegularExpression(QStringLiteral("^Sent to tfq as job (\\d+), not yet printed$")).match(sent);
    ASSERT_TRUE(job.hasMatch()) << sent.toStdString();

    Tool(QStringLiteral("cancel"), { job.captured(1) });
    const QString cancelled = QStringLiteral("Job %1 on tfq was cancelled.").arg(job.captured(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.PreviewStatusBar1->UserText().startsWith(cancelled); }, 30000))
        << window.PreviewStatusBar1->UserText().toStdString();
    app::SetErrorHandler(nullptr);
}

// The queue's IPP printer is gone: the job never completes, and stays sent (its numbers
// used) until somebody cancels it.
TEST_F(CupsJobsTest, JobForAPrinterThatIsGoneIsNeverCompleted)
{
    ASSERT_TRUE(cups_.AddGoneIppPrinterQueue(QStringLiteral("gone"))) << cups_.Error().toStdString();
    UseQueue(QStringLiteral("gone"));
    const std::optional<TJournalRecord> sent = SentRun(2);
    ASSERT_TRUE(sent);
    Tool(QStringLiteral("cancel"), { QString::number(sent->jobs.front().id) });
    const std::optional<TJournalRecord> ended = NewestEnded();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->status, TRunStatus::Cancelled);
    EXPECT_EQ(LastNumber(), QStringLiteral("102"));
}

// A run goes as jobs of SheetsPerJob sheets, in order, each completed; a stop between
// two jobs is a stop between sheets: the jobs sent print, the rest goes back.
TEST_F(CupsJobsTest, RunSplitIntoJobsInOrderAndStoppedBetweenThem)
{
    UseQueue(cups_.QueueName());
    const std::optional<TSerialRun::Outcome> outcome = Run(5, 2);
    ASSERT_TRUE(outcome);
    ASSERT_EQ(outcome->jobs.size(), 3);
    EXPECT_EQ(outcome->jobs[0].sheets, 2);
    EXPECT_EQ(outcome->jobs[1].sheets, 2);
    EXPECT_EQ(outcome->jobs[2].sheets, 1);
    EXPECT_LT(outcome->jobs[0].id, outcome->jobs[1].id);
    EXPECT_LT(outcome->jobs[1].id, outcome->jobs[2].id);
    std::optional<TJournalRecord> ended = NewestEnded();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->status, TRunStatus::Completed);
    EXPECT_EQ(ended->pages, 5);

    const std::optional<TSerialRun::Outcome> stopped = Run(5, 2, 3, 106);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->delivered, 2);
    ASSERT_EQ(stopped->jobs.size(), 1);
    ended = NewestEnded();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->status, TRunStatus::Cancelled);
    EXPECT_EQ(ended->first, 106);
    EXPECT_EQ(ended->last, 107);
    EXPECT_EQ(LastNumber(), QStringLiteral("107"));
}

// An artwork run split into jobs: each job's sheets get the artwork where the run places it
// on those sheets, not where its first sheets had it. Two tickets a sheet, three tickets,
// a sheet a job: the last job's sheet holds one ticket and one artwork.
TEST_F(CupsJobsTest, ArtworkRunSplitIntoJobsPlacesEachJobsOwnSheets)
{
    UseQueue(cups_.QueueName());
    const QString artwork = dir_.filePath(QStringLiteral("art.pdf"));
    apptest::WriteArtworkPdf(artwork, QSizeF(72, 72), QRectF(0, 0, 72, 72), Qt::red);
    TPrintJob job;
    TPrintRoom room(job, std::make_shared<TLocalSeries>(settings_));
    serial::ConfigureJob(job, [&room](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        room.Run().DrawPage(*canvas, pageIndex, area, *room.Run().Page());
    });
    room.Run().FollowJobsMs = 0;
    room.Run().SheetsPerJob = 1;
    TPrintRequest request;
    request.kind = TRunKind::Print;
    request.page.StartingNumber = 101;
    request.page.Prefix = QStringLiteral("T");
    request.count = 3;
    request.knownLastNumber = QStringLiteral("100");
    request.layout.Columns = 2;
    request.artwork.File = artwork;
    request.artwork.Scope = ticket::TTemplateScope::Ticket;
    const TPrintPlan plan = room.Prepare(request);
    ASSERT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    const std::optional<TSerialRun::Outcome> outcome = room.Carry(plan);
    ASSERT_TRUE(outcome);
    ASSERT_EQ(outcome->jobs.size(), 2);
    ASSERT_TRUE(NewestEnded());

    // The queue's file holds its last job. At 20 dots an inch, an inch of red is 400 dots.
    const QString stem = dir_.filePath(QStringLiteral("last"));
    int code = -1;
    apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-singlefile"),
                                               cups_.OutputFile(), stem }, &code);
    ASSERT_EQ(code, 0);
    const int red = apptest::RedPixels(QImage(stem + QStringLiteral(".png")));
    EXPECT_GT(red, 250);
    EXPECT_LT(red, 550);
}

// The command line: --wait exits 0 for a completed job and 3 for a cancelled one; without
// it a job held by the spooler is said to be sent, and log brings its end on record.
TEST_F(CupsJobsTest, CommandLineWaitsForTheJobsAndLogBringsThemUpToDate)
{
    ProgramCopy program;
    ASSERT_TRUE(program.Error().isEmpty()) << program.Error().toStdString();
    ASSERT_TRUE(QFile::copy(settings_, program.SettingsFile()));
    QProcessEnvironment environment = program.Environment();
    environment.insert(QStringLiteral("CUPS_SERVER"), cups_.Server());
    const auto run = [&](const QStringList& arguments, QString* out, QProcess* started = nullptr) {
        QProcess own;
        QProcess& process = started ? *started : own;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(program.Home());
        apptest::EndWithTest(process);
        process.start(program.Program(), arguments);
        if (started)
            return -2;
        if (!process.waitForFinished(60000))
            return -1;
        *out = QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QString out;
    EXPECT_EQ(run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--printer"), cups_.QueueName(), QStringLiteral("--wait") }, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Printed T"))  || out.contains(QStringLiteral("Printed 1"))) << out.toStdString();

    // Held by a stopped queue: sent, exit 0 without --wait; the journal says sent.
    Tool(QStringLiteral("cupsdisable"), { cups_.QueueName() });
    EXPECT_EQ(run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--printer"), cups_.QueueName() }, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("not yet printed"))) << out.toStdString();
    TJournal journal(TJournal::PathBeside(program.SettingsFile()));
    ASSERT_FALSE(journal.Runs().isEmpty());
    TJournalRecord sent = journal.Runs().front();
    EXPECT_EQ(sent.status, TRunStatus::Sent);
    ASSERT_EQ(sent.jobs.size(), 1);
    Tool(QStringLiteral("cancel"), { QString::number(sent.jobs.front().id) });
    ASSERT_TRUE(WaitForPending(cups_.QueueName(), false));
    EXPECT_EQ(run({ QStringLiteral("log") }, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("cancelled"))) << out.toStdString();
    EXPECT_EQ(journal.Runs().front().status, TRunStatus::Cancelled);

    // --wait on a held job: the operator's cancel ends the wait, exit 3.
    QProcess waiting;
    run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--printer"), cups_.QueueName(), QStringLiteral("--wait") }, &out, &waiting);
    ASSERT_TRUE(WaitForPending(cups_.QueueName(), true));
    Tool(QStringLiteral("cancel"), { QStringLiteral("-a"), cups_.QueueName() });
    ASSERT_TRUE(waiting.waitForFinished(60000));
    out = QString::fromLocal8Bit(waiting.readAllStandardOutput() + waiting.readAllStandardError());
    EXPECT_EQ(waiting.exitCode(), 3) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("was cancelled"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Printed"))) << out.toStdString();
    EXPECT_EQ(journal.Runs().front().status, TRunStatus::Cancelled);
}

} // namespace
