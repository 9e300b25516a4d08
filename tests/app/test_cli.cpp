// The command line of the built program: `tallyforge print` on the window's engine, its
// exit statuses, and a run stopped by SIGINT.
#include "support_app.h"

#include "FileBytes.h"

#include "ticket/SheetLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include <sys/stat.h>

namespace {

class CommandLineTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        Write("[SN]\r\nLastNumber=99\r\nPageCount=3\r\nPrefix=S-\r\n\r\n[Paper]\r\nVerticalIndent2=5\r\n\r\n");
    }

    void Write(const QByteArray& bytes)
    {
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray Bytes() const
    {
        QFile file(settings_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString LastNumber() const { return apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")); }

    void Start(QProcess& program, QStringList arguments, const QString& locale = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!locale.isEmpty()) {
            environment.insert(QStringLiteral("LC_ALL"), locale);
            environment.insert(QStringLiteral("LANG"), locale);
            environment.remove(QStringLiteral("LANGUAGE"));
        }
        environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program picks its own
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("HOME"), dir_.path());
        environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1")); // no queue: the PDF printer
        program.setProcessEnvironment(environment);
        apptest::EndWithTest(program);
        arguments << QStringLiteral("--settings") << settings_;
        program.start(qEnvironmentVariable("TALLYFORGE_BINARY_DIR") + QStringLiteral("/src/app/tallyforge"), arguments);
    }

    // Exit code and standard error of one run.
    std::pair<int, QString> Run(const QStringList& arguments)
    {
        QProcess program;
        Start(program, arguments);
        if (!program.waitForFinished(120000))
            return { -1, QString() };
        const QStringList lines = QString::fromLocal8Bit(program.readAllStandardError()).split(QLatin1Char('\n'));
        // Qt's own start-up notes are not the program's words.
        QStringList own;
        for (const QString& line : lines)
            if (!line.isEmpty() && !line.startsWith(QStringLiteral("QStandardPaths:")))
                own << line;
        return { program.exitCode(), own.join(QLatin1Char('\n')) };
    }

    QString Pdf(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QString settings_;
};

TEST_F(CommandLineTest, PrintWritesExactlyThePagesAndMovesTheCounterUnlessAskedNotTo)
{
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("5"),
                               QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(error, QStringLiteral("Printed S-100 to S-104 into %1").arg(Pdf(QStringLiteral("run.pdf"))));
    ASSERT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("run.pdf"))), 5);
    for (int page = 1; page <= 5; ++page)
        EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("run.pdf")), page).count(QStringLiteral("S-%1").arg(99 + page)), 2);
    EXPECT_EQ(LastNumber(), QStringLiteral("104"));

    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--quiet"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(error, QString());
    EXPECT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("again.pdf"))), 3); // the stored page count
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 1).contains(QStringLiteral("S-105")));
    EXPECT_EQ(LastNumber(), QStringLiteral("104"));

    // An existing file is never overwritten, and the counter stays.
    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(error, QStringLiteral("tallyforge: The file %1 exists already.").arg(Pdf(QStringLiteral("run.pdf"))));
    EXPECT_EQ(LastNumber(), QStringLiteral("104"));
}

TEST_F(CommandLineTest, BadUsageExitsTwoAndAMissingQueueOne)
{
    const QByteArray before = Bytes();
    const QList<QStringList> usages {
        { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("ten") },
        { QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("q"), QStringLiteral("--output"), QStringLiteral("x.pdf") },
        { QStringLiteral("print"), QStringLiteral("extra") },
        { QStringLiteral("reprint") },
        { QStringLiteral("--count"), QStringLiteral("3") },
        { QStringLiteral("print"), QStringLiteral("--colour") },
        // Options the toolkit would have taken for its own are the program's to refuse.
        { QStringLiteral("print"), QStringLiteral("-session"), QStringLiteral("x") },
        { QStringLiteral("print"), QStringLiteral("--style"), QStringLiteral("fusion") },
        { QStringLiteral("-nograb") },
    };
    for (const QStringList& usage : usages) {
        const auto [code, error] = Run(usage);
        EXPECT_EQ(code, 2) << usage.join(u' ').toStdString();
        EXPECT_TRUE(error.startsWith(QStringLiteral("tallyforge: "))) << error.toStdString();
    }
    const auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("nowhere") });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(error, QStringLiteral("tallyforge: There is no printer named nowhere."));
    EXPECT_EQ(Bytes(), before);

    // Help in every form prints help and nothing else.
    for (const QStringList& help : QList<QStringList> { { QStringLiteral("--help-all") },
                                                        { QStringLiteral("print"), QStringLiteral("--help-all"), QStringLiteral("--output"), Pdf(QStringLiteral("help.pdf")) } }) {
        QProcess program;
        Start(program, help);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(program.readAllStandardOutput().contains("--reverse")) << help.join(u' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("help.pdf"))));
    EXPECT_EQ(Bytes(), before);
}

// --reverse is the program's: the last sheet comes first.
TEST_F(CommandLineTest, ReverseOptionPrintsTheLastPageFirst)
{
    const auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--reverse"),
                                     QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("reversed.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("reversed.pdf")), 1).contains(QStringLiteral("S-102")));
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("reversed.pdf")), 3).contains(QStringLiteral("S-100")));
}

