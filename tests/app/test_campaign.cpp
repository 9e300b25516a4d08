// Rounds of one to four `tallyforge` processes on one settings file, printing and
// reprinting at once, killed at random moments, some under a file size limit, all
// writing onto a small file system that fills up. After every round, whatever happened:
// no serial is on paper twice, and every number up to LastNumber is printed, void or
// inside an interrupted run of the journal. TF_CAMPAIGN_ROUNDS runs a longer campaign by
// hand (the default keeps CI short).
#include "support_app.h"

#include "run/Journal.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <memory>
#include <set>

#include <sys/mount.h>
#include <unistd.h>

namespace {

class Campaign : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        documents_ = dir_.filePath(QStringLiteral("home/Documents"));
        collected_ = dir_.filePath(QStringLiteral("collected"));
        reprints_ = dir_.filePath(QStringLiteral("reprints"));
        for (const QString& folder : { documents_, collected_, reprints_ })
            ASSERT_TRUE(QDir().mkpath(folder));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=0\r\nPrefix=S-\r\n\r\n");
        file.close();
        // A disk that fills: the documents folder on a file system of 384 KiB, where a
        // run of a few thousand pages does not fit.
        mounted_ = ::geteuid() == 0
            && ::mount("tallyforge-test", QFile::encodeName(documents_).constData(), "tmpfs", 0, "size=384k") == 0;
    }
    void TearDown() override
    {
        if (mounted_)
            ::umount2(QFile::encodeName(documents_).constData(), MNT_DETACH);
    }

    // One process: a print of `pages`, or with `reprintFirst` a reprint of that many
    // serials from there; under a file size limit of `sizeLimit` bytes when not 0.
    std::unique_ptr<QProcess> Start(int pages, qint64 reprintFirst, qint64 sizeLimit, int index)
    {
        QStringList arguments { QStringLiteral("--settings"), settings_, QStringLiteral("--quiet") };
        if (reprintFirst > 0)
            arguments << QStringLiteral("reprint") << QString::number(reprintFirst) << QString::number(reprintFirst + pages - 1)
                      << QStringLiteral("--force") << QStringLiteral("--output")
                      << QDir(reprints_).filePath(QStringLiteral("r%1-%2.pdf").arg(round_).arg(index));
        else
            arguments << QStringLiteral("print") << QStringLiteral("--count") << QString::number(pages);
        return Program(arguments, sizeLimit);
    }
    std::unique_ptr<QProcess> Program(QStringList arguments, qint64 sizeLimit = 0,
                                       QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels)
    {
        QString program = qEnvironmentVariable("TALLYFORGE_BINARY_DIR") + QStringLiteral("/src/app/tallyforge");
        if (sizeLimit > 0) {
            arguments.prepend(program);
            arguments.prepend(QStringLiteral("--fsize=%1").arg(sizeLimit));
            program = QStringLiteral("prlimit");
        }
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("HOME"), dir_.filePath(QStringLiteral("home")));
        environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1")); // the PDF printer
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(channels);
        apptest::EndWithTest(*process);
        process->start(program, arguments);
        return process;
    }

    // The published PDFs leave the small file system after each round, so the next round
    // finds it full only when one run of its own fills it.
    void Collect()
    {
        const QDir from(documents_);
        for (const QString& name : from.entryList({ QStringLiteral("*.pdf") }, QDir::Files))
            ASSERT_TRUE(QFile::rename(from.filePath(name), QDir(collected_).filePath(QStringLiteral("%1-%2").arg(round_).arg(name))));
    }

    // Pages by serial over every print's output (reprints are not prints).
    std::map<qint64, int> OnPaper() const
    {
        std::map<qint64, int> serials;
        const QDir dir(collected_);
        for (const QString& name : dir.entryList({ QStringLiteral("*.pdf") }, QDir::Files))
            for (const QString& page : apptest::PdfText(dir.filePath(name)).split(QLatin1Char('\f'))) {
                const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("S-(\\d+)")).match(page);
                if (match.hasMatch())
                    ++serials[match.captured(1).toLongLong()];
            }
        return serials;
    }

    // Every number up to `last` is in some record: printed, void or interrupted.
    static void ExpectAccounted(const QList<TJournalRecord>& runs, qint64 last)
    {
        for (qint64 serial = 1; serial <= last; ++serial) {
            const bool recorded = std::any_of(runs.begin(), runs.end(), [&](const TJournalRecord& run) {
                return run.kind != TRunKind::Reprint && run.Accounts(serial);
            });
            ASSERT_TRUE(recorded) << "serial " << serial << " is in no record (printed, void or interrupted)";
        }
    }

    QTemporaryDir dir_;
    QString settings_;
    QString documents_;
    QString collected_;
    QString reprints_;
    bool mounted_ = false;
    int round_ = 0;
};

