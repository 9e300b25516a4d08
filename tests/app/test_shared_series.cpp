// A series shared on a real PostgreSQL server by stations printing through the built
// program: at once, killed, with the server lost half way and with no server at all.
// Every check comes down to two rules: no serial on paper twice, and every number of the
// series is on paper or recorded as not printed (void, or inside an interrupted run).
#include "support_app.h"
#include "support_postgres.h"

#include "platform/Exception.h"
#include "run/SettingsFile.h"
#include "run/SharedSeries.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <thread>

// Failures show the texts, not their bytes.
void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

namespace {

const QByteArray kSettings = "[SN]\r\nLastNumber=7\r\nPrefix=S-\r\n\r\n[Paper]\r\nVerticalIndent2=5\r\n\r\n";

class SharedSeriesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new TestPostgres; }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_EQ(server_->Error(), QString());
        ASSERT_TRUE(server_->Start());
        ASSERT_TRUE(dir_.isValid());
        // A series of each test's own.
        series_ = QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name()).toLower();
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kSettings);
    }

    QByteArray Bytes(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList Arguments(QStringList arguments, const QString& uri = QString()) const
    {
        return arguments << QStringLiteral("--settings") << settings_ << QStringLiteral("--series-server")
                         << (uri.isEmpty() ? server_->Uri() : uri) << QStringLiteral("--series") << series_;
    }

    void Start(QProcess& program, const QStringList& arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir_.path());
        environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1")); // the PDF printer
        environment.remove(QStringLiteral("PGPASSWORD"));
        program.setProcessEnvironment(environment);
        apptest::EndWithTest(program);
        program.start(qEnvironmentVariable("TALLYFORGE_BINARY_DIR") + QStringLiteral("/src/app/tallyforge"), arguments);
    }

    // Exit code, standard output and the program's own lines of standard error.
    struct Ran {
        int code = -1;
        QString out;
        QString error;
    };
    static Ran Finish(QProcess& program)
    {
        Ran ran;
        if (!program.waitForFinished(60000))
            return ran;
        ran.code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        ran.out = QString::fromUtf8(program.readAllStandardOutput());
        for (const QString& line : QString::fromLocal8Bit(program.readAllStandardError()).split(QLatin1Char('\n')))
            if (!line.isEmpty() && !line.startsWith(QStringLiteral("QStandardPaths:")))
                ran.error += (ran.error.isEmpty() ? QString() : QStringLiteral("\n")) + line;
        return ran;
    }
    Ran Run(const QStringList& arguments, const QString& uri = QString()) const
    {
        QProcess program;
        Start(program, Arguments(arguments, uri));
        return Finish(program);
    }
    QString Pdf(const QString& name) const { return dir_.filePath(name); }
    // A print of `count` pages (100,000 unless told), once its pages are being drawn.
    bool StartLongRun(QProcess& program, const QString& pdf, const QStringList& options = {}, int count = 100000) const
    {
        Start(program, Arguments(Print(count, pdf) + options));
        if (!program.waitForStarted())
            return false;
        const auto drawing = [&] {
            return !QDir(dir_.path()).entryList({ QStringLiteral(".tallyforge-*.part") }, QDir::Hidden | QDir::Files).isEmpty();
        };
        for (int waited = 0; !drawing() && waited < 60000 && program.state() == QProcess::Running; waited += 20)
            QTest::qWait(20);
        return drawing();
    }
    QStringList Print(int count, const QString& pdf) const
    {
        return { QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--count"), QString::number(count),
                 QStringLiteral("--output"), Pdf(pdf) };
    }

    // Serial -> pages it stands on, over every PDF of the test.
    std::map<qint64, int> SerialsOnPaper() const
    {
        std::map<qint64, int> serials;
        const QRegularExpression serial(QStringLiteral("S-(-?\\d+)"));
        for (const QString& name : QDir(dir_.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files))
            for (const QString& page : apptest::PdfText(dir_.filePath(name)).split(QLatin1Char('\f')))
                if (const QRegularExpressionMatch match = serial.match(page); match.hasMatch())
                    ++serials[match.captured(1).toLongLong()];
        return serials;
    }

    qint64 SeriesLast() const
    {
        return server_->Query(QStringLiteral("SELECT last FROM tallyforge_series WHERE name = '%1'").arg(series_)).toLongLong();
    }

    // Checks that the runs table accounts for every number from `from` to the series'
    // last exactly once (printed, void, or reserved by an interrupted run) and that what
    // it records as printed is exactly what the PDFs hold, each serial once.
    void ExpectAccounted(qint64 from) const
    {
        const QString rows = server_->Query(QStringLiteral(
            "SELECT kind, status, coalesce(first::text, ''), coalesce(last::text, ''), coalesce(reserved_first::text, ''), "
            "coalesce(reserved_last::text, ''), coalesce(void_first::text, ''), coalesce(void_last::text, '') "
            "FROM tallyforge_runs WHERE series = '%1' ORDER BY id").arg(series_));
        ASSERT_FALSE(rows.isNull());
        std::map<qint64, int> covered;
        std::map<qint64, int> printed;
        const auto cover = [](std::map<qint64, int>& map, const QString& first, const QString& last) {
            if (!first.isEmpty())
                for (qint64 n = first.toLongLong(); n <= last.toLongLong(); ++n)
                    ++map[n];
        };
        for (const QString& row : rows.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList f = row.split(QLatin1Char('|'));
            ASSERT_EQ(f.size(), 8) << row.toStdString();
            if (f[0] == QStringLiteral("print") && f[1] == QStringLiteral("interrupted")) {
                cover(covered, f[4], f[5]);
                continue;
            }
            if (f[0] == QStringLiteral("print"))
                cover(printed, f[2], f[3]);
            if (f[0] == QStringLiteral("print"))
                cover(covered, f[2], f[3]);
            cover(covered, f[6], f[7]);
        }
        const qint64 last = SeriesLast();
        for (qint64 n = from; n <= last; ++n)
            ASSERT_EQ(covered[n], 1) << "number " << n << " of " << from << "-" << last;
        ASSERT_EQ(covered.size(), size_t(last - from + 1)) << "a number past the series' last is recorded";
        const std::map<qint64, int> paper = SerialsOnPaper();
        for (const auto& [serial, pages] : paper)
            ASSERT_EQ(pages, 1) << "serial " << serial << " printed " << pages << " times";
        EXPECT_EQ(paper, printed);
    }

    // A station's print of the series, as a run begins it.
    static TJournalRecord Record(const QString& host)
    {
        TJournalRecord record;
        record.started = QDateTime::currentDateTimeUtc();
        record.kind = TRunKind::Print;
        record.prefix = QStringLiteral("S-");
        record.user = QStringLiteral("tester");
        record.host = host;
        return record;
    }
    // The range a print of `count` reserved; 0-0 when none.
    static std::pair<int, int> Reserve(TSharedSeries& station, TJournalRecord& record, int count)
    {
        const TSeriesStore::Begun begun = station.Begin(record, count, true, QString());
        return begun.reservation ? std::make_pair(begun.reservation->first, begun.reservation->last) : std::make_pair(0, 0);
    }
    // The run's end after `pages` pages from its first number.
    static void Ended(TJournalRecord& record, int pages, TRunStatus status)
    {
        record.finished = QDateTime::currentDateTimeUtc();
        record.status = status;
        record.pages = pages;
        if (pages > 0)
            record.last = *record.first + pages - 1;
        else
            record.first = record.last = std::nullopt;
    }
    QString Spool() const { return TSharedSeries::SpoolBeside(settings_); }

    static TestPostgres* server_;
    QTemporaryDir dir_;
    QString settings_;
    QString series_;
};