// SIGINT stops the run after its current page: the PDF holds exactly the serials up to
// the stored last number.
TEST_F(CommandLineTest, InterruptedRunExits130AndThePdfAndTheCounterAgree)
{
    QProcess program;
    Start(program, { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("100000"),
                     QStringLiteral("--output"), Pdf(QStringLiteral("long.pdf")) });
    ASSERT_TRUE(program.waitForStarted());
    // Once the pages are being drawn (their file exists), a moment later.
    const auto drawing = [&] {
        return !QDir(dir_.path()).entryList({ QStringLiteral(".tallyforge-*.part") }, QDir::Hidden | QDir::Files).isEmpty();
    };
    for (int waited = 0; !drawing() && waited < 60000 && program.state() == QProcess::Running; waited += 20)
        QTest::qWait(20);
    ASSERT_TRUE(drawing()) << "the run never started";
    QTest::qWait(300);
    ::kill(pid_t(program.processId()), SIGINT);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 130) << program.readAllStandardError().constData();

    const qint64 last = LastNumber().toLongLong();
    ASSERT_GT(last, 99);
    ASSERT_LT(last, 99 + 100000);
    const QString text = apptest::PdfText(Pdf(QStringLiteral("long.pdf")));
    const QRegularExpression serial(QStringLiteral("S-(\\d+)"));
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast(); // the form feed that ends the last page
    qint64 expected = 100;
    for (const QString& page : pages) {
        const QRegularExpressionMatch match = serial.match(page);
        ASSERT_TRUE(match.hasMatch()) << "a blank sheet after serial " << expected - 1;
        ASSERT_EQ(match.captured(1).toLongLong(), expected);
        ++expected;
    }
    EXPECT_EQ(expected - 1, last);
}