TEST_F(Campaign, KilledRacingAndFullRunsNeverRepeatOrLoseASerial)
{
    const int rounds = qEnvironmentVariableIsSet("TF_CAMPAIGN_ROUNDS") ? qEnvironmentVariableIntValue("TF_CAMPAIGN_ROUNDS") : 8;
    QRandomGenerator random(20261207);
    int killed = 0;
    for (round_ = 0; round_ < rounds; ++round_) {
        const qint64 last = apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")).toLongLong();
        std::vector<std::unique_ptr<QProcess>> processes;
        const int count = 1 + int(random.bounded(4));
        for (int i = 0; i < count; ++i) {
            const int pages = 1 + int(random.bounded(random.bounded(4) == 0 ? 4000 : 300));
            const bool reprint = last > 10 && random.bounded(5) == 0;
            const qint64 limit = random.bounded(6) == 0 ? 48 * 1024 : 0;
            processes.push_back(Start(reprint ? std::min<int>(pages, 50) : pages,
                                      reprint ? 1 + random.bounded(int(last - 9)) : 0, limit, i));
        }
        QThread::msleep(50 + random.bounded(700));
        for (auto& process : processes) {
            if (random.bounded(2) == 0 && process->state() != QProcess::NotRunning) {
                process->kill();
                ++killed;
            }
            ASSERT_TRUE(process->waitForFinished(120000));
        }
        Collect();
    }
    EXPECT_GT(killed, 0);
    // Whatever the campaign left, the series goes on: a plain print after it prints.
    std::unique_ptr<QProcess> after = Start(1, 0, 0, 0);
    ASSERT_TRUE(after->waitForFinished(60000));
    EXPECT_EQ(after->exitCode(), 0);
    Collect();

    const qint64 last = apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")).toLongLong();
    const QList<TJournalRecord> runs = TJournal(TJournal::PathBeside(settings_)).Runs();
    const std::map<qint64, int> paper = OnPaper();
    for (const auto& [serial, pages] : paper) {
        EXPECT_EQ(pages, 1) << "serial " << serial << " is on " << pages << " pages";
        EXPECT_LE(serial, last) << "serial " << serial << " is past the counter";
    }
    ExpectAccounted(runs, last);
    RecordProperty("last", int(last));
    RecordProperty("onPaper", int(paper.size()));
}

// Until the process is drawing pages into `folder` (its PDF's hidden part file is there)
// or has ended.
bool DrawingOrEnded(const QString& folder, QProcess& process)
{
    const auto drawing = [&] {
        return !QDir(folder).entryList({ QStringLiteral(".tallyforge-*.part") }, QDir::Hidden | QDir::Files).isEmpty();
    };
    for (QDeadlineTimer deadline(60000); !deadline.hasExpired();) {
        if (drawing())
            return true;
        if (process.state() == QProcess::NotRunning || process.waitForFinished(5))
            return false;
    }
    return false;
}