TestPostgres* SharedSeriesTest::server_ = nullptr;

// Four stations at once, 25 runs of 1 to 20 pages: each serial once, every number
// accounted for, and the settings file (a local series of its own) left alone.
TEST_F(SharedSeriesTest, FourStationsAtOnce)
{
    const QByteArray before = Bytes(settings_);
    QRandomGenerator random(13);
    QList<QProcess*> running;
    int started = 0;
    int pages = 0;
    while (started < 25 || !running.isEmpty()) {
        while (started < 25 && running.size() < 4) {
            auto* program = new QProcess;
            const int count = random.bounded(1, 21);
            pages += count;
            Start(*program, Arguments(Print(count, QStringLiteral("run%1.pdf").arg(started++))));
            running << program;
        }
        QProcess* first = running.takeFirst();
        const Ran ran = Finish(*first);
        delete first;
        ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
        ASSERT_EQ(ran.error, QString());
    }
    EXPECT_EQ(SeriesLast(), pages);
    ExpectAccounted(1);
    EXPECT_EQ(Bytes(settings_), before);

    // log lists every station's runs from the server.
    const Ran log = Run({ QStringLiteral("log"), QStringLiteral("--csv") });
    ASSERT_EQ(log.code, 0) << log.error.toStdString();
    EXPECT_EQ(log.out.count(QStringLiteral("\r\n")), 26);
    EXPECT_EQ(log.out.count(QStringLiteral(",print,completed,")), 25);
}

// A station killed mid-run leaves an interrupted run holding its whole range; the
// series goes on after it.
TEST_F(SharedSeriesTest, StationKilledMidRun)
{
    QProcess program;
    ASSERT_TRUE(StartLongRun(program, QStringLiteral("killed.pdf")));
    ::kill(pid_t(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(10000));

    EXPECT_EQ(server_->Query(QStringLiteral("SELECT status, first, last, reserved_first, reserved_last FROM tallyforge_runs WHERE series = '%1'").arg(series_)),
              QStringLiteral("interrupted|1|100000|1|100000"));
    const Ran after = Run(Print(3, QStringLiteral("after.pdf")));
    ASSERT_EQ(after.code, 0) << after.error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("after.pdf")), 1).contains(QStringLiteral("S-100001")));
    ExpectAccounted(1);
}

// A cancelled run gives back its tail only while the series still ends with it: once
// another station reserved after it, the tail is void and never handed out again.
TEST_F(SharedSeriesTest, CancelledRunGivesBackOnlyAnUntakenTail)
{
    for (const bool other : { false, true }) {
        SCOPED_TRACE(other ? "another station reserved after it" : "nobody reserved after it");
        const qint64 before = SeriesLast();
        QProcess program;
        ASSERT_TRUE(StartLongRun(program, QStringLiteral("cancelled%1.pdf").arg(other)));
        if (other) {
            ASSERT_EQ(Run(Print(2, QStringLiteral("other.pdf"))).code, 0);
        }
        ::kill(pid_t(program.processId()), SIGINT);
        ASSERT_EQ(Finish(program).code, 130);
        const QString printed = server_->Query(QStringLiteral("SELECT last FROM tallyforge_runs WHERE series = '%1' AND status = 'cancelled' ORDER BY id DESC LIMIT 1").arg(series_));
        ASSERT_GT(printed.toLongLong(), before);
        EXPECT_EQ(SeriesLast(), other ? before + 100002 : printed.toLongLong());
        EXPECT_EQ(server_->Query(QStringLiteral("SELECT coalesce(void_first, 0), coalesce(void_last, 0) FROM tallyforge_runs WHERE series = '%1' AND status = 'cancelled' ORDER BY id DESC LIMIT 1").arg(series_)),
                  other ? QStringLiteral("%1|%2").arg(printed.toLongLong() + 1).arg(before + 100000) : QStringLiteral("0|0"));
    }
    ExpectAccounted(1);
}