// SIGINT stops a cut-and-stack run part way: its serials stay reserved, `log` names the
// run by its id with its serials as printed and the tickets and sheets that came out, and
// `tallyforge resume RUN` prints exactly the sheets that did not, in the run's order, into
// a file named as the run's rest.
TEST_F(CommandLineTest, StoppedStackRunIsCompletedByResume)
{
    Write("[SN]\r\nLastNumber=99\r\nPrefix=S-\r\n\r\n[Paper]\r\nHorizontalIndent=0.2\r\nVerticalIndent=0.2\r\n"
          "HorizontalIndent2=0.2\r\nVerticalIndent2=0.6\r\n\r\n[Font]\r\nSize=9\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=4\r\n"
          "Order=stack\r\nStackDepth=700\r\n");
    constexpr int kTickets = 100000;
    QProcess program;
    Start(program, { QStringLiteral("print"), QStringLiteral("--count"), QString::number(kTickets),
                     QStringLiteral("--output"), Pdf(QStringLiteral("first.pdf")) });
    ASSERT_TRUE(program.waitForStarted());
    const auto drawing = [&] {
        return !QDir(dir_.path()).entryList({ QStringLiteral(".tallyforge-*.part") }, QDir::Hidden | QDir::Files).isEmpty();
    };
    for (int waited = 0; !drawing() && waited < 60000 && program.state() == QProcess::Running; waited += 5)
        QTest::qWait(5);
    QTest::qWait(100);
    ::kill(pid_t(program.processId()), SIGINT);
    ASSERT_TRUE(program.waitForFinished(60000));
    ASSERT_EQ(program.exitCode(), 130) << program.readAllStandardError().constData();
    EXPECT_EQ(LastNumber(), QString::number(99 + kTickets)); // all kept for the rest

    ticket::TSheetLayout layout;
    layout.Columns = 2;
    layout.Rows = 4;
    layout.Order = ticket::TOrder::Stack;
    layout.StackDepth = 700;
    const ticket::TSheetPlan plan(layout, kTickets);
    const int firstSheets = apptest::PdfPageCount(Pdf(QStringLiteral("first.pdf")));
    ASSERT_GT(firstSheets, 0);
    ASSERT_LT(firstSheets, plan.PrintedSheets()) << "the run was not stopped";
    int ticketsOut = 0;
    for (int sheet = 0; sheet < firstSheets; ++sheet)
        for (const qint64 t : plan.OnSheet(sheet))
            ticketsOut += t >= 0 ? 1 : 0;
    QProcess log;
    Start(log, { QStringLiteral("log") });
    ASSERT_TRUE(log.waitForFinished(60000));
    ASSERT_EQ(log.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(log.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0].simplified(), QStringLiteral("run started kind status first last tickets sheets printer output"));
    const QStringList cells = lines[1].simplified().split(u' ');
    ASSERT_EQ(cells.size(), 10) << lines[1].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{16}$")).match(cells[0]).hasMatch()) << cells[0].toStdString();
    EXPECT_EQ(cells.mid(2, 6), QStringList({ QStringLiteral("print"), QStringLiteral("cancelled"), QStringLiteral("S-100"),
                                             QStringLiteral("S-100099"), QString::number(ticketsOut), QString::number(firstSheets) }));

    // Without --output: into the folder Print Setup chose, named after the run as its rest.
    Write(Bytes() + "[Printer]\r\nName=PDF\r\nPdfFolder=" + QFile::encodeName(dir_.path()) + "\r\n");
    auto [code, error] = Run({ QStringLiteral("resume"), cells[0], QStringLiteral("--quiet") });
    ASSERT_EQ(code, 0) << error.toStdString();
    ASSERT_TRUE(QFile::rename(Pdf(QStringLiteral("Tallyforge 100-100099 rest.pdf")), Pdf(QStringLiteral("rest.pdf"))))
        << QDir(dir_.path()).entryList(QDir::Files).join(u' ').toStdString();
    std::tie(code, error) = Run({ QStringLiteral("resume"), QStringLiteral("--output"), Pdf(QStringLiteral("more.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(error, QStringLiteral("tallyforge: No stopped run has sheets left to print."));
    EXPECT_EQ(LastNumber(), QString::number(99 + kTickets));
    // The log says which run the rest continued.
    QProcess again;
    Start(again, { QStringLiteral("log") });
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(again.readAllStandardOutput()).section(u'\n', 1, 1).contains(QStringLiteral(" resume, rest of %1 ").arg(cells[0])));

    // Together the two files are the run's sheets, the rest going on where the first stopped.
    const int restSheets = apptest::PdfPageCount(Pdf(QStringLiteral("rest.pdf")));
    EXPECT_EQ(firstSheets + restSheets, plan.PrintedSheets());
    const auto serials = [](const QString& text) {
        QList<int> found;
        static const QRegularExpression serial(QStringLiteral("S-(\\d+)"));
        for (auto it = serial.globalMatch(text); it.hasNext();)
            found << it.next().captured(1).toInt();
        std::sort(found.begin(), found.end());
        return found;
    };
    const auto expected = [&](qint64 sheet) {
        QList<int> tickets;
        for (const qint64 t : plan.OnSheet(sheet))
            if (t >= 0)
                tickets << int(100 + t) << int(100 + t);
        std::sort(tickets.begin(), tickets.end());
        return tickets;
    };
    EXPECT_EQ(serials(apptest::PdfText(Pdf(QStringLiteral("first.pdf")), firstSheets)), expected(firstSheets - 1));
    EXPECT_EQ(serials(apptest::PdfText(Pdf(QStringLiteral("rest.pdf")), 1)), expected(firstSheets));
    EXPECT_EQ(serials(apptest::PdfText(Pdf(QStringLiteral("rest.pdf")), restSheets)), expected(plan.PrintedSheets() - 1));
}

} // namespace

namespace {

// Reprints go by the journal: exactly the asked serials with their mark, the counter
// untouched, a record of their own; serials never printed are refused unless forced, a
// print over printed serials likewise; `log` finds the runs that printed a serial.
TEST_F(CommandLineTest, ReprintAndLogGoByTheJournal)
{
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("5"), QStringLiteral("--quiet"),
                               QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("--quiet"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    ASSERT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("again.pdf"))), 2);
    EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 1).count(QStringLiteral("S-101 REPRINT")), 2);
    EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 2).count(QStringLiteral("S-102 REPRINT")), 2);
    EXPECT_EQ(LastNumber(), QStringLiteral("104"));

    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("104"), QStringLiteral("106"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("never.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(error, QStringLiteral("tallyforge: Serials S-105 to S-106 were never printed (--force reprints them all the same)"));
    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--start"), QStringLiteral("103"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("twice.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.startsWith(QStringLiteral("tallyforge: Serials 103 to 104 were printed already by the run of ")))
        << error.toStdString();
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("never.pdf"))));
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("twice.pdf"))));
    EXPECT_EQ(LastNumber(), QStringLiteral("104"));

    QProcess log;
    Start(log, { QStringLiteral("log"), QStringLiteral("--serial"), QStringLiteral("101"), QStringLiteral("--csv") });
    ASSERT_TRUE(log.waitForFinished(60000));
    ASSERT_EQ(log.exitCode(), 0);
    // Read back by a CSV reader of its own: the columns, and the two runs, newest first.
    QProcess reader;
    reader.start(QStringLiteral("python3"), { QStringLiteral("-c"), QStringLiteral(
        "import csv,sys\n"
        "rows = list(csv.DictReader(sys.stdin))\n"
        "print(','.join(rows[0].keys()))\n"
        "for r in rows: print(r['kind'], r['status'], r['first'], r['last'], r['pages'], r['prefix'], r['output'].endswith('.pdf'))\n") });
    reader.write(log.readAllStandardOutput());
    reader.closeWriteChannel();
    ASSERT_TRUE(reader.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(reader.readAllStandardOutput()),
              QStringLiteral("started,finished,kind,status,first,last,pages,prefix,suffix,printer,output,job,user,host,run,void_first,void_last,digits,sheets,layout,not_printed,step,check,template,template_sha256,design,resumes,check_separator,jobs,print_server,reason,letters,letter_separator,data_file,data_sha256\n"
                             "reprint completed 101 102 2 S- True\n"
                             "print completed 100 104 5 S- True\n"));

    // A German user's table has German headings.
    QProcess german;
    Start(german, { QStringLiteral("log") }, QStringLiteral("de_DE.UTF-8"));
    ASSERT_TRUE(german.waitForFinished(60000));
    ASSERT_EQ(german.exitCode(), 0);
    const QString heading = QString::fromUtf8(german.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).simplified();
    EXPECT_EQ(heading, QStringLiteral("Lauf Beginn Art Status Erste Letzte Tickets Bögen Drucker Ausgabe"));
}

