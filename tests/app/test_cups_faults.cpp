// Runs of serials through a private CUPS scheduler that fails them: a scheduler killed
// while it takes the document, and a printer that aborts the job it accepted. What the
// counter and the journal say afterwards is what an operator goes by.
#include "support_app.h"
#include "support_cups.h"

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "ticket/SerialDrawing.h"
#include "run/SerialRun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include <sys/stat.h>

namespace {

class CupsFaultsTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString reason = PrivateCups::UnavailableReason();
        if (!reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(cups_.Start()) << cups_.Error().toStdString();
        // The printer and the scheduler connection are the process's; each test has its
        // own scheduler.
        cups_.ServeThisProcess();
        TPrinter::ResetForTests();
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=100\r\n");
    }

    void TearDown() override
    {
        if (watcher_.joinable())
            watcher_.join();
        TPrinter::ResetForTests();
    }

    void UseQueue(const QString& name)
    {
        const int index = Printer().Printers().indexOf(name);
        ASSERT_GE(index, 0) << Printer().Printers().join(u' ').toStdString();
        Printer().SetPrinterIndex(index);
    }

    // Prints `count` serials from 101 on; an error is kept, not raised. With
    // `followLater`, the run does not wait for its jobs: they are followed afterwards, as
    // the window does on a timer.
    std::optional<TSerialRun::Outcome> Run(int count, int followMs = 3000, bool followLater = false)
    {
        TPrintJob job;
        TSerialRun run(job, settings_);
        run.FollowJobsMs = followMs;
        serial::SerialPage page;
        page.StartingNumber = 101;
        page.Prefix = QStringLiteral("T");
        serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int index, TRect, TDrawArea area, TDrawTarget) {
            serial::DrawSerialPage(job, *canvas, index, area, run.Page() ? *run.Page() : page);
        });
        error_.clear();
        try {
            std::optional<TSerialRun::Outcome> outcome = run.Print(page, count, TRunKind::Print, QStringLiteral("100"));
            for (QDeadlineTimer deadline(15000); followLater && run.FollowUp() && !deadline.hasExpired();)
                QThread::msleep(100);
            return outcome;
        } catch (const std::exception& e) {
            error_ = QString::fromUtf8(e.what());
        } catch (...) {
            error_ = QStringLiteral("raised");
        }
        return std::nullopt;
    }

    // Stops the scheduler the moment it has created a job, so the document that follows
    // reaches no one, then kills it once the sender had time to write what its socket
    // takes (it waits up to a second for a "continue" that never comes, then sends).
    void KillSchedulerAfterCreateJob()
    {
        const qint64 pid = cups_.SchedulerPid();
        const QString log = cups_.AccessLog();
        watcher_ = std::thread([pid, log] {
            for (int i = 0; i < 200000; ++i) {
                QFile file(log);
                if (file.open(QIODevice::ReadOnly) && file.readAll().contains("Create-Job successful")) {
                    ::kill(pid_t(pid), SIGSTOP);
                    QThread::msleep(2000);
                    ::kill(pid_t(pid), SIGKILL);
                    return;
                }
                QThread::usleep(200);
            }
        });
    }

    QStringList LastJournalRecord()
    {
        QFile file(QFileInfo(settings_).absoluteDir().filePath(QStringLiteral("Tallyforge-journal.csv")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        return QString::fromUtf8(lines.last().trimmed()).split(u',');
    }
    QString LastNumber() { return apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")); }

    PrivateCups cups_;
    QTemporaryDir dir_;
    QString settings_;
    QString error_;
    std::thread watcher_;
};

// Journal columns: started, finished, kind, status, first, last, pages, ..., job (11).

// The sending connection does not report a scheduler that died before it answered: the
// run must not count as printed, yet its numbers stay used, since nobody can tell.
TEST_F(CupsFaultsTest, SchedulerKilledBeforeItTookTheDocumentIsNotAPrintedRun)
{
    UseQueue(cups_.QueueName());
    KillSchedulerAfterCreateJob();
    const std::optional<TSerialRun::Outcome> outcome = Run(3);
    watcher_.join();
    EXPECT_FALSE(outcome) << "counted as printed: " << (outcome ? outcome->delivered : 0) << " pages";
    EXPECT_TRUE(error_.contains(QStringLiteral("did not confirm"))) << error_.toStdString();
    const QStringList record = LastJournalRecord();
    ASSERT_GE(record.size(), 12);
    EXPECT_EQ(record[3], QStringLiteral("unknown"));
    EXPECT_EQ(record[4], QStringLiteral("101"));
    EXPECT_EQ(record[5], QStringLiteral("103"));
    EXPECT_EQ(LastNumber(), QStringLiteral("103"));
}

// A scheduler killed while a large document streams in: the job may or may not exist,
// so the numbers are not handed out again.
TEST_F(CupsFaultsTest, SchedulerKilledDuringALargeDocumentKeepsTheReservation)
{
    UseQueue(cups_.QueueName());
    KillSchedulerAfterCreateJob();
    const std::optional<TSerialRun::Outcome> outcome = Run(6000);
    watcher_.join();
    EXPECT_FALSE(outcome);
    EXPECT_TRUE(error_.contains(QStringLiteral("did not confirm"))) << error_.toStdString();
    const QStringList record = LastJournalRecord();
    ASSERT_GE(record.size(), 12);
    EXPECT_EQ(record[3], QStringLiteral("unknown"));
    EXPECT_EQ(record[4], QStringLiteral("101"));
    EXPECT_EQ(record[5], QStringLiteral("6100"));
    EXPECT_EQ(LastNumber(), QStringLiteral("6100"));
}

// The printer takes the job and aborts it after two sheets, after the run returned (as a
// window's run does not wait): followed afterwards, the journal names the run's serials
// as aborted with the sheets it reported, and the counter stays past them all.
// The job carries the options that keep numbers where they were drawn.
TEST_F(CupsFaultsTest, JobThePrinterAbortsIsJournaledWithItsSerials)
{
    ASSERT_TRUE(cups_.AddFailingQueue(QStringLiteral("jammed"), 2)) << cups_.Error().toStdString();
    Printer().RefreshPrinters();
    UseQueue(QStringLiteral("jammed"));
    // The document waits in the temporary folder, readable by its owner alone.
    const QString temporary = dir_.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary));
    QStringList modes;
    Printer().OnEvent = [&](TPrinterEvent event) {
        if (event != peBeginDoc)
            return;
        for (const QFileInfo& file : QDir(temporary).entryInfoList(QDir::Files | QDir::Hidden)) {
            struct stat info {};
            if (::stat(QFile::encodeName(file.filePath()).constData(), &info) == 0)
                modes << QString::number(info.st_mode & 07777, 8);
        }
    };
    const std::optional<TSerialRun::Outcome> outcome = Run(5, 0, true);
    Printer().OnEvent = nullptr;
    qputenv("TMPDIR", savedTmp);
    EXPECT_EQ(modes, QStringList { QStringLiteral("600") });
    ASSERT_TRUE(outcome) << error_.toStdString();
    EXPECT_EQ(outcome->delivered, 5);
    const QStringList record = LastJournalRecord();
    ASSERT_GE(record.size(), 12);
    EXPECT_EQ(record[3], QStringLiteral("aborted"));
    EXPECT_EQ(record[4], QStringLiteral("101"));
    EXPECT_EQ(record[5], QStringLiteral("105"));
    EXPECT_EQ(record[6], QStringLiteral("2"));
    EXPECT_EQ(LastNumber(), QStringLiteral("105"));

    const int job = record[11].toInt();
    ASSERT_GT(job, 0);
    const QString attributes = cups_.JobAttributes(job);
    EXPECT_TRUE(attributes.contains(QStringLiteral("sides (keyword) = one-sided"))) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(QStringLiteral("print-scaling (keyword) = none"))) << attributes.toStdString();
}

} // namespace