// A cut-and-stack run stopped part way keeps its serials on the server with which of them
// did not come out, so any station's `tallyforge resume` prints exactly the sheets left.
TEST_F(SharedSeriesTest, StoppedStackRunIsResumedFromTheServer)
{
    const qint64 before = SeriesLast();
    QProcess program;
    ASSERT_TRUE(StartLongRun(program, QStringLiteral("first.pdf"), { QStringLiteral("--sheet"), QStringLiteral("2x4"),
                                                                     QStringLiteral("--order"), QStringLiteral("stack") }, 40000));
    QTest::qWait(50);
    ::kill(pid_t(program.processId()), SIGINT);
    ASSERT_EQ(Finish(program).code, 130);
    EXPECT_EQ(SeriesLast(), before + 40000);
    const Ran rest = Run({ QStringLiteral("resume"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("rest.pdf")) });
    ASSERT_EQ(rest.code, 0) << rest.error.toStdString();
    const int firstSheets = apptest::PdfPageCount(Pdf(QStringLiteral("first.pdf")));
    EXPECT_GT(firstSheets, 0);
    EXPECT_EQ(firstSheets + apptest::PdfPageCount(Pdf(QStringLiteral("rest.pdf"))), 5000);
    EXPECT_EQ(Run({ QStringLiteral("resume"), QStringLiteral("--output"), Pdf(QStringLiteral("more.pdf")) }).code, 1);
    EXPECT_EQ(SeriesLast(), before + 40000);
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT status, details <> '' FROM tallyforge_runs WHERE series = '%1' AND kind = 'resume'").arg(series_)),
              QStringLiteral("completed|t"));
}

// One station at a time prints a rest: a second is refused, naming the one that prints it;
// a station killed as it prints frees the rest at once, and the next prints all of it.
TEST_F(SharedSeriesTest, OneStationAtATimeResumesARest)
{
    QProcess first;
    ASSERT_TRUE(StartLongRun(first, QStringLiteral("first.pdf"), { QStringLiteral("--sheet"), QStringLiteral("2x4"),
                                                                   QStringLiteral("--order"), QStringLiteral("stack") }, 40000));
    ::kill(pid_t(first.processId()), SIGINT);
    ASSERT_EQ(Finish(first).code, 130);
    QProcess holder;
    Start(holder, Arguments({ QStringLiteral("resume"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("killed.pdf")) }));
    const auto drawing = [&] {
        return !QDir(dir_.path()).entryList({ QStringLiteral(".tallyforge-*.part") }, QDir::Hidden | QDir::Files).isEmpty();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawing() || holder.state() == QProcess::NotRunning; }, 60000));
    ASSERT_TRUE(drawing()) << "the first resume ended before it printed";
    // Held still while it holds the claim, however fast it prints.
    ::kill(pid_t(holder.processId()), SIGSTOP);
    const Ran refused = Run({ QStringLiteral("resume"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("other.pdf")) });
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.error.contains(QStringLiteral("is being printed by")) && refused.error.contains(QStringLiteral("(process %1)").arg(holder.processId())))
        << refused.error.toStdString();
    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));

    const Ran rest = Run({ QStringLiteral("resume"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("rest.pdf")) });
    ASSERT_EQ(rest.code, 0) << rest.error.toStdString();
    EXPECT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("first.pdf"))) + apptest::PdfPageCount(Pdf(QStringLiteral("rest.pdf"))), 5000);
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("killed.pdf"))));
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("other.pdf"))));
}

// The server lost during a run: the run ends, says its record waits in the spool, and
// the record reaches the server once it is back; the tail nobody took is given back.
TEST_F(SharedSeriesTest, ServerLostMidRun)
{
    ASSERT_EQ(Run(Print(5, QStringLiteral("first.pdf"))).code, 0);
    QProcess program;
    ASSERT_TRUE(StartLongRun(program, QStringLiteral("lost.pdf")));
    ASSERT_TRUE(server_->Stop());
    ::kill(pid_t(program.processId()), SIGINT);
    const Ran ran = Finish(program);
    EXPECT_EQ(ran.code, 130);
    const QString spool = dir_.filePath(QStringLiteral("Tallyforge-series-spool.jsonl"));
    EXPECT_TRUE(ran.error.contains(QStringLiteral("waits in %1 and is sent when the server is back").arg(spool))) << ran.error.toStdString();
    ASSERT_TRUE(QFile::exists(spool));

    ASSERT_TRUE(server_->Start());
    const Ran show = Run({ QStringLiteral("series"), QStringLiteral("show") });
    ASSERT_EQ(show.code, 0) << show.error.toStdString();
    EXPECT_FALSE(QFile::exists(spool));
    const std::map<qint64, int> paper = SerialsOnPaper();
    ASSERT_GT(paper.size(), 5u);
    const qint64 last = paper.rbegin()->first;
    ASSERT_LT(last, 100005);
    EXPECT_EQ(show.out, QStringLiteral("series  %1\nserver  127.0.0.1:%2/postgres\nlast    %3\nnext    %4\n")
                            .arg(series_).arg(server_->Port()).arg(last).arg(last + 1));
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT status, first, last, pages, void_first IS NULL FROM tallyforge_runs WHERE series = '%1' ORDER BY id DESC LIMIT 1").arg(series_)),
              QStringLiteral("cancelled|6|%1|%2|t").arg(last).arg(last - 5));
    ExpectAccounted(1);
}