// Rounds of a cut-and-stack print stopped part way whose rest is resumed by two or three
// commands at once, again and again, some of them killed or stopped as they print, until
// nothing is left. Only one resume at a time prints a rest (the others are refused,
// naming it); each ticket of the run is on paper once, and the series goes on after it.
TEST_F(Campaign, RestsResumedAtOnceAndKilledPrintEachTicketOnce)
{
    const int rounds = qEnvironmentVariableIsSet("TF_CAMPAIGN_ROUNDS") ? qEnvironmentVariableIntValue("TF_CAMPAIGN_ROUNDS") : 3;
    constexpr int kTickets = 40000;
    QRandomGenerator random(20261208);
    int refused = 0;
    for (round_ = 0; round_ < rounds; ++round_) {
        const QString folder = dir_.filePath(QStringLiteral("rests/%1").arg(round_));
        ASSERT_TRUE(QDir().mkpath(folder));
        const qint64 first = apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")).toLongLong() + 1;
        std::unique_ptr<QProcess> stack = Program({ QStringLiteral("--settings"), settings_, QStringLiteral("--quiet"), QStringLiteral("print"),
                                                    QStringLiteral("--count"), QString::number(kTickets), QStringLiteral("--sheet"), QStringLiteral("2x2"),
                                                    QStringLiteral("--order"), QStringLiteral("stack"), QStringLiteral("--output"),
                                                    QDir(folder).filePath(QStringLiteral("run.pdf")) });
        ASSERT_TRUE(DrawingOrEnded(folder, *stack));
        ::kill(pid_t(stack->processId()), SIGINT);
        ASSERT_TRUE(stack->waitForFinished(60000));
        bool left = true;
        for (int wave = 0; left && wave < 30; ++wave) {
            std::vector<std::unique_ptr<QProcess>> resumes;
            std::vector<QString> outputs;
            for (int i = 2 + int(random.bounded(2)); i > 0; --i) {
                outputs.push_back(QDir(folder).filePath(QStringLiteral("%1-%2").arg(wave).arg(i)));
                ASSERT_TRUE(QDir().mkpath(outputs.back()));
                resumes.push_back(Program({ QStringLiteral("--settings"), settings_, QStringLiteral("--quiet"), QStringLiteral("resume"),
                                            QStringLiteral("--output"), QDir(outputs.back()).filePath(QStringLiteral("rest.pdf")) },
                                          0, QProcess::SeparateChannels));
            }
            left = false;
            for (size_t i = 0; i < resumes.size(); ++i) {
                QProcess& resume = *resumes[i];
                const int stop = int(random.bounded(3)); // 0: to its end, 1: killed, 2: stopped
                if (stop != 0 && DrawingOrEnded(outputs[i], resume))
                    ::kill(pid_t(resume.processId()), stop == 1 ? SIGKILL : SIGINT);
                ASSERT_TRUE(resume.state() == QProcess::NotRunning || resume.waitForFinished(120000));
                const QString error = QString::fromLocal8Bit(resume.readAllStandardError());
                refused += error.contains(QStringLiteral("is being printed by"));
                left = left || !error.contains(QStringLiteral("sheets left to print"));
            }
        }
        ASSERT_FALSE(left) << "round " << round_ << ": the rest is never done";

        std::map<qint64, int> pages;
        QDirIterator pdfs(folder, { QStringLiteral("*.pdf") }, QDir::Files, QDirIterator::Subdirectories);
        while (pdfs.hasNext())
            for (const QString& page : apptest::PdfText(pdfs.next()).split(QLatin1Char('\f'))) {
                std::set<qint64> onPage;
                for (const QRegularExpressionMatch& match : QRegularExpression(QStringLiteral("S-(\\d+)")).globalMatch(page))
                    onPage.insert(match.captured(1).toLongLong());
                for (const qint64 serial : onPage)
                    ++pages[serial];
            }
        for (qint64 serial = first; serial < first + kTickets; ++serial)
            ASSERT_EQ(pages[serial], 1) << "round " << round_ << ": ticket " << serial << " is on " << pages[serial] << " pages";
        EXPECT_EQ(pages.size(), size_t(kTickets));
    }
    EXPECT_GT(refused, 0) << "no two resumes ever met";
    std::unique_ptr<QProcess> after = Start(1, 0, 0, 0);
    ASSERT_TRUE(after->waitForFinished(60000));
    EXPECT_EQ(after->exitCode(), 0);
    ExpectAccounted(TJournal(TJournal::PathBeside(settings_)).Runs(),
                    apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")).toLongLong());
}

} // namespace
