// The serial series under faults: output that never arrives, a run stopped half way,
// two windows and two processes on one settings file, and processes killed at random.
// Every check comes down to one rule: no serial on paper twice, and every serial on
// paper at most the stored last number.
#include "support_app.h"
#include "support_window.h"

#include "run/Journal.h"
#include "platform/Application.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <map>

#include <sys/resource.h>

namespace {

const QString kPrefix = QStringLiteral("S-");

// Serial number -> how many times it stands on a page, over every PDF in the folder.
std::map<qint64, int> SerialsPrinted(const QString& folder)
{
    std::map<qint64, int> serials;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({ QStringLiteral("*.pdf") }, QDir::Files)) {
        const QString text = apptest::PdfText(dir.filePath(name));
        // Each page carries its serial twice; a serial counts once per page.
        const QStringList pages = text.split(QLatin1Char('\f'));
        for (const QString& page : pages) {
            QRegularExpressionMatch match = QRegularExpression(QStringLiteral("S-(\\d+)")).match(page);
            if (match.hasMatch())
                ++serials[match.captured(1).toLongLong()];
        }
    }
    return serials;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Children of this program that print from one settings file as a user's window does:
// TF_SERIES_SETTINGS, TF_SERIES_OUT (folder), TF_SERIES_RUNS (0: until killed),
// TF_SERIES_PAGES. Questions are answered Yes.
TEST(SeriesChild, PrintRuns)
{
    const QString settings = qEnvironmentVariable("TF_SERIES_SETTINGS");
    if (settings.isEmpty())
        GTEST_SKIP() << "runs only as a child of the series tests";
    apptest::EnsureApplication();
    TPrinter::InstallTestDevice(WindowTest::kCaps);
    Printer().SetOutputFolder(qEnvironmentVariable("TF_SERIES_OUT"));
    QStringList errors;
    app::SetErrorHandler([&](const QString&, const QString& text) { errors << text; });
    app::SetQuestionHandler([](const QString&, const QString&) { return true; });
    const int runs = qEnvironmentVariableIntValue("TF_SERIES_RUNS");
    TfrmTallyforge window(nullptr, settings);
    window.txtPrefix->SetText(kPrefix);
    window.txtPageCount->SetText(qEnvironmentVariable("TF_SERIES_PAGES"));
    for (int run = 0; runs == 0 || run < runs; ++run) {
        window.ToolButton1->trigger();
        ASSERT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    }
    window.close();
}

class SeriesTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        out_ = dir_.filePath(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkpath(out_));
        // No chosen file: every run gets a file of its own, named after its serials.
        Printer().SetOutputFileName(QString());
        Printer().SetOutputFolder(out_);
    }
    void TearDown() override
    {
        app::SetQuestionHandler(nullptr);
        WindowTest::TearDown();
    }

    QProcess* StartChild(int runs, int pages)
    {
        auto* child = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TF_SERIES_SETTINGS"), settingsPath_);
        env.insert(QStringLiteral("TF_SERIES_OUT"), out_);
        env.insert(QStringLiteral("TF_SERIES_RUNS"), QString::number(runs));
        env.insert(QStringLiteral("TF_SERIES_PAGES"), QString::number(pages));
        child->setProcessEnvironment(env);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationFilePath(), { QStringLiteral("--gtest_filter=SeriesChild.*") });
        apptest::EndWithTest(*child);
        return child;
    }

    qint64 LastNumber() const { return Setting(QStringLiteral("SN"), QStringLiteral("LastNumber")).toLongLong(); }
    QList<TJournalRecord> Journal() const { return TJournal(TJournal::PathBeside(settingsPath_)).Runs(); }

    QString out_;
};