// Before a run: a server that cannot be reached, or that holds a newer schema, stops it
// with a clear message; nothing is printed and nothing moves.
TEST_F(SharedSeriesTest, RefusedBeforeTheRun)
{
    ASSERT_FALSE(server_->Query(QStringLiteral("CREATE DATABASE newer")).isNull());
    const QString newer = QStringLiteral("postgresql://tallyforge@127.0.0.1:%1/newer?sslmode=disable").arg(server_->Port());
    ASSERT_FALSE(QProcess::execute(QStringLiteral("psql"), { QStringLiteral("-Xq"), QStringLiteral("-d"), newer, QStringLiteral("-c"),
                                                             QStringLiteral("CREATE TABLE tallyforge_schema (version integer); INSERT INTO tallyforge_schema VALUES (2)") }));
    const int closed = server_->Port() == 1 ? 2 : 1;
    const struct {
        const char* name;
        QString uri;
        QString error;
    } rows[] = {
        { "unreachable", QStringLiteral("postgresql://tallyforge@127.0.0.1:%1/postgres").arg(closed),
          QStringLiteral("tallyforge: Cannot reach the series server 127.0.0.1:%1/postgres: connection to server at \"127.0.0.1\", port %1 failed: Connection refused.").arg(closed) },
        { "newer schema", newer,
          QStringLiteral("tallyforge: The series server 127.0.0.1:%1/newer holds Tallyforge's tables in version 2, newer than this program knows (1): use a newer Tallyforge.").arg(server_->Port()) },
    };
    const QByteArray before = Bytes(settings_);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Ran ran = Run(Print(3, QStringLiteral("never.pdf")), row.uri);
        EXPECT_EQ(ran.code, 1);
        EXPECT_EQ(ran.error, row.error);
        EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("never.pdf"))));
        EXPECT_EQ(Bytes(settings_), before);
        EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("Tallyforge-series-spool.jsonl"))));
    }
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT last FROM tallyforge_series WHERE name = '%1'").arg(series_)), QString());
}

// A run with a step and a check character on the server: the series moves past the
// numbers the step passes over, a stopped run gives back only what its pages did not use,
// and a reprint from another station prints the serial with its check as the run did.
TEST_F(SharedSeriesTest, StepAndCheckAreKeptOnTheServer)
{
    const qint64 before = SeriesLast();
    Ran ran = Run(Print(5, QStringLiteral("stepped.pdf")) << QStringLiteral("--step") << QStringLiteral("10")
                                                           << QStringLiteral("--check") << QStringLiteral("mod7"));
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    EXPECT_EQ(SeriesLast(), before + 50);
    const qint64 third = before + 21;
    // mod7: the number's remainder divided by 7.
    const QString printed = QStringLiteral("S-%1%2").arg(third).arg(third % 7);
    EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("stepped.pdf")), 3).count(printed), 2);
    ran = Run({ QStringLiteral("reprint"), QString::number(third), QString::number(third), QStringLiteral("--output"),
                Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("again.pdf"))).contains(printed));
    // A number the step passed over was never printed.
    EXPECT_EQ(Run({ QStringLiteral("reprint"), QString::number(third + 1), QString::number(third + 1), QStringLiteral("--output"),
                    Pdf(QStringLiteral("never.pdf")) }).code, 1);

    // Stopped part way: the series goes back to the last number its pages used.
    QProcess program;
    ASSERT_TRUE(StartLongRun(program, QStringLiteral("long.pdf"), { QStringLiteral("--step"), QStringLiteral("3") }));
    QTest::qWait(100);
    ::kill(pid_t(program.processId()), SIGINT);
    ASSERT_EQ(Finish(program).code, 130);
    const int pages = apptest::PdfPageCount(Pdf(QStringLiteral("long.pdf")));
    ASSERT_GT(pages, 0);
    EXPECT_EQ(SeriesLast(), before + 50 + qint64(pages) * 3);
}

