// What a run writes besides the counter: its PDF and its journal, against names that are
// taken, paths that are no regular file, and a run stopped half way.
#include "support_app.h"
#include "support_postgres.h"
#include "support_program.h"

#include "platform/Exception.h"
#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/SharedSeries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

bool IsKind(const QString& path, mode_t kind)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QString LastNumber(const QString& settings)
{
    return apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber"));
}

QStringList Temporaries(const QString& folder)
{
    return QDir(folder).entryList({ QStringLiteral(".tallyforge-*.part") }, QDir::Hidden | QDir::Files | QDir::System);
}

// Polls until `ready` holds or the program ended.
bool WaitFor(QProcess& program, const std::function<bool()>& ready)
{
    for (int waited = 0; waited < 60000; waited += 5) {
        if (ready())
            return true;
        if (program.state() != QProcess::Running)
            return false;
        QTest::qWait(5);
    }
    return false;
}

// --output names exactly the file written, whatever its ending, and never another: two
// runs racing for one name once both "succeeded", the later one as "race (2).pdf". The
// first run is held still (SIGSTOP) between its checks and its publish while the second
// takes the name, so the race is run every time.
TEST(ExactOutput, IsThatNameOrTheRunFails)
{
    ProgramCopy program;
    ASSERT_EQ(program.Error(), QString());
    const QString out = program.Dir() + QStringLiteral("/out");
    ASSERT_TRUE(QDir().mkpath(out));
    const QString first = program.Dir() + QStringLiteral("/first.ini");
    const QString second = program.Dir() + QStringLiteral("/second.ini");
    WriteFile(first, "[SN]\r\nLastNumber=99\r\nPrefix=A-\r\n");
    WriteFile(second, "[SN]\r\nLastNumber=499\r\nPrefix=B-\r\n");

    QString errors;
    const QString text = out + QStringLiteral("/serials.txt");
    ASSERT_EQ(program.Run({ QStringLiteral("print"), QStringLiteral("--settings"), first, QStringLiteral("--count"),
                            QStringLiteral("2"), QStringLiteral("--quiet"), QStringLiteral("--output"), text },
                          &errors),
              0)
        << errors.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList { QStringLiteral("serials.txt") });
    EXPECT_EQ(apptest::PdfPageCount(text), 2);
    EXPECT_TRUE(apptest::PdfText(text, 2).contains(QStringLiteral("A-101")));
    ASSERT_EQ(LastNumber(first), QStringLiteral("101"));

    const QString race = out + QStringLiteral("/race.pdf");
    QProcess slow;
    program.Start(slow, { QStringLiteral("print"), QStringLiteral("--settings"), first, QStringLiteral("--count"),
                          QStringLiteral("100000"), QStringLiteral("--quiet"), QStringLiteral("--output"), race });
    ASSERT_TRUE(slow.waitForStarted());
    ASSERT_TRUE(WaitFor(slow, [&] { return !Temporaries(out).isEmpty(); })) << "the first run never began drawing";
    ::kill(pid_t(slow.processId()), SIGSTOP);
    const int fast = program.Run({ QStringLiteral("print"), QStringLiteral("--settings"), second, QStringLiteral("--count"),
                                   QStringLiteral("3"), QStringLiteral("--quiet"), QStringLiteral("--output"), race },
                                 &errors);
    ::kill(pid_t(slow.processId()), SIGCONT);
    ASSERT_TRUE(slow.waitForFinished(300000));
    EXPECT_EQ(fast, 0) << errors.toStdString();
    EXPECT_EQ(slow.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(slow.readAllStandardError())
                    .contains(QStringLiteral("tallyforge: The file %1 exists already.").arg(race)));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList { QStringLiteral("race.pdf"), QStringLiteral("serials.txt") }));
    EXPECT_EQ(apptest::PdfPageCount(race), 3);
    EXPECT_TRUE(apptest::PdfText(race, 1).contains(QStringLiteral("B-500")));
    EXPECT_EQ(LastNumber(first), QStringLiteral("101")) << "the losing run gives its numbers back";
    EXPECT_EQ(LastNumber(second), QStringLiteral("502"));
}