TEST_F(SeriesTest, TwoWindowsOnOneFileNeverPrintTheSameSerials)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\n\r\n");
    auto a = MakeWindow();
    auto b = MakeWindow(); // opened before A prints: it shows 101 too
    for (auto* window : { a.get(), b.get() })
        window->txtPrefix->SetText(kPrefix);
    a->txtPageCount->SetText(QStringLiteral("10"));
    a->ToolButton1->trigger();

    QStringList questions;
    bool answer = false;
    app::SetQuestionHandler([&](const QString&, const QString& text) { questions << text; return answer; });
    b->txtPageCount->SetText(QStringLiteral("5"));
    b->ToolButton1->trigger(); // declined: nothing printed, nothing moved
    answer = true;
    b->ToolButton1->trigger();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[0], QStringLiteral("Another Tallyforge printed up to 110\n\nContinue from 111?"));
    EXPECT_EQ(b->txtStartingSN->Text(), QStringLiteral("116"));
    EXPECT_EQ(LastNumber(), 115);

    // Closing the window that printed first must not take the counter back to 110.
    b->close();
    a->close();
    EXPECT_EQ(LastNumber(), 115);
    std::map<qint64, int> expected;
    for (qint64 serial = 101; serial <= 115; ++serial)
        expected[serial] = 1;
    EXPECT_EQ(SerialsPrinted(out_), expected);
}

// A file that cannot be written to the end (a full disk, a file size limit) is an
// error, leaves nothing behind, and the counter and the settings file stay as they were.
TEST_F(SeriesTest, OutputThatNeverArrivedCountsForNothing)
{
    const QByteArray settings = "[SN]\r\nLastNumber=41\r\nPageCount=300\r\n\r\n";
    WriteSettings(settings);
    auto window = MakeWindow();
    answer_ = true; // 42 to 341 changes width: printed anyway
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    // The limit starts with the pages, after the counter was reserved: only the PDF
    // hits it, as a disk that fills during the run.
    window->pjSN->OnStartPrint = [&](TCustomPrintJob*) {
        struct rlimit small = saved;
        small.rlim_cur = 16 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
    };
    window->ToolButton1->trigger();
    setrlimit(RLIMIT_FSIZE, &saved);
    window->pjSN->OnStartPrint = nullptr;

    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith(QStringLiteral("Cannot write file"))) << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].endsWith(QStringLiteral("File too large."))) << errors_[0].toStdString();
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("42"));
    EXPECT_EQ(ReadBytes(settingsPath_), settings);
    EXPECT_EQ(QDir(out_).entryList(QDir::Files | QDir::Hidden), QStringList());
    const QList<TJournalRecord> runs = Journal();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].status, TRunStatus::Failed);
    EXPECT_EQ(runs[0].pages, 0);
    EXPECT_FALSE(runs[0].first.has_value());
}

// Stopping a long run (Escape on its progress, or closing the window) ends it after the
// current page: the PDF keeps the pages printed, and the counter moves past exactly them.
enum class Stop { Escape, FileExit, Sigterm };

struct StopRow {
    const char* name;
    Stop stop;
};

class StopTest : public SeriesTest, public testing::WithParamInterface<StopRow> { };