// set-next moves the series, records the numbers it skips as void, and refuses to go
// back over numbers handed out unless forced; reprints are recorded on the server.
TEST_F(SharedSeriesTest, SetNextAndReprint)
{
    ASSERT_EQ(Run(Print(4, QStringLiteral("a.pdf"))).code, 0);
    Ran ran = Run({ QStringLiteral("series"), QStringLiteral("set-next"), QStringLiteral("50") });
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    EXPECT_TRUE(ran.out.contains(QStringLiteral("last    49\nnext    50\n"))) << ran.out.toStdString();
    ran = Run({ QStringLiteral("series"), QStringLiteral("set-next"), QStringLiteral("3") });
    EXPECT_EQ(ran.code, 1);
    EXPECT_EQ(ran.error, QStringLiteral("tallyforge: Serials 3 to 49 of series %1 were handed out already (--force sets it back all the same)").arg(series_));
    ASSERT_EQ(Run(Print(2, QStringLiteral("b.pdf"))).code, 0);
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("b.pdf")), 1).contains(QStringLiteral("S-50")));
    ExpectAccounted(1);

    ran = Run({ QStringLiteral("reprint"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("--quiet"),
                QStringLiteral("--output"), dir_.filePath(QStringLiteral("again.pdf.x")) });
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    ran = Run({ QStringLiteral("reprint"), QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("--output"),
                dir_.filePath(QStringLiteral("void.pdf.x")) });
    EXPECT_EQ(ran.code, 1);
    EXPECT_EQ(ran.error, QStringLiteral("tallyforge: Serials S-10 to S-11 were never printed (--force reprints them all the same)"));
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT kind, status, first, last, pages FROM tallyforge_runs WHERE series = '%1' AND kind <> 'print' ORDER BY id").arg(series_)),
              QStringLiteral("set-next|completed|||0\nreprint|completed|2|3|2"));

    // Another station, whose settings say otherwise, reprints the run as it printed: its
    // design comes from the server.
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    QFile otherSettings(other.filePath(QStringLiteral("Tallyforge.ini")));
    ASSERT_TRUE(otherSettings.open(QIODevice::WriteOnly));
    otherSettings.write("[SN]\r\nPrefix=Z-\r\n\r\n[Font]\r\nSize=40\r\n");
    otherSettings.close();
    QProcess station;
    Start(station, { QStringLiteral("reprint"), QStringLiteral("S-2"), QStringLiteral("S-3"), QStringLiteral("--quiet"),
                     QStringLiteral("--output"), other.filePath(QStringLiteral("again.pdf")), QStringLiteral("--settings"),
                     otherSettings.fileName(), QStringLiteral("--series-server"), server_->Uri(), QStringLiteral("--series"), series_ });
    ran = Finish(station);
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    EXPECT_TRUE(apptest::PdfText(other.filePath(QStringLiteral("again.pdf")), 1).contains(QStringLiteral("S-2 REPRINT")));
    EXPECT_FALSE(QDir(other.filePath(QStringLiteral("Tallyforge-designs"))).exists());
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT count(*) FROM tallyforge_designs d JOIN tallyforge_runs r ON r.details LIKE '%' || d.sha256 || '%' WHERE r.series = '%1' AND r.kind = 'print'").arg(series_)),
              QStringLiteral("2"));
}

// A --start on a shared series is a question of the print room: refused without --force,
// naming where the series goes on; forced, the series is set there (the numbers skipped
// void) and the run prints from it. A start behind the series names the numbers handed
// out already, and is refused before anything moves.
TEST_F(SharedSeriesTest, TypedStartSetsTheSeriesWhenForced)
{
    ASSERT_EQ(Run(Print(4, QStringLiteral("a.pdf"))).code, 0);
    const QStringList at20 { QStringLiteral("--start"), QStringLiteral("20") };
    Ran ran = Run(Print(2, QStringLiteral("b.pdf")) + at20);
    EXPECT_EQ(ran.code, 1);
    EXPECT_EQ(ran.error, QStringLiteral("tallyforge: Series '%1' continues at 5; this run sets it to continue at 20 (--force sets the series there)").arg(series_));
    EXPECT_EQ(SeriesLast(), 4);
    ran = Run(Print(2, QStringLiteral("b.pdf")) + at20 + QStringList { QStringLiteral("--force") });
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    EXPECT_EQ(SeriesLast(), 21);
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("b.pdf")), 1).contains(QStringLiteral("S-20")));

    ran = Run(Print(2, QStringLiteral("c.pdf")) + QStringList { QStringLiteral("--start"), QStringLiteral("3") });
    EXPECT_EQ(ran.code, 1);
    EXPECT_EQ(ran.error, QStringLiteral("tallyforge: Series '%1' continues at 22; this run sets it to continue at 3, though serials 3 to 21 were handed out already (--force sets the series there)").arg(series_));
    EXPECT_EQ(SeriesLast(), 21);
    ExpectAccounted(1);
}

// The local counter's number rules: the series wraps as a signed 32-bit number; a count
// below 1 is a usage error that takes no number.
TEST_F(SharedSeriesTest, WrapsAndPrintsOneBelowOne)
{
    ASSERT_EQ(Run({ QStringLiteral("series"), QStringLiteral("set-next"), QStringLiteral("2147483646") }).code, 0);
    Ran ran = Run(Print(3, QStringLiteral("wrap.pdf")));
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    ran = Run(Print(0, QStringLiteral("none.pdf")));
    ASSERT_EQ(ran.code, 2) << ran.error.toStdString();
    ran = Run(Print(1, QStringLiteral("one.pdf")));
    ASSERT_EQ(ran.code, 0) << ran.error.toStdString();
    const std::map<qint64, int> expected { { 2147483646, 1 }, { 2147483647, 1 }, { -2147483648LL, 1 }, { -2147483647LL, 1 } };
    EXPECT_EQ(SerialsOnPaper(), expected);
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT first, last, pages FROM tallyforge_runs WHERE series = '%1' AND kind = 'print' ORDER BY id").arg(series_)),
              QStringLiteral("2147483646|-2147483648|3\n-2147483647|-2147483647|1"));
    ran = Run({ QStringLiteral("series"), QStringLiteral("show") });
    EXPECT_TRUE(ran.out.endsWith(QStringLiteral("last    -2147483647\nnext    -2147483646\n"))) << ran.out.toStdString();
}

