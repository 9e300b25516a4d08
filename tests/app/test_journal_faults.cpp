// The journal under faults: a file edited by hand or saved by a spreadsheet, runs in the
// same millisecond, runs across the 32-bit wrap, journals the program may not write, a
// file size limit, processes killed at random, and a run whose tail another run passed.
// The rule behind each: every number the counter handed out is in some record.
#include "support_app.h"
#include "support_program.h"

#include "platform/Exception.h"
#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/Journal.h"
#include "run/Preflight.h"
#include "run/SerialRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TJournalRecord Record(int first, int last, TRunStatus status)
{
    TJournalRecord record;
    record.started = QDateTime::fromString(QStringLiteral("2026-03-01T08:00:00.000Z"), Qt::ISODateWithMs);
    record.user = QStringLiteral("clerk");
    record.host = QStringLiteral("desk1");
    record.status = status;
    record.first = first;
    record.last = last;
    record.pages = status == TRunStatus::Interrupted ? 0 : last - first + 1;
    return record;
}

// A journal saved by a spreadsheet (byte-order mark, the older columns, the last line
// without its end) takes the next records as lines of their own; two runs of one user and
// host in the same millisecond stay two; text cells never start like a formula and read
// back exactly.
TEST(JournalText, SpreadsheetSavedJournalSameMillisecondRunsAndFormulaLeaders)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tallyforge-journal.csv"));
    WriteBytes(path, "\xEF\xBB\xBF" "started,finished,kind,status,first,last,pages,prefix,suffix,printer,output,job,user,host\r\n"
                     "2026-03-01T07:00:00.000Z,2026-03-01T07:00:05.000Z,print,completed,1,10,10,'own,'=x,PDF,,,clerk,desk1");
    const TJournal journal(path);
    TJournalRecord b = Record(11, 20, TRunStatus::Interrupted); // killed: stays interrupted
    b.prefix = QStringLiteral("\t=cmd|' /C calc'!A0");
    b.suffix = QStringLiteral("'=1+1");
    TJournalRecord c = Record(21, 30, TRunStatus::Completed); // the same millisecond, user and host
    c.prefix = QStringLiteral("\r=2+2");
    c.suffix = QStringLiteral("''");
    journal.Append(b);
    journal.Append(c);

    const QList<TJournalRecord> runs = journal.Runs();
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0].first, 21);
    EXPECT_EQ(runs[0].status, TRunStatus::Completed);
    EXPECT_EQ(runs[0].prefix, c.prefix);
    EXPECT_EQ(runs[0].suffix, c.suffix);
    EXPECT_EQ(runs[1].first, 11);
    EXPECT_EQ(runs[1].status, TRunStatus::Interrupted);
    EXPECT_EQ(runs[1].prefix, b.prefix);
    EXPECT_EQ(runs[1].suffix, b.suffix);
    EXPECT_EQ(runs[2].status, TRunStatus::Completed); // the older line kept its record
    EXPECT_EQ(runs[2].prefix, QStringLiteral("'own"));
    EXPECT_EQ(runs[2].suffix, QStringLiteral("=x"));
    ASSERT_EQ(journal.Runs(15).size(), 1);
    EXPECT_EQ(journal.Runs(15)[0].first, 11);
    // What a spreadsheet sees: no cell of the new lines begins with = + - @ TAB or CR.
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.contains(",'\t=cmd|' /C calc'!A0,"));
    EXPECT_TRUE(bytes.contains(",\"'\r=2+2\","));
}

// A journal left empty (its first append killed after the file was made, a full disk) is
// a journal without records, not a foreign file that stops every later record.
TEST(JournalText, EmptyJournalTakesRecords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tallyforge-journal.csv"));
    WriteBytes(path, QByteArray());
    const TJournal journal(path);
    EXPECT_EQ(journal.Runs().size(), 0);
    journal.Append(Record(1, 5, TRunStatus::Completed));
    ASSERT_EQ(journal.Runs().size(), 1);
    EXPECT_TRUE(ReadBytes(path).startsWith(TJournal::Header().toUtf8() + "\r\n"));
}