TEST_P(StopTest, StoppedRunKeepsItsPagesAndTheCounterFollowsThem)
{
    WriteSettings("[SN]\r\nLastNumber=1000\r\n\r\n");
    auto window = MakeWindow();
    window->show();
    window->txtPrefix->SetText(kPrefix);
    window->txtPageCount->SetText(QStringLiteral("100000"));
    answer_ = true; // 1001 to 101000 changes width: printed anyway
    // As a person would: wait for the progress, then press Escape on it or close the window.
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&, poll] {
        auto* progress = window->findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
        if (!progress || !progress->isVisible() || progress->value() < 10) {
            QTimer::singleShot(20, *poll);
        } else if (GetParam().stop == Stop::FileExit) {
            window->mnuExit->trigger();
        } else if (GetParam().stop == Stop::Sigterm) {
            ::raise(SIGTERM);
        } else {
            QTest::keyClick(progress, Qt::Key_Escape);
        }
    };
    // As the program does: asked to stop, it closes its window.
    TfrmTallyforge* target = window.get();
    static TfrmTallyforge** current = nullptr;
    current = &target;
    app::OnTerminationRequest([](int) { (*current)->close(); });
    QTimer::singleShot(0, *poll);
    window->ToolButton1->trigger();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();

    // The PDF holds exactly the serials up to the stored last number, each once (the
    // page begun after the last one printed stays blank).
    ASSERT_EQ(QDir(out_).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size(), 1);
    const std::map<qint64, int> printed = SerialsPrinted(out_);
    ASSERT_FALSE(printed.empty());
    const qint64 pages = qint64(printed.size());
    ASSERT_LT(pages, 100000);
    EXPECT_EQ(printed.begin()->first, 1001);
    EXPECT_EQ(printed.rbegin()->first, 1000 + pages);
    EXPECT_EQ(LastNumber(), 1000 + pages);
    const QList<TJournalRecord> runs = Journal();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].status, TRunStatus::Cancelled);
    EXPECT_EQ(runs[0].first, 1001);
    EXPECT_EQ(runs[0].last, 1000 + pages);
    EXPECT_EQ(runs[0].pages, pages);
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().startsWith(
        QStringLiteral("Printing stopped after %1 of 100000 pages.").arg(pages)))
        << window->PreviewStatusBar1->UserText().toStdString();
    if (GetParam().stop != Stop::Escape) {
        QCoreApplication::processEvents();
        EXPECT_FALSE(window->isVisible()) << "the window closes once the run has stopped";
    } else {
        EXPECT_EQ(window->txtStartingSN->AsInteger(), 1001 + pages);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, StopTest, testing::Values(StopRow { "EscapeOnTheProgress", Stop::Escape },
                                                         StopRow { "FileExit", Stop::FileExit },
                                                         StopRow { "Sigterm", Stop::Sigterm }),
                         [](const testing::TestParamInfo<StopRow>& info) { return std::string(info.param.name); });

TEST_F(SeriesTest, UnreadableLastNumberIsReportedAndKeptUntilTheUserSetsTheStart)
{
    WriteSettings("[SN]\r\nLastNumber=99999999999999999999\r\nPageCount=3\r\n\r\n");
    auto window = MakeWindow();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_EQ(errors_[0], QStringLiteral("The last number in %1 cannot be read: '99999999999999999999'. "
                                         "The series starts at 1.").arg(settingsPath_));
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("1"));
    window->txtSuffix->SetText(QStringLiteral("/B"));
    window->close();
    EXPECT_EQ(Setting(QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("99999999999999999999"));
    EXPECT_EQ(Setting(QStringLiteral("SN"), QStringLiteral("Suffix")), QStringLiteral("/B"));

    auto again = MakeWindow();
    again->txtStartingSN->SetText(QStringLiteral("500"));
    again->close();
    EXPECT_EQ(LastNumber(), 499);

    // A UTF-16 file cannot be written back without loss: it is not read, and kept.
    QByteArray utf16("\xff\xfe", 2);
    for (QChar c : QStringLiteral("[SN]\r\nLastNumber=41\r\n"))
        utf16 += QByteArray::fromRawData(reinterpret_cast<const char*>(&c), 2);
    WriteSettings(utf16);
    errors_.clear();
    auto third = MakeWindow();
    third->ToolButton1->trigger();
    third->close();
    EXPECT_EQ(errors_.size(), 2);
    EXPECT_EQ(ReadBytes(settingsPath_), utf16);
}