// A final record sent twice (the spool sent, then sent again because the station crashed
// before rewriting it) changes nothing the second time: the tail it gave back, taken by
// another station since, is not given back again for a third station to print.
TEST_F(SharedSeriesTest, FinalRecordSentTwiceChangesNothing)
{
    TJournalRecord a = Record(QStringLiteral("a"));
    {
        TSharedSeries station(server_->Uri(), series_, Spool());
        ASSERT_EQ(Reserve(station, a, 10), std::make_pair(1, 10));
        ASSERT_TRUE(server_->Stop());
        Ended(a, 3, TRunStatus::Cancelled);
        station.End(a);
        ASSERT_TRUE(station.Problem().contains(QStringLiteral("waits in"))) << station.Problem().toStdString();
    }
    ASSERT_TRUE(server_->Start());
    const QByteArray spooled = Bytes(Spool());
    ASSERT_FALSE(spooled.isEmpty());

    TSharedSeries b(server_->Uri(), series_, Spool());
    b.Connect(); // sends the spool: 4 to 10 back
    ASSERT_FALSE(QFile::exists(Spool()));
    ASSERT_EQ(SeriesLast(), 3);
    TJournalRecord rb = Record(QStringLiteral("b"));
    ASSERT_EQ(Reserve(b, rb, 7), std::make_pair(4, 10));

    for (int again = 0; again < 2; ++again) {
        QFile file(Spool());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(spooled);
        file.close();
        TSharedSeries c(server_->Uri(), series_, Spool());
        c.Connect();
        EXPECT_FALSE(QFile::exists(Spool()));
        EXPECT_EQ(SeriesLast(), 10);
    }
    TSharedSeries c(server_->Uri(), series_, Spool());
    TJournalRecord rc = Record(QStringLiteral("c"));
    EXPECT_EQ(Reserve(c, rc, 7), std::make_pair(11, 17));
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT host, status, first, last, pages, void_first, void_last FROM tallyforge_runs WHERE series = '%1' ORDER BY id").arg(series_)),
              QStringLiteral("a|cancelled|1|3|3||\nb|interrupted|4|10|0||\nc|interrupted|11|17|0||"));
}

// The spooler's later word on a run that has ended (a job the printer cancelled part way)
// replaces the run's record on the server, as it does in a local journal.
TEST_F(SharedSeriesTest, SpoolersLaterWordReplacesTheEndedRecord)
{
    TSharedSeries station(server_->Uri(), series_, Spool());
    TJournalRecord a = Record(QStringLiteral("a"));
    ASSERT_EQ(Reserve(station, a, 5), std::make_pair(1, 5));
    Ended(a, 5, TRunStatus::Sent);
    station.End(a);
    a.status = TRunStatus::Cancelled;
    a.pages = 2;
    station.Settle(a);
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT status, first, last, pages FROM tallyforge_runs WHERE series = '%1'").arg(series_)),
              QStringLiteral("cancelled|1|5|2"));
    EXPECT_EQ(SeriesLast(), 5); // the numbers of a job that went stay used
}