// Serials are named as they were printed, check character and padding included: a
// reprint and the log take S-000017 (number 1 at five digits, mod10 check 7), and
// 000017, which no run printed, is refused rather than read as 17 (printed S-000178).
TEST_F(CommandLineTest, ReprintAndLogTakeSerialsAsPrinted)
{
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--start"), QStringLiteral("1"), QStringLiteral("--count"),
                               QStringLiteral("20"), QStringLiteral("--digits"), QStringLiteral("5"), QStringLiteral("--check"),
                               QStringLiteral("mod10"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    ASSERT_EQ(apptest::PdfText(Pdf(QStringLiteral("run.pdf")), 17).count(QStringLiteral("S-000178")), 2);

    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("000017"), QStringLiteral("000017"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("wrong.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(error, QStringLiteral("tallyforge: 000017 is not a serial that any run printed; read as the number 17, it reprints as "
                                    "S-000178 (--force reprints them all the same)"));
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("wrong.pdf"))));

    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("S-000017"), QStringLiteral("S-000017"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(error, QStringLiteral("Printed S-000017 to S-000017 into %1").arg(Pdf(QStringLiteral("again.pdf"))));
    ASSERT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("again.pdf"))), 1);
    EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 1).count(QStringLiteral("S-000017 REPRINT")), 2);

    QProcess log;
    Start(log, { QStringLiteral("log"), QStringLiteral("--serial"), QStringLiteral("S-000017"), QStringLiteral("--csv") });
    ASSERT_TRUE(log.waitForFinished(60000));
    ASSERT_EQ(log.exitCode(), 0) << log.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(log.readAllStandardOutput()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString(); // the header, the reprint, the run
    EXPECT_TRUE(lines[1].contains(QStringLiteral(",reprint,completed,1,1,"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral(",print,completed,1,20,"))) << lines[2].toStdString();
}

// A journal the program did not write is never written to, and a run it could not record
// is refused before anything is reserved; --force prints it all the same, unrecorded.
TEST_F(CommandLineTest, ForeignJournalIsLeftAlone)
{
    const QString journal = dir_.filePath(QStringLiteral("Tallyforge-journal.csv"));
    QFile file(journal);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("date;amount\n2026-01-01;5\n");
    file.close();
    const auto refused = Run({ QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--output"),
                               Pdf(QStringLiteral("refused.pdf")) });
    EXPECT_EQ(refused.first, 1);
    EXPECT_TRUE(refused.second.contains(QStringLiteral("would be recorded nowhere (--force prints all the same)"))) << refused.second.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Pdf(QStringLiteral("refused.pdf"))));
    EXPECT_EQ(LastNumber(), QStringLiteral("99"));
    const auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--force"),
                                     QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(error.contains(QStringLiteral("is not one this program writes"))) << error.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("date;amount\n2026-01-01;5\n"));
    EXPECT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("run.pdf"))), 3);
    EXPECT_EQ(LastNumber(), QStringLiteral("102"));
}

} // namespace

// The PDF printer's calibration moves the numbers as in the window; with --no-calibration
// they stand at the stored positions.
TEST_F(CommandLineTest, PrintAppliesThePrintersCalibrationUnlessTurnedOff)
{
    Write("[SN]\r\nLastNumber=99\r\nPageCount=1\r\nPrefix=S-\r\n\r\n[Calibration]\r\nPDF.X=0.05\r\nPDF.Y=-0.02\r\nother.X=1\r\nother.Y=1\r\n");
    const auto wordAt = [&](const QString& name, const QStringList& options) {
        // The same serial twice: the second print is forced.
        const auto [code, error] = Run(QStringList { QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--quiet"),
                                                     QStringLiteral("--force"), QStringLiteral("--output"), Pdf(name) } + options);
        EXPECT_EQ(code, 0) << error.toStdString();
        const QList<apptest::PdfWord> words = apptest::PdfWordsOnPage(apptest::PdfWords(Pdf(name)), 1, QStringLiteral("S-100"));
        return words.isEmpty() ? QPointF(-100, -100) : QPointF(words.first().xMin, words.first().yMin);
    };
    const QPointF calibrated = wordAt(QStringLiteral("calibrated.pdf"), {});
    const QPointF plain = wordAt(QStringLiteral("plain.pdf"), { QStringLiteral("--no-calibration") });
    EXPECT_NEAR(calibrated.x() - plain.x(), 3.6, 0.2);
    EXPECT_NEAR(calibrated.y() - plain.y(), -1.44, 0.2);
}