// A run that may go unrecorded (the user said so) prints and says why; without that
// word it is refused before it takes a number.
TEST(JournalText, UnrecordableRunPrintsOnlyWhenAllowed)
{
    apptest::EnsureApplication();
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("Tallyforge.ini"));
    WriteBytes(settings, "[SN]\r\nLastNumber=100\r\n");
    WriteBytes(TJournal::PathBeside(settings), "name,amount\nsoap,3\n");
    TPrinter::InstallTestDevice({ 600, 600, 5100, 6600, 100, 150, 4900, 6300 });
    Printer().SetOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
    TPrintJob job;
    TSerialRun run(job, settings);
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        serial::DrawSerialPage(job, *canvas, pageIndex, area, *run.Page());
    });
    serial::SerialPage page;
    page.StartingNumber = 101;
    EXPECT_THROW(run.Print(page, 2, TRunKind::Print, QStringLiteral("100")), Exception);
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("100"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.pdf"))));

    run.AllowUnrecordable = true;
    const std::optional<TSerialRun::Outcome> outcome = run.Print(page, 2, TRunKind::Print, QStringLiteral("100"));
    TPrinter::ResetForTests();
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->delivered, 2);
    EXPECT_TRUE(run.JournalProblem().contains(QStringLiteral("is not one this program writes"))) << run.JournalProblem().toStdString();
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("102"));
    EXPECT_EQ(ReadBytes(TJournal::PathBeside(settings)), QByteArray("name,amount\nsoap,3\n"));
}

class JournalFaultTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(copy_.Error().isEmpty()) << copy_.Error().toStdString();
        settings_ = copy_.SettingsFile();
        journal_ = TJournal::PathBeside(settings_);
        WriteBytes(settings_, "[SN]\r\nLastNumber=100\r\nPrefix=S-\r\n\r\n");
    }

    QStringList PrintArguments(int count, const QStringList& more = {})
    {
        pdf_ = copy_.Dir() + QStringLiteral("/run%1.pdf").arg(++pdfs_);
        return QStringList { QStringLiteral("print"), QStringLiteral("--settings"), settings_, QStringLiteral("--output"), pdf_,
                             QStringLiteral("--count"), QString::number(count), QStringLiteral("--quiet") }
            + more;
    }
    // `tallyforge print` of count pages into a PDF of its own: exit code and errors.
    std::pair<int, QString> Print(int count, const QStringList& more = {})
    {
        QString errors;
        const int code = copy_.Run(PrintArguments(count, more), &errors);
        return { code, errors };
    }
    qint64 LastNumber() const
    {
        return apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")).toLongLong();
    }
    // Every number of first..last is in some record: printed, taken, or void.
    void ExpectOnRecord(qint64 first, qint64 last) const
    {
        const QList<TJournalRecord> runs = TJournal(journal_).Runs();
        for (qint64 serial = first; serial <= last; ++serial)
            ASSERT_TRUE(std::any_of(runs.begin(), runs.end(), [&](const TJournalRecord& run) { return run.Accounts(serial); }))
                << "serial " << serial << " of " << first << ".." << last << " is in no record:\n"
                << ReadBytes(journal_).toStdString();
    }

    ProgramCopy copy_;
    QString settings_;
    QString journal_;
    QString pdf_;
    int pdfs_ = 0;
};

// A run that passes 2147483647 and goes on from -2147483648 is found on both sides of the
// wrap: by the serial look-up, the check for serials printed already, and the reprint's
// check for serials never printed.
TEST_F(JournalFaultTest, RunAcrossTheWrapIsFoundOnBothSides)
{
    WriteBytes(settings_, "[SN]\r\nLastNumber=2147483640\r\nPrefix=S-\r\n\r\n");
    auto [code, errors] = Print(10); // 2147483641 .. -2147483646
    ASSERT_EQ(code, 0) << errors.toStdString();
    const TJournal journal(journal_);
    ASSERT_EQ(journal.Runs(-2147483646).size(), 1);
    ASSERT_EQ(journal.Runs(2147483647).size(), 1);
    EXPECT_EQ(journal.Runs(-2147483645).size(), 0);
    EXPECT_TRUE(journal.Runs()[0].Covers(-2147483648LL));
    EXPECT_EQ(Unprinted(journal.Runs(), 2147483645, 2147483647), (QList<std::pair<qint64, qint64>>()));
    EXPECT_EQ(Unprinted(journal.Runs(), -2147483648LL, -2147483644), (QList<std::pair<qint64, qint64>>({ { -2147483645, -2147483644 } })));

    std::tie(code, errors) = Print(3, { QStringLiteral("--start=-2147483648") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("Serials -2147483648 to -2147483646 were printed already"))) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(pdf_));
    EXPECT_EQ(LastNumber(), -2147483646);
}