// A series server that takes a connection and never answers (a table lock held by
// another session, a hung server) holds no station: Begin raises and End sends the
// record to the spool, as with a lost server, after the station's time limit.
TEST_F(SharedSeriesTest, StalledServerHoldsNoStation)
{
    TSharedSeries a(server_->Uri(), series_, Spool());
    a.SetTimeLimit(1000);
    TJournalRecord ra = Record(QStringLiteral("a"));
    ASSERT_EQ(Reserve(a, ra, 10), std::make_pair(1, 10));
    const auto beginFails = [&](const QString& host) {
        TSharedSeries station(server_->Uri(), series_, Spool());
        station.SetTimeLimit(1000);
        TJournalRecord record = Record(host);
        try {
            station.Connect();
            if (host == QStringLiteral("frozen")) {
                EXPECT_TRUE(server_->Freeze(true));
            }
            // A reprint, which takes no numbers: what the server does once it goes on
            // leaves the series as it was.
            record.kind = TRunKind::Reprint;
            record.first = 1;
            record.last = 3;
            station.Begin(record, 3, false, QString());
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    };

    {
        SCOPED_TRACE("a table lock held by another session");
        QProcess psql;
        psql.start(QStringLiteral("psql"), { QStringLiteral("-XAtq"), QStringLiteral("-d"), server_->Uri(), QStringLiteral("-c"),
                                             QStringLiteral("BEGIN; LOCK TABLE tallyforge_series, tallyforge_runs; SELECT pg_sleep(30); COMMIT") });
        const QString locked = QStringLiteral("SELECT count(*) FROM pg_locks l JOIN pg_class c ON c.oid = l.relation "
                                              "WHERE c.relname = 'tallyforge_series' AND l.mode = 'AccessExclusiveLock' AND l.granted");
        for (int waited = 0; server_->Query(locked) != QStringLiteral("1") && waited < 10000; waited += 50)
            QTest::qWait(50);
        ASSERT_EQ(server_->Query(locked), QStringLiteral("1"));
        Ended(ra, 3, TRunStatus::Cancelled);
        a.End(ra);
        EXPECT_TRUE(a.Problem().contains(QStringLiteral("did not answer within 1 s")) && a.Problem().contains(QStringLiteral("waits in")))
            << a.Problem().toStdString();
        EXPECT_TRUE(QFile::exists(Spool()));
        EXPECT_TRUE(beginFails(QStringLiteral("locked")).contains(QStringLiteral("did not answer within 1 s")));
        ASSERT_FALSE(server_->Query(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE query LIKE 'BEGIN; LOCK TABLE%'")).isNull());
        psql.waitForFinished(10000);
    }
    TSharedSeries b(server_->Uri(), series_, Spool());
    b.SetTimeLimit(1000);
    b.Connect(); // the spool: 4 to 10 back
    ASSERT_FALSE(QFile::exists(Spool()));
    ASSERT_EQ(SeriesLast(), 3);
    TJournalRecord rb = Record(QStringLiteral("b"));
    ASSERT_EQ(Reserve(b, rb, 10), std::make_pair(4, 13));

    {
        SCOPED_TRACE("a server that stopped");
        // Should the station wait for the server regardless, the server goes on after a while.
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            done.wait_for(lock, std::chrono::seconds(15), [&] { return finished; });
            server_->Freeze(false);
        });
        const QString message = beginFails(QStringLiteral("frozen"));
        Ended(rb, 2, TRunStatus::Cancelled);
        b.End(rb);
        const QString problem = b.Problem();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        done.notify_all();
        watchdog.join();
        EXPECT_TRUE(message.contains(QStringLiteral("did not answer within 1 s"))) << message.toStdString();
        EXPECT_TRUE(problem.contains(QStringLiteral("did not answer within 1 s")) && problem.contains(QStringLiteral("waits in")))
            << problem.toStdString();
    }
    TSharedSeries c(server_->Uri(), series_, Spool());
    c.Connect(); // the spool: 6 to 13 back
    EXPECT_FALSE(QFile::exists(Spool()));
    EXPECT_EQ(SeriesLast(), 5);
}

// A server that stops answering during a run does not hold the command line: once the
// run's record is in the spool the command ends, while the server is still stalled.
TEST_F(SharedSeriesTest, CommandEndsOnceItsRecordIsSpooled)
{
    QProcess program;
    ASSERT_TRUE(StartLongRun(program, QStringLiteral("stalled.pdf")));
    ASSERT_TRUE(server_->Freeze(true));
    ::kill(pid_t(program.processId()), SIGINT);
    // Past the command's own time limit for the server (15 s and its margin), not until
    // the server goes on.
    const bool ended = program.waitForFinished(50000);
    const bool stillStalled = ended && program.exitStatus() == QProcess::NormalExit;
    ASSERT_TRUE(server_->Freeze(false));
    ASSERT_TRUE(stillStalled) << "the command waited for the stalled server";
    EXPECT_EQ(program.exitCode(), 130);
    const QString error = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(error.contains(QStringLiteral("did not answer")) && error.contains(QStringLiteral("waits in"))) << error.toStdString();
    EXPECT_EQ(TSharedSeries(server_->Uri(), series_, Spool()).Waiting(), 1);
}

// No message, status or server text shows the password of the series server's address,
// in either form and even when the address cannot be read.
TEST_F(SharedSeriesTest, MessagesNeverShowThePassword)
{
    const int closed = server_->Port() == 1 ? 2 : 1;
    const QString secret = QStringLiteral("Pw0rdXyz");
    const QString servers[] = {
        QStringLiteral("postgresql://tallyforge:%2@127.0.0.1:%1/postgres"),
        QStringLiteral("host=127.0.0.1 port=%1 user=tallyforge password=%2 dbname=postgres"),
        QStringLiteral("host=127.0.0.1 port=%1 password='%2' dbname"),
        QStringLiteral("postgresql://tallyforge:%2@[::1:%1/postgres"),
        QStringLiteral("postgresql://tallyforge@127.0.0.1:%1/postgres?password=%2"),
    };
    for (const QString& server : servers) {
        const QString address = server.arg(closed).arg(secret);
        SCOPED_TRACE(address.toStdString());
        QStringList texts;
        QString error;
        try {
            TSharedSeries station(address, series_, Spool());
            texts << station.ServerText() << station.StatusText() << station.Where();
            TJournalRecord record = Record(QStringLiteral("a"));
            try {
                Reserve(station, record, 3);
            } catch (const Exception& e) {
                error = e.Message();
            }
            texts << station.Problem();
        } catch (const Exception& e) {
            error = e.Message();
        }
        EXPECT_TRUE(error.contains(QStringLiteral("series server"))) << error.toStdString();
        texts << error;
        for (const QString& text : texts)
            EXPECT_FALSE(text.contains(secret)) << text.toStdString();
    }
}

// The void columns hold exactly the numbers a run reserved and did not print, nothing
// for a run that printed them all; a record that can neither reach the server nor be
// kept in the spool is an error, not a record that waits.
TEST_F(SharedSeriesTest, VoidIsExactlyTheUnprintedAndAnUnwritableSpoolIsAnError)
{
    TSharedSeries a(server_->Uri(), series_, Spool());
    TJournalRecord ra = Record(QStringLiteral("a"));
    ASSERT_EQ(Reserve(a, ra, 5), std::make_pair(1, 5));
    Ended(ra, 5, TRunStatus::Completed);
    a.End(ra);
    TJournalRecord rb = Record(QStringLiteral("b"));
    ASSERT_EQ(Reserve(a, rb, 5), std::make_pair(6, 10));
    TSharedSeries c(server_->Uri(), series_, Spool());
    TJournalRecord rc = Record(QStringLiteral("c"));
    ASSERT_EQ(Reserve(c, rc, 2), std::make_pair(11, 12));
    Ended(rb, 2, TRunStatus::Cancelled);
    a.End(rb);
    EXPECT_EQ(a.Problem(), QString());
    EXPECT_EQ(server_->Query(QStringLiteral("SELECT host, status, first, last, coalesce(void_first::text, '-'), coalesce(void_last::text, '-') FROM tallyforge_runs WHERE series = '%1' ORDER BY id").arg(series_)),
              QStringLiteral("a|completed|1|5|-|-\nb|cancelled|6|7|8|10\nc|interrupted|11|12|-|-"));

    // A file where the spool's folder should be.
    QFile notFolder(dir_.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(notFolder.open(QIODevice::WriteOnly));
    notFolder.close();
    TSharedSeries d(server_->Uri(), series_, notFolder.fileName() + QStringLiteral("/Tallyforge-series-spool.jsonl"));
    TJournalRecord rd = Record(QStringLiteral("d"));
    ASSERT_EQ(Reserve(d, rd, 4), std::make_pair(13, 16));
    ASSERT_TRUE(server_->Stop());
    Ended(rd, 1, TRunStatus::Cancelled);
    d.End(rd);
    ASSERT_TRUE(server_->Start());
    EXPECT_FALSE(d.Problem().contains(QStringLiteral("waits"))) << d.Problem().toStdString();
    EXPECT_TRUE(d.Problem().contains(QStringLiteral("could not be kept in %1").arg(notFolder.fileName()))) << d.Problem().toStdString();
}

// A settings file without [Series] stays byte for byte as it was through a session's
// load and save; [Series] stays when a save does not know it.
TEST(SharedSeriesSettings, SeriesKeysAreWrittenOnlyWhenSet)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tallyforge.ini"));
    const struct {
        const char* name;
        QByteArray file;
        bool forget; // saved by a caller that left the series out
    } rows[] = {
        { "without series", kSettings, false },
        { "with series", kSettings + "[Series]\r\nServer=postgresql://pr@db.example/print\r\nName=tickets\r\n\r\n", false },
        { "with series, saved without", kSettings + "[Series]\r\nServer=postgresql://pr@db.example/print\r\nName=tickets\r\n\r\n", true },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.file);
        file.close();
        // What SaveSettingsFile writes of the loaded values is the file's own layout.
        TallyforgeSettings settings = LoadSettingsFile(path);
        SaveSettingsFile(path, settings);
        const QByteArray saved = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        if (row.forget) {
            settings.SeriesServer.clear();
            settings.SeriesName.clear();
            SaveSettingsFile(path, settings);
        }
        const TallyforgeSettings again = LoadSettingsFile(path);
        EXPECT_EQ(again.SeriesName, row.file.contains("Name=tickets") ? QStringLiteral("tickets") : QString());
        EXPECT_EQ(again.SeriesServer.isEmpty(), !row.file.contains("Server="));
        QFile after(path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), saved);
        EXPECT_EQ(saved.contains("[Series]"), row.file.contains("[Series]"));
    }
}

} // namespace