// Processes killed at random moments of their runs, over and over on one settings file:
// afterwards no serial stands on two pages and none is above the stored last number. A
// killed run's temporary file goes with the next run.
TEST_F(SeriesTest, KilledRunsNeverRepeatASerial)
{
    const int rounds = qEnvironmentVariableIsSet("TF_KILL_ROUNDS") ? qEnvironmentVariableIntValue("TF_KILL_ROUNDS") : 25;
    QRandomGenerator random(20261207);
    for (int round = 0; round < rounds; ++round) {
        std::unique_ptr<QProcess> child(StartChild(0, 20));
        ASSERT_TRUE(child->waitForStarted());
        // From start-up well into the printing.
        QTest::qWait(150 + int(random.bounded(900)));
        child->kill();
        child->waitForFinished();
    }
    std::unique_ptr<QProcess> last(StartChild(1, 20));
    ASSERT_TRUE(last->waitForFinished(60000));
    ASSERT_EQ(last->exitCode(), 0);

    const std::map<qint64, int> serials = SerialsPrinted(out_);
    ASSERT_FALSE(serials.empty());
    for (const auto& [serial, times] : serials) {
        EXPECT_EQ(times, 1) << "serial " << serial << " printed " << times << " times";
        EXPECT_LE(serial, LastNumber()) << "serial " << serial << " is past the stored counter";
    }
    EXPECT_EQ(QDir(out_).entryList({ QStringLiteral(".*.part") }, QDir::Files | QDir::Hidden), QStringList());
    // The journal accounts for every serial on paper, and killed runs stay recorded as
    // interrupted with the range they took.
    const QList<TJournalRecord> runs = Journal();
    int interrupted = 0;
    for (const TJournalRecord& run : runs)
        interrupted += run.status == TRunStatus::Interrupted;
    EXPECT_GT(interrupted, 0);
    for (const auto& [serial, times] : serials)
        EXPECT_TRUE(std::any_of(runs.begin(), runs.end(), [&](const TJournalRecord& run) { return run.Covers(serial); }))
            << "serial " << serial << " is in no journal record";
}

TEST_F(SeriesTest, TwoProcessesPrintingAtOnceShareTheSeries)
{
    constexpr int runs = 50;
    constexpr int pages = 3;
    std::unique_ptr<QProcess> first(StartChild(runs, pages));
    std::unique_ptr<QProcess> second(StartChild(runs, pages));
    ASSERT_TRUE(first->waitForFinished(300000));
    ASSERT_TRUE(second->waitForFinished(300000));
    ASSERT_EQ(first->exitCode(), 0);
    ASSERT_EQ(second->exitCode(), 0);

    // Every run of both came out, each serial once, one after the other with no gap.
    std::map<qint64, int> expected;
    for (qint64 serial = 1; serial <= 2 * runs * pages; ++serial)
        expected[serial] = 1;
    EXPECT_EQ(SerialsPrinted(out_), expected);
    EXPECT_EQ(LastNumber(), 2 * runs * pages);
    // Both appended at once and lost nothing: every run is one whole, completed record.
    const QList<TJournalRecord> journal = Journal();
    ASSERT_EQ(journal.size(), 2 * runs);
    for (const TJournalRecord& run : journal) {
        EXPECT_EQ(run.status, TRunStatus::Completed);
        EXPECT_EQ(run.pages, pages);
    }
}

} // namespace

namespace {

// Another program holds the settings file: the window stays responsive while a print
// waits for it, says what it waits for, and the user can give up; nothing is printed.
TEST_F(SeriesTest, WaitingForTheSettingsFileKeepsTheWindowAliveAndCanBeGivenUp)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\n\r\n");
    auto window = MakeWindow();
    QProcess holder;
    holder.start(QStringLiteral("flock"), { QStringLiteral("-x"), settingsPath_ + QStringLiteral(".lock"), QStringLiteral("-c"),
                                            QStringLiteral("echo held; sleep 60") });
    apptest::EndWithTest(holder);
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QString label;
    WhenModal<QProgressDialog>([&](QProgressDialog* dialog) {
        if (dialog->objectName() != QStringLiteral("WaitProgress"))
            return;
        label = dialog->labelText();
        ticks = 0;
        // A moment later, as a person would: the window lives on meanwhile.
        QTimer::singleShot(300, dialog, [dialog] {
            const auto buttons = dialog->findChildren<QPushButton*>();
            if (buttons.size() == 1)
                QTest::mouseClick(buttons.first(), Qt::LeftButton);
        });
    });
    window->txtPageCount->SetText(QStringLiteral("1"));
    window->ToolButton1->trigger();
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(label.startsWith(QStringLiteral("Waiting for ") + settingsPath_)) << label.toStdString();
    EXPECT_GT(ticks, 5) << "the event loop ran while waiting";
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith(QStringLiteral("Gave up waiting: "))) << errors_[0].toStdString();
    EXPECT_EQ(LastNumber(), 100);
    EXPECT_TRUE(QDir(out_).entryList({ QStringLiteral("*.pdf") }).isEmpty());
}

} // namespace