namespace {

// Counts and ranges no run can print are usage errors that name the option, before
// anything is read or reserved.
TEST_F(CommandLineTest, ImpossibleCountsAndRangesAreUsageErrors)
{
    const QByteArray before = Bytes();
    const QList<std::pair<QStringList, QString>> rows {
        { { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("0") }, QStringLiteral("--count") },
        { { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("-4") }, QStringLiteral("--count") },
        { { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("4294967297") }, QStringLiteral("--count") },
        { { QStringLiteral("print"), QStringLiteral("--start"), QStringLiteral("4294967296") }, QStringLiteral("--start") },
        { { QStringLiteral("reprint"), QStringLiteral("0"), QStringLiteral("2147483647") }, QStringLiteral("more than one run") },
    };
    for (const auto& [arguments, named] : rows) {
        const auto [code, error] = Run(arguments + QStringList { QStringLiteral("--output"), Pdf(QStringLiteral("x.pdf")) });
        EXPECT_EQ(code, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(error.contains(named)) << error.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(Pdf(QStringLiteral("x.pdf"))));
    EXPECT_EQ(Bytes(), before);
}

// Every kind of print checks the journal: printing serials again, or setting the counter
// back over them, is refused unless forced, and the refusal names every run that printed
// them. The same numbers under another prefix are other serials.
TEST_F(CommandLineTest, PrintedSerialsAreNotPrintedAgainUnlessForced)
{
    const auto print = [&](const QString& name, QStringList options) {
        return Run(QStringList { QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(name) } + options);
    };
    ASSERT_EQ(print(QStringLiteral("a.pdf"), {}).first, 0); // S-100..102
    ASSERT_EQ(print(QStringLiteral("b.pdf"), {}).first, 0); // S-103..105
    ASSERT_EQ(LastNumber(), QStringLiteral("105"));

    auto [code, error] = print(QStringLiteral("again.pdf"), { QStringLiteral("--no-advance"), QStringLiteral("--start"),
                                                              QStringLiteral("101"), QStringLiteral("--count"), QStringLiteral("4") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("Serials 101 to 102 were printed already by the run of "))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("Serials 103 to 104 were printed already by the run of "))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Pdf(QStringLiteral("again.pdf"))));
    std::tie(code, error) = print(QStringLiteral("again.pdf"), { QStringLiteral("--no-advance"), QStringLiteral("--start"), QStringLiteral("101"),
                                                                 QStringLiteral("--count"), QStringLiteral("4"), QStringLiteral("--force") });
    EXPECT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("again.pdf"))), 4);

    // Under another prefix 50 is a new serial, but the counter would go back over S-51..105.
    Write(Bytes().replace("Prefix=S-", "Prefix=T-"));
    std::tie(code, error) = print(QStringLiteral("back.pdf"), { QStringLiteral("--start"), QStringLiteral("50"), QStringLiteral("--count"), QStringLiteral("1") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("sets the last number back from 105 to 50"))) << error.toStdString();
    EXPECT_EQ(LastNumber(), QStringLiteral("105"));
    std::tie(code, error) = print(QStringLiteral("other.pdf"), { QStringLiteral("--no-advance"), QStringLiteral("--start"), QStringLiteral("100") });
    EXPECT_EQ(code, 0) << error.toStdString();
}