#include "support_window.h"

#include "app/PrintLog.h"
#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/Printer.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QMenu>
#include <QTableView>

namespace {

// The window on a shared series: the starting number is the series' next number when a
// print starts (whatever other stations printed meanwhile), a starting number the user
// changed moves the series only when the user says so, and the settings file's own
// counter is never touched.
TEST_F(SharedSeriesTest, WindowPrintsFromTheSeries)
{
    {
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QStringLiteral("[Series]\r\nServer=%1\r\nName=%2\r\n\r\n").arg(server_->Uri(), series_).toUtf8());
    }
    apptest::EnsureApplication();
    TPrinter::InstallTestDevice({ 600, 600, 5100, 6600, 100, 150, 4900, 6300 });
    Printer().SetOutputFolder(dir_.path());
    QStringList errors;
    QStringList questions;
    app::SetErrorHandler([&](const QString&, const QString& text) { errors << text; });
    app::SetQuestionHandler([&](const QString&, const QString& text) { questions << text; return true; });
    {
        TfrmTallyforge window(nullptr, settings_);
        EXPECT_EQ(window.txtStartingSN->Text(), QStringLiteral("1"));
        EXPECT_TRUE(window.PreviewStatusBar1->UserText().startsWith(QStringLiteral("Series %1 on 127.0.0.1").arg(series_)))
            << window.PreviewStatusBar1->UserText().toStdString();

        const Ran other = Run(Print(5, QStringLiteral("other.pdf"))); // another station
        ASSERT_EQ(other.code, 0) << other.error.toStdString();
        window.txtPageCount->SetText(QStringLiteral("3"));
        window.ToolButton1->trigger();
        EXPECT_EQ(SeriesLast(), 8);
        EXPECT_EQ(window.txtStartingSN->Text(), QStringLiteral("9"));

        // Another station prints after this window: the shown 9 was not typed, so the
        // next print asks nothing and goes on after the other station's numbers.
        ASSERT_EQ(Run(Print(5, QStringLiteral("other2.pdf"))).code, 0);
        window.ToolButton1->trigger();
        EXPECT_TRUE(questions.isEmpty()) << questions.join(u'\n').toStdString();
        EXPECT_EQ(SeriesLast(), 16);
        // The Print Log reads the series' server: every station's runs.
        ChooseFromMenu(window.mnuFile, { Qt::Key_L });
        ASSERT_NE(window.PrintLog(), nullptr);
        EXPECT_EQ(window.PrintLog()->Table()->model()->rowCount(), 4);

        window.txtStartingSN->SetText(QStringLiteral("20"));
        window.ToolButton1->trigger();
        ASSERT_EQ(questions.size(), 1);
        EXPECT_EQ(questions[0], QStringLiteral("Series '%1' continues at 17; this run sets it to continue at 20\n\nSet series '%1' to continue at 20?").arg(series_));
        EXPECT_EQ(SeriesLast(), 22);
        window.close();
    }
    app::SetErrorHandler(nullptr);
    app::SetQuestionHandler(nullptr);
    TPrinter::ResetForTests();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    std::map<qint64, int> expected;
    for (qint64 serial : { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 20, 21, 22 })
        expected[serial] = 1;
    EXPECT_EQ(SerialsOnPaper(), expected);
    EXPECT_EQ(apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("7"));
    EXPECT_EQ(apptest::IniValue(settings_, QStringLiteral("Series"), QStringLiteral("Name")), series_);
}

} // namespace