// A journal the program may not write is found before the run takes any number: the
// counter stays, nothing is printed, the journal is left as it was.
enum class Unwritable { Foreign, OpenQuote, SizeLimit };
struct UnwritableRow {
    const char* name;
    Unwritable kind;
};

class UnwritableJournalTest : public JournalFaultTest, public testing::WithParamInterface<UnwritableRow> { };

TEST_P(UnwritableJournalTest, RunIsRefusedBeforeItTakesANumber)
{
    QByteArray journal = TJournal::Header().toUtf8() + "\r\n";
    for (int run = 0; journal.size() < (GetParam().kind == Unwritable::SizeLimit ? 4 << 20 : 1); ++run)
        journal += TJournal::ToCsv(Record(run * 10 - 999999, run * 10 - 999990, TRunStatus::Completed)).toUtf8() + "\r\n";
    if (GetParam().kind == Unwritable::Foreign)
        journal = "date;amount\n2026-01-01;5\n";
    if (GetParam().kind == Unwritable::OpenQuote) // torn inside a quoted cell
        journal += "2026-03-02T09:00:00.000Z,,print,interrupted,101,103,0,\"S-,";
    WriteBytes(journal_, journal);

    QProcess program;
    if (GetParam().kind == Unwritable::SizeLimit) {
        // A limit that lets a few bytes more into the journal, not a whole record; the
        // program ends with the test, as Start's own do.
        const rlim_t limit = rlim_t(journal.size() + 10);
        program.setProcessEnvironment(copy_.Environment());
        program.setWorkingDirectory(copy_.Home());
        program.setChildProcessModifier([limit] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            struct rlimit small { limit, limit };
            ::setrlimit(RLIMIT_FSIZE, &small);
        });
        program.start(copy_.Program(), PrintArguments(3));
    } else {
        copy_.Start(program, PrintArguments(3));
    }
    ASSERT_TRUE(program.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "killed by signal " << program.exitCode();
    EXPECT_EQ(program.exitCode(), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(GetParam().kind == Unwritable::SizeLimit
                                    ? QStringLiteral("Cannot write file %1: File too large").arg(journal_)
                                    : QStringLiteral("The journal %1 is not one this program writes").arg(journal_)))
        << errors.toStdString();
    EXPECT_EQ(LastNumber(), 100);
    EXPECT_FALSE(QFile::exists(pdf_));
    EXPECT_TRUE(ReadBytes(journal_) == journal) << "the journal changed";
}

INSTANTIATE_TEST_SUITE_P(Rows, UnwritableJournalTest,
                         testing::Values(UnwritableRow { "ForeignHeader", Unwritable::Foreign },
                                         UnwritableRow { "OpenQuoteOnTheLastLine", Unwritable::OpenQuote },
                                         UnwritableRow { "FileSizeLimit", Unwritable::SizeLimit }),
                         [](const testing::TestParamInfo<UnwritableRow>& info) { return std::string(info.param.name); });