// A run stopped after some pages once ended with the page begun after the last one
// drawn (a blank sheet of numbered stock) and in a PDF named after the whole run.
TEST(StoppedRun, EndsWithNoBlankSheetAndIsNamedAfterItsSerials)
{
    ProgramCopy program;
    ASSERT_EQ(program.Error(), QString());
    WriteFile(program.SettingsFile(), "[SN]\r\nLastNumber=99\r\nPrefix=S-\r\n");
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.Start(run, { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("1000000"),
                         QStringLiteral("--quiet") });
    ASSERT_TRUE(run.waitForStarted());
    ASSERT_TRUE(apptest::WaitUntilCatches(run, SIGTERM, 60000));
    ASSERT_TRUE(WaitFor(run, [&] { return !Temporaries(program.Documents()).isEmpty(); })) << "the run never began drawing";
    QTest::qWait(100);
    run.terminate();
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 130);

    const qint64 last = LastNumber(program.SettingsFile()).toLongLong();
    ASSERT_GE(last, 100);
    ASSERT_LT(last, 99 + 1000000);
    const QStringList files = QDir(program.Documents()).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(files, QStringList { QStringLiteral("Tallyforge 100-%1.pdf").arg(last) });
    const QString pdf = program.Documents() + u'/' + files.front();
    ASSERT_EQ(apptest::PdfPageCount(pdf), last - 99);
    QStringList pages = apptest::PdfText(pdf).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast(); // pdftotext ends its last page with a form feed too
    ASSERT_EQ(pages.size(), last - 99);
    const QRegularExpression serial(QStringLiteral("S-(\\d+)"));
    for (qsizetype page = 0; page < pages.size(); ++page) {
        const QRegularExpressionMatch match = serial.match(pages[page]);
        ASSERT_TRUE(match.hasMatch()) << "page " << page + 1 << " of " << pages.size() << " holds no serial";
        ASSERT_EQ(match.captured(1).toLongLong(), 100 + page);
    }
}

// Stopped before its first page (the stop came as the run began), a run once published
// a document of one blank sheet as if it had printed.
TEST(StoppedRun, BeforeItsFirstPageLeavesNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    apptest::EnsureApplication();
    TPrinter::ResetForTests();
    TPrinter::InstallTestDevice(TDeviceCaps { 600, 600, 5100, 6600, 100, 150, 4900, 6300 });
    const QString chosen = dir.filePath(QStringLiteral("run.pdf"));
    Printer().SetOutputFileName(chosen);
    TPrintJob job;
    job.SetPageCount(3);
    int drawn = 0;
    job.OnDraw = [&](TCustomPrintJob*, TCanvas* canvas, int page, TRect, TDrawArea, TDrawTarget) {
        ++drawn;
        canvas->TextOut(0, 0, QString::number(page));
    };
    job.OnStartPrint = [](TCustomPrintJob* sender) { sender->Abort(); };
    job.Print();
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(job.PagesDelivered(), 0);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Printer().LastOutputFile(), QString());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());

    job.OnStartPrint = nullptr;
    job.Print();
    EXPECT_EQ(Printer().LastOutputFile(), chosen);
    EXPECT_EQ(apptest::PdfPageCount(chosen), 3);
    TPrinter::ResetForTests();
}