// A reprint prints the serials as they were printed: the run's prefix, suffix and width,
// whatever the settings say today.
// A reprint prints what the run printed: its text, font and positions, whatever the
// settings file says since; without the run's design it asks (refused unless forced).
TEST_F(CommandLineTest, ReprintReplaysTheDesignTheRunPrinted)
{
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--digits"), QStringLiteral("5"),
                    QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) }).first, 0);
    Write(Bytes().replace("Prefix=S-", "Prefix=T-").replace("VerticalIndent2=5", "VerticalIndent2=3\r\nHorizontalIndent=2.5")
          + "[Font]\r\nSize=30\r\n");
    auto [code, error] = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("101"), QStringLiteral("--quiet"),
                               QStringLiteral("--mark"), QStringLiteral("AGAIN"), QStringLiteral("--output"), Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    const QList<apptest::PdfWord> original = apptest::PdfWordsOnPage(apptest::PdfWords(Pdf(QStringLiteral("run.pdf"))), 2, QStringLiteral("S-00101"));
    const QList<apptest::PdfWord> again = apptest::PdfWordsOnPage(apptest::PdfWords(Pdf(QStringLiteral("again.pdf"))), 1, QStringLiteral("S-00101"));
    ASSERT_EQ(original.size(), 2);
    ASSERT_EQ(again.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(again[i].xMin, original[i].xMin, 0.1);
        EXPECT_NEAR(again[i].yMin, original[i].yMin, 0.1);
        EXPECT_NEAR(again[i].yMax - again[i].yMin, original[i].yMax - original[i].yMin, 0.1); // the same font size
    }
    EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 1).count(QStringLiteral("AGAIN")), 2);

    // The design is gone: nothing prints from today's settings unless forced.
    ASSERT_TRUE(QDir(dir_.filePath(QStringLiteral("Tallyforge-designs"))).removeRecursively());
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("101"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("today.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("is not kept in"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("today.pdf"))));
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("101"), QStringLiteral("--force"),
                                  QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("today.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("today.pdf")), 1).contains(QStringLiteral("S-00101")));
}

// A value the settings file holds and the program does not know stops a print before
// anything is taken, naming section and key; an option that replaces it prints.
TEST_F(CommandLineTest, ValueTheProgramDoesNotKnowStopsAPrint)
{
    Write("[SN]\r\nLastNumber=99\r\nPrefix=S-\r\nCheck=luhnx\r\n\r\n[Item3]\r\nKind=barcode\r\nSymbology=pdf417\r\n");
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"),
                               QStringLiteral("--output"), Pdf(QStringLiteral("no.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("[SN] Check=luhnx, [Item3] Symbology=pdf417"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("no.pdf"))));
    EXPECT_EQ(LastNumber(), QStringLiteral("99"));

    Write("[SN]\r\nLastNumber=99\r\nPrefix=S-\r\nCheck=luhnx\r\n");
    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--check"),
                                  QStringLiteral("luhn"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("yes.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(LastNumber(), QStringLiteral("101"));
    EXPECT_TRUE(Bytes().contains("Check=luhnx"));
}

// A check character can stand apart from the number ([SN] CheckSeparator): printed so,
// and found so by reprint and log.
TEST_F(CommandLineTest, CheckSeparatorStandsBetweenNumberAndCheck)
{
    Write("[SN]\r\nLastNumber=0\r\nPrefix=SC-\r\nDigits=5\r\nCheck=luhn\r\nCheckSeparator=/\r\n\r\n[Paper]\r\nVerticalIndent2=5\r\n");
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--quiet"),
                               QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("run.pdf")), 1).count(QStringLiteral("SC-00001/8")), 2);
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("SC-00002/6"), QStringLiteral("SC-00002/6"),
                                  QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 1).contains(QStringLiteral("SC-00002/6 REPRINT")));
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("SC-000026"), QStringLiteral("SC-000026"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("never.pdf")) });
    EXPECT_EQ(code, 2) << error.toStdString(); // not how the run printed it
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("never.pdf"))));
}