// Processes killed over and over, half of them the moment the counter in the settings
// file is replaced, the others at random: every number up to the counter is on record.
TEST_F(JournalFaultTest, KilledRunsLeaveEveryTakenNumberOnRecord)
{
    WriteBytes(settings_, "[SN]\r\nLastNumber=0\r\nPrefix=S-\r\n\r\n");
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(copy_.Dir()).constData(), IN_MOVED_TO), 0);
    const auto settingsReplaced = [&] {
        alignas(inotify_event) char buffer[4096];
        const ssize_t got = ::read(watch, buffer, sizeof(buffer));
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && QByteArray(event->name) == "Tallyforge.ini")
                return true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
        return false;
    };
    QRandomGenerator random(20261207);
    // A budget for a loaded machine, not a measure: the rounds stop early rather than drag.
    QElapsedTimer budget;
    budget.start();
    for (int round = 0; round < 40 && budget.elapsed() < 15000; ++round) {
        while (settingsReplaced()) { } // what the last round left
        QProcess program;
        copy_.Start(program, PrintArguments(1 + int(random.bounded(5))));
        ASSERT_TRUE(program.waitForStarted());
        const pid_t pid = pid_t(program.processId());
        if (round % 2 == 0) {
            pollfd wait { watch, POLLIN, 0 };
            while (::poll(&wait, 1, 10000) > 0 && !settingsReplaced()) { }
        } else {
            ::usleep(useconds_t(random.bounded(250000)));
        }
        ::kill(pid, SIGKILL);
        program.waitForFinished();
    }
    ::close(watch);
    ASSERT_GT(LastNumber(), 0);
    ExpectOnRecord(1, LastNumber());
}

// A run stopped after another run reserved behind it cannot give its tail back: the tail
// is void on its record, so no number is lost without a trace.
TEST_F(JournalFaultTest, TailThatCannotGoBackIsRecordedAsVoid)
{
    QProcess first;
    copy_.Start(first, PrintArguments(10000000));
    ASSERT_TRUE(first.waitForStarted());
    for (int waited = 0; LastNumber() == 100 && waited < 30000; waited += 5)
        QTest::qSleep(5);
    ASSERT_EQ(LastNumber(), 10000100) << "the long run did not reserve";
    const auto [code, errors] = Print(2);
    ASSERT_EQ(code, 0) << errors.toStdString();
    ASSERT_TRUE(apptest::WaitUntilCatches(first, SIGTERM, 30000));
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(LastNumber(), 10000102);
    const QList<TJournalRecord> runs = TJournal(journal_).Runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[1].status, TRunStatus::Cancelled);
    EXPECT_EQ(runs[1].voidLast, 10000100);
    ExpectOnRecord(101, LastNumber());
}

// A print killed after its record and before the counter moved took nothing: the next
// print takes those numbers and records the killed one as failed, so no later print is
// refused over them. A killed print that did move the counter keeps its numbers, even
// once the counter is set back by hand behind it.
TEST_F(JournalFaultTest, PrintKilledBeforeTheCounterMovedNeverBlocksTheSeries)
{
    const TJournal journal(journal_);
    // As such a kill leaves it: 101..105 on record, the counter still at 100.
    TJournalRecord tookNothing = Record(101, 105, TRunStatus::Interrupted);
    tookNothing.prefix = QStringLiteral("S-");
    journal.Append(tookNothing);
    auto [code, errors] = Print(3);
    ASSERT_EQ(code, 0) << errors.toStdString();
    std::tie(code, errors) = Print(3); // 104..106, inside the killed print's range
    ASSERT_EQ(code, 0) << errors.toStdString();
    EXPECT_EQ(LastNumber(), 106);
    const QList<TJournalRecord> runs = journal.Runs();
    const auto settled = std::find_if(runs.begin(), runs.end(), [&](const TJournalRecord& run) { return run.SameRun(tookNothing); });
    ASSERT_NE(settled, runs.end());
    EXPECT_EQ(settled->status, TRunStatus::Failed);
    EXPECT_FALSE(settled->first.has_value());
    ExpectOnRecord(101, 106);

    // 107..110 taken (the counter moved), then a print after it, then the counter set back.
    TJournalRecord tookItsNumbers = Record(107, 110, TRunStatus::Interrupted);
    tookItsNumbers.started = tookItsNumbers.started.addDays(1);
    tookItsNumbers.prefix = QStringLiteral("S-");
    journal.Append(tookItsNumbers);
    WriteBytes(settings_, "[SN]\r\nLastNumber=110\r\nPrefix=S-\r\n\r\n");
    std::tie(code, errors) = Print(2);
    ASSERT_EQ(code, 0) << errors.toStdString();
    WriteBytes(settings_, "[SN]\r\nLastNumber=106\r\nPrefix=S-\r\n\r\n");
    std::tie(code, errors) = Print(2);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("Serials 107 to 108 were printed already"))) << errors.toStdString();
    EXPECT_EQ(journal.Runs(108).value(0).status, TRunStatus::Interrupted);
}

} // namespace