// The journal is only ever a regular file. A pipe once held the program for ever (its
// reader waited for a writer), a device took the run's records into nothing, and a link
// to nowhere made a journal where it led; all are refused now, naming the path, before
// any number is taken. A link to a regular journal is written through and stays a link.
TEST(JournalKind, OnlyARegularFileOrALinkToOneIsWritten)
{
    ProgramCopy program;
    ASSERT_EQ(program.Error(), QString());
    const QString settings = program.SettingsFile();
    WriteFile(settings, "[SN]\r\nLastNumber=99\r\n");
    const QString journal = program.Dir() + QStringLiteral("/Tallyforge-journal.csv");
    const QString output = program.Dir() + QStringLiteral("/run.pdf");
    const QStringList print { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"),
                              QStringLiteral("--quiet"), QStringLiteral("--output"), output };

    struct Case {
        QString what;
        std::function<bool()> make;
        mode_t kind;
    };
    const QString nowhere = program.Dir() + QStringLiteral("/gone/journal.csv");
    QList<Case> cases {
        { QStringLiteral("a pipe"), [&] { return ::mkfifo(QFile::encodeName(journal).constData(), 0600) == 0; }, S_IFIFO },
        { QStringLiteral("a symbolic link to nothing"), [&] { return QFile::link(nowhere, journal); }, S_IFLNK },
    };
    // A device node of our own plays /dev/null, so no real device is ever at risk.
    const QString device = program.Dir() + QStringLiteral("/null");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.prepend({ QStringLiteral("a device"), [&] { return QFile::link(device, journal); }, S_IFLNK });
    else
        std::cerr << "No device node could be made here; the device case is left out.\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        ASSERT_TRUE(c.make());
        QString errors;
        const int code = program.Run(print, &errors, 15000);
        ASSERT_EQ(code, 1) << "ended (or hung: -1) with " << code << ": " << errors.toStdString();
        EXPECT_TRUE(errors.contains(journal) && errors.contains(c.what)) << errors.toStdString();
        EXPECT_TRUE(IsKind(journal, c.kind));
        EXPECT_FALSE(QFileInfo::exists(nowhere));
        EXPECT_FALSE(QFileInfo::exists(output));
        EXPECT_EQ(LastNumber(settings), QStringLiteral("99"));
        ASSERT_TRUE(QFile::remove(journal));
    }

    const QString kept = program.Dir() + QStringLiteral("/kept");
    ASSERT_TRUE(QDir().mkpath(kept));
    WriteFile(kept + QStringLiteral("/journal.csv"), {});
    ASSERT_TRUE(QFile::link(kept + QStringLiteral("/journal.csv"), journal));
    QString errors;
    ASSERT_EQ(program.Run(print, &errors, 60000), 0) << errors.toStdString();
    EXPECT_TRUE(IsKind(journal, S_IFLNK));
    EXPECT_EQ(QFileInfo(journal).symLinkTarget(), kept + QStringLiteral("/journal.csv"));
    const QStringList lines = apptest::ReadText(journal).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral(",print,completed,100,101,2,"))) << lines[2].toStdString();
    EXPECT_EQ(LastNumber(settings), QStringLiteral("101"));
}

// A file chosen in print set-up is replaced by the run, but only when it is a regular file:
// a pipe there was once swapped for the PDF, and a link to a file elsewhere was replaced
// by a file of its own instead of being written through.
TEST(ChosenFileKind, APipeIsRefusedAndALinkWrittenThrough)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    apptest::EnsureApplication();
    TPrinter::ResetForTests();
    TPrinter::InstallTestDevice(TDeviceCaps { 600, 600, 5100, 6600, 100, 150, 4900, 6300 });
    const auto print = [](const QString& text) {
        Printer().BeginDoc();
        Printer().Canvas()->TextOut(0, 0, text);
        Printer().EndDoc();
    };

    const QString pipe = dir.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    Printer().SetOutputFileName(pipe);
    try {
        print(QStringLiteral("lost"));
        ADD_FAILURE() << "a pipe took the document";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file %1: it is a pipe, not a regular file").arg(pipe));
    }
    EXPECT_FALSE(Printer().Printing());
    EXPECT_TRUE(IsKind(pipe, S_IFIFO));
    EXPECT_TRUE(Temporaries(dir.path()).isEmpty());

    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("elsewhere"))));
    const QString target = dir.filePath(QStringLiteral("elsewhere/serials.pdf"));
    const QString link = dir.filePath(QStringLiteral("serials.pdf"));
    WriteFile(target, "old");
    ASSERT_TRUE(QFile::link(target, link));
    Printer().SetOutputFileName(link);
    print(QStringLiteral("through"));
    EXPECT_EQ(Printer().LastOutputFile(), link);
    EXPECT_TRUE(IsKind(link, S_IFLNK));
    EXPECT_EQ(apptest::PdfText(target).trimmed(), QStringLiteral("through"));
    EXPECT_TRUE(Temporaries(dir.path()).isEmpty());
    EXPECT_TRUE(Temporaries(dir.filePath(QStringLiteral("elsewhere"))).isEmpty());
    TPrinter::ResetForTests();
}