// Spoiled tickets go on record as void with their reason, the counter untouched; the
// summary accounts for every number, names the ones on no record (exit 1) until a forced
// void accounts for them, and a reprint of void serials still prints, marked.
TEST_F(CommandLineTest, VoidAndSummaryAccountForEveryNumber)
{
    const auto out = [this](const QStringList& arguments, int* code, const QString& locale = QString()) {
        QProcess program;
        Start(program, arguments, locale);
        *code = program.waitForFinished(60000) ? program.exitCode() : -1;
        return QString::fromUtf8(program.readAllStandardOutput());
    };
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--start"), QStringLiteral("1"), QStringLiteral("--count"), QStringLiteral("20"),
                               QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("a.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    std::tie(code, error) = Run({ QStringLiteral("void"), QStringLiteral("S-5"), QStringLiteral("S-7"), QStringLiteral("--reason"), QStringLiteral("jammed, torn") });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_EQ(error, QStringLiteral("Void: S-5 to S-7"));
    EXPECT_EQ(LastNumber(), QStringLiteral("20"));
    // Past the counter nothing is held back by a void: refused, forced or not.
    std::tie(code, error) = Run({ QStringLiteral("void"), QStringLiteral("25"), QStringLiteral("--force") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("past the last number 20"))) << error.toStdString();
    // A typed start skips 21-29, which no record names.
    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--start"), QStringLiteral("30"), QStringLiteral("--count"), QStringLiteral("5"),
                                  QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("b.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    QString summary = out({ QStringLiteral("log"), QStringLiteral("--summary") }, &code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(summary.contains(QStringLiteral("Numbers 1-34             34\nPrinted                  22\n"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("\nVoid                      3\n"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("\nUnaccounted               9  21-29\n"))) << summary.toStdString();

    std::tie(code, error) = Run({ QStringLiteral("void"), QStringLiteral("21"), QStringLiteral("29") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("Serials S-21 to S-29 were neither printed nor taken by any run (--force"))) << error.toStdString();
    std::tie(code, error) = Run({ QStringLiteral("void"), QStringLiteral("21"), QStringLiteral("29"), QStringLiteral("--force"), QStringLiteral("--reason"), QStringLiteral("skipped") });
    ASSERT_EQ(code, 0) << error.toStdString();
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("S-6"), QStringLiteral("S-6"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("c.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("c.pdf")), 1).contains(QStringLiteral("S-6 REPRINT")));

    summary = out({ QStringLiteral("log"), QStringLiteral("--summary") }, &code);
    EXPECT_EQ(code, 0) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Reprinted (tickets)       1\nVoid                     12\n"))) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(QStringLiteral("\nUnaccounted               0\n"))) << summary.toStdString();
    const QString german = out({ QStringLiteral("log"), QStringLiteral("--summary") }, &code, QStringLiteral("de_DE.UTF-8"));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(german.contains(QStringLiteral("Ungültig"))) << german.toStdString();
    // The reason is the journal's last column.
    const QString csv = out({ QStringLiteral("log"), QStringLiteral("--csv") }, &code);
    EXPECT_TRUE(csv.contains(QStringLiteral(",void,completed,5,7,0,S-,")) && csv.contains(QStringLiteral(",\"jammed, torn\"\r\n"))) << csv.toStdString();
}

// A letter series rolls from AZ-9999 to BA-0000, is found by its printed text, and a run
// past its last serial is refused before a number is taken.
TEST_F(CommandLineTest, LetterSeriesRollsOverAndStopsAtItsLast)
{
    Write("[SN]\r\nLastNumber=259997\r\nDigits=4\r\nLetterSeparator=-\r\n\r\n[Paper]\r\nVerticalIndent2=5\r\n");
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--letters"),
                               QStringLiteral("2"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("run.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    const QStringList serials { QStringLiteral("AZ-9998"), QStringLiteral("AZ-9999"), QStringLiteral("BA-0000") };
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(apptest::PdfText(Pdf(QStringLiteral("run.pdf")), page).count(serials[page - 1]), 2) << page;
    EXPECT_EQ(LastNumber(), QStringLiteral("260000"));
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("AZ-9999"), QStringLiteral("BA-0000"), QStringLiteral("--quiet"),
                                  QStringLiteral("--output"), Pdf(QStringLiteral("again.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("again.pdf")), 2).contains(QStringLiteral("BA-0000 REPRINT")));

    Write("[SN]\r\nLastNumber=6759998\r\nDigits=4\r\nLetters=2\r\n");
    const QByteArray before = Bytes();
    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--output"),
                                  Pdf(QStringLiteral("past.pdf")) });
    EXPECT_EQ(code, 2); // the count asked for is more than the series has left
    EXPECT_TRUE(error.contains(QStringLiteral("(AA0000 to ZZ9999)"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(Pdf(QStringLiteral("past.pdf"))));
    EXPECT_EQ(Bytes(), before);
}

// Books of 50: items show the book and the place in it across a book's end, and piles
// that are not whole books are a warning.
TEST_F(CommandLineTest, BooksNumberTheirTicketsAcrossABooksEnd)
{
    Write("[SN]\r\nLastNumber=48\r\n\r\n[Book]\r\nSize=50\r\n\r\n[Item3]\r\nKind=text\r\nLeft=1\r\nTop=3\r\nText=book {book} no {inbook}\r\n");
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--quiet"),
                               QStringLiteral("--output"), Pdf(QStringLiteral("books.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    const QStringList places { QStringLiteral("book 1 no 49"), QStringLiteral("book 1 no 50"), QStringLiteral("book 2 no 1") };
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("books.pdf")), page).contains(places[page - 1])) << page;
    std::tie(code, error) = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("40"), QStringLiteral("--sheet"),
                                  QStringLiteral("2x2"), QStringLiteral("--order"), QStringLiteral("stack"), QStringLiteral("--stack-depth"),
                                  QStringLiteral("10"), QStringLiteral("--output"), Pdf(QStringLiteral("piles.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("The piles are not whole books"))) << error.toStdString();
}

// A three-part set: each sheet three times in a row, each copy saying which part it is.
TEST_F(CommandLineTest, PartsOfASetSayWhichPartTheyAre)
{
    Write("[SN]\r\nLastNumber=6\r\n\r\n[Sheet]\r\nCopies=3\r\nPartNames=Customer|Office|File\r\n\r\n"
          "[Item3]\r\nKind=text\r\nLeft=1\r\nTop=3\r\nText=part {copy}: {part}\r\n");
    const auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--quiet"),
                                     QStringLiteral("--output"), Pdf(QStringLiteral("parts.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    ASSERT_EQ(apptest::PdfPageCount(Pdf(QStringLiteral("parts.pdf"))), 6);
    const QStringList parts { QStringLiteral("part 1: Customer"), QStringLiteral("part 2: Office"), QStringLiteral("part 3: File") };
    for (int page = 1; page <= 6; ++page) {
        const QString text = apptest::PdfText(Pdf(QStringLiteral("parts.pdf")), page);
        EXPECT_TRUE(text.contains(parts[(page - 1) % 3]) && text.contains(page <= 3 ? QStringLiteral("7") : QStringLiteral("8")))
            << page << ": " << text.toStdString();
    }
}

// Data rows: {data:Seat} fills from the CSV beside the settings file, row n - 100 + 1 for
// number n; what the run printed from is journaled, and a reprint from changed data needs
// --force.
TEST_F(CommandLineTest, DataRowsFillItemsAndAReprintFromChangedDataNeedsForce)
{
    const QString csv = dir_.filePath(QStringLiteral("seats.csv"));
    filebytes::WriteBytes(csv, "Name,Seat\r\nAnna,\"Row 1, seat 4\"\r\nБорис,B 7\r\nChloé,C 9\r\n");
    Write("[SN]\r\nLastNumber=99\r\nPrefix=S-\r\n\r\n[Data]\r\nFile=seats.csv\r\nFirstNumber=100\r\n\r\n"
          "[Item3]\r\nKind=text\r\nLeft=1\r\nTop=3\r\nText=seat {data:Seat} for {data:Name}\r\n");
    auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--quiet"),
                               QStringLiteral("--output"), Pdf(QStringLiteral("seats.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    const QStringList seats { QStringLiteral("seat Row 1, seat 4 for Anna"), QStringLiteral("seat B 7 for Борис"), QStringLiteral("seat C 9 for Chloé") };
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("seats.pdf")), page).contains(seats[page - 1]))
            << page << apptest::PdfText(Pdf(QStringLiteral("seats.pdf")), page).toStdString();
    const QString journal = QString::fromUtf8(filebytes::ReadAll(dir_.filePath(QStringLiteral("Tallyforge-journal.csv"))));
    EXPECT_TRUE(journal.contains(QFileInfo(csv).absoluteFilePath())) << journal.toStdString();

    // Changed since: refused, nothing written, until forced; then the new row prints.
    filebytes::WriteBytes(csv, "Name,Seat\r\nAnna,A 1\r\nБорис,B 8\r\nChloé,C 9\r\n");
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("101"), QStringLiteral("--output"),
                                  Pdf(QStringLiteral("changed.pdf")) });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("has changed since these serials were printed from it"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Pdf(QStringLiteral("changed.pdf"))));
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("101"), QStringLiteral("--force"),
                                  QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("changed.pdf")) });
    ASSERT_EQ(code, 0) << error.toStdString();
    EXPECT_TRUE(apptest::PdfText(Pdf(QStringLiteral("changed.pdf")), 1).contains(QStringLiteral("seat B 8 for Борис")));
    // A reprint takes the data its serials were printed from, never another.
    std::tie(code, error) = Run({ QStringLiteral("reprint"), QStringLiteral("101"), QStringLiteral("101"), QStringLiteral("--data"), csv });
    EXPECT_EQ(code, 2) << error.toStdString();
    EXPECT_EQ(LastNumber(), QStringLiteral("102"));
}

// What the data cannot fill stops a print before the counter moves or the journal has a
// line: a serial past the last row, a column the header lacks, a file that is no CSV, a
// pipe in its place.
TEST_F(CommandLineTest, DataThatCannotFillTheRunIsRefusedBeforeANumberIsTaken)
{
    filebytes::WriteBytes(dir_.filePath(QStringLiteral("rows.csv")), "Seat\nA1\nA2\n");
    Write("[SN]\r\nLastNumber=0\r\n\r\n[Data]\r\nFile=rows.csv\r\n\r\n[Item3]\r\nKind=text\r\nText={data:Seat}\r\n");
    const QByteArray before = Bytes();
    const auto print = [&](const QStringList& options) {
        return Run(QStringList { QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--output"), Pdf(QStringLiteral("out.pdf")) }
                   + options);
    };
    auto [code, error] = print({ QStringLiteral("--count"), QStringLiteral("3") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("Serial 3 has no row in the data file"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("whose rows are numbers 1 to 2"))) << error.toStdString();

    Write(QByteArray(before).replace("{data:Seat}", "{data:Seat} {data:Gate}"));
    std::tie(code, error) = print({ QStringLiteral("--count"), QStringLiteral("2") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("Item 3: the data file"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("has no column 'Gate'"))) << error.toStdString();

    filebytes::WriteBytes(dir_.filePath(QStringLiteral("broken.csv")), "Seat\nA1\n\"A2\nA3\n");
    std::tie(code, error) = print({ QStringLiteral("--data"), dir_.filePath(QStringLiteral("broken.csv")) });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("line 3 opens a quoted field that never closes"))) << error.toStdString();

    const QString fifo = dir_.filePath(QStringLiteral("pipe.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::tie(code, error) = print({ QStringLiteral("--data"), fifo });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(fifo)) << error.toStdString();

    EXPECT_EQ(LastNumber(), QStringLiteral("0"));
    EXPECT_FALSE(QFileInfo::exists(Pdf(QStringLiteral("out.pdf"))));
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath(QStringLiteral("Tallyforge-journal.csv"))));
}

} // namespace