// The shared series' spool (the records that wait for a lost server) likewise: a pipe
// once held every station for ever when it connected, and a link to a spool elsewhere was
// removed once its records had been sent.
TEST(SpoolKind, APipeIsRefusedAndALinkWrittenThroughAndKept)
{
    TestPostgres server;
    ASSERT_EQ(server.Error(), QString());
    ASSERT_TRUE(server.Start());
    ProgramCopy program;
    ASSERT_EQ(program.Error(), QString());
    WriteFile(program.SettingsFile(), "[SN]\r\nLastNumber=7\r\n");
    const QString spool = TSharedSeries::SpoolBeside(program.SettingsFile());
    const QString series = QStringLiteral("spooled");

    ASSERT_EQ(::mkfifo(QFile::encodeName(spool).constData(), 0600), 0);
    QString errors;
    const int code = program.Run({ QStringLiteral("series"), QStringLiteral("show"), QStringLiteral("--series-server"),
                                   server.Uri(), QStringLiteral("--series"), series },
                                 &errors, 15000);
    ASSERT_EQ(code, 1) << "ended (or hung: -1) with " << code << ": " << errors.toStdString();
    EXPECT_TRUE(errors.contains(spool) && errors.contains(QStringLiteral("a pipe"))) << errors.toStdString();
    EXPECT_TRUE(IsKind(spool, S_IFIFO));
    ASSERT_TRUE(QFile::remove(spool));

    const QString target = program.Dir() + QStringLiteral("/kept/spool.jsonl");
    ASSERT_TRUE(QDir().mkpath(program.Dir() + QStringLiteral("/kept")));
    WriteFile(target, {});
    ASSERT_TRUE(QFile::link(target, spool));
    {
        TSharedSeries station(server.Uri(), series, spool);
        TJournalRecord record;
        record.started = QDateTime::currentDateTimeUtc();
        record.user = QStringLiteral("tester");
        record.host = QStringLiteral("a");
        ASSERT_TRUE(station.Begin(record, 5, true, QString()).reservation);
        ASSERT_TRUE(server.Stop());
        record.finished = QDateTime::currentDateTimeUtc();
        record.status = TRunStatus::Cancelled;
        record.pages = 2;
        record.last = *record.first + 1;
        station.End(record);
        ASSERT_TRUE(station.Problem().contains(QStringLiteral("waits in"))) << station.Problem().toStdString();
    }
    EXPECT_TRUE(IsKind(spool, S_IFLNK));
    EXPECT_TRUE(apptest::ReadText(target).contains(QStringLiteral("\"pages\":2")));
    ASSERT_TRUE(server.Start());
    TSharedSeries again(server.Uri(), series, spool);
    again.Connect(); // sends what waits
    EXPECT_TRUE(IsKind(spool, S_IFLNK));
    EXPECT_EQ(apptest::ReadText(target), QString());
    EXPECT_EQ(server.Query(QStringLiteral("SELECT status, first, last, pages FROM tallyforge_runs WHERE series = '%1'").arg(series)),
              QStringLiteral("cancelled|1|2|2"));
}

} // namespace
