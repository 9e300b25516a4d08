// Serials step apart with a check character, through the built program: what a run prints,
// where the counter goes on, what the journal keeps, and what a reprint then prints or
// refuses.
#include "support_app.h"
#include "support_program.h"

#include "run/Journal.h"
#include "run/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Luhn's check digit the other way round: the digit that makes the whole number valid.
QString LuhnCheck(const QString& digits)
{
    for (int candidate = 0; candidate <= 9; ++candidate) {
        const QString full = digits + QString::number(candidate);
        int sum = 0;
        for (qsizetype i = 0; i < full.size(); ++i) {
            const int d = full[full.size() - 1 - i].digitValue();
            sum += i % 2 == 1 ? (2 * d > 9 ? 2 * d - 9 : 2 * d) : d;
        }
        if (sum % 10 == 0)
            return QString::number(candidate);
    }
    return {};
}

TEST(CommandLineSteps, RunStepsCountsOnAndReprintsAsRecorded)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    {
        QFile file(copy.SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=99\r\nPageCount=3\r\nPrefix=S-\r\nSuffix=/A\r\n\r\n[Paper]\r\nVerticalIndent2=5\r\n");
    }
    const auto pdf = [&](const char* name) { return copy.Dir() + QLatin1Char('/') + QLatin1String(name); };
    const auto serial = [](int n) { return QStringLiteral("S-%1%2/A").arg(n).arg(LuhnCheck(QString::number(n))); };
    QString errors;

    // 100, 110, ... 140, each with its check before the suffix, twice a page.
    ASSERT_EQ(copy.Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("5"), QStringLiteral("--step"),
                         QStringLiteral("10"), QStringLiteral("--check"), QStringLiteral("luhn"), QStringLiteral("--output"), pdf("run.pdf") },
                       &errors), 0) << errors.toStdString();
    ASSERT_EQ(apptest::PdfPageCount(pdf("run.pdf")), 5);
    for (int page = 1; page <= 5; ++page) {
        const QString text = apptest::PdfText(pdf("run.pdf"), page);
        EXPECT_EQ(text.count(serial(90 + 10 * page)), 2) << page << ": " << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("S-")), 2) << text.toStdString();
    }
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("149"));
    // The options were for that run: the file still holds neither.
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("Step")), QString());
    const QList<TJournalRecord> runs = TJournal(TJournal::PathBeside(copy.SettingsFile())).Runs();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].first, 100);
    EXPECT_EQ(runs[0].last, 140);
    EXPECT_EQ(runs[0].pages, 5);
    EXPECT_EQ(runs[0].step, 10);
    EXPECT_EQ(runs[0].check, QStringLiteral("luhn"));

    // The next run goes on at 150, as the settings say (no step, no check).
    ASSERT_EQ(copy.Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--output"), pdf("next.pdf") }, &errors), 0)
        << errors.toStdString();
    EXPECT_EQ(apptest::PdfText(pdf("next.pdf"), 1).count(QStringLiteral("S-150/A")), 2);

    // A reprint steps and checks as the run did, whatever the settings say now.
    ASSERT_EQ(copy.Run({ QStringLiteral("reprint"), QStringLiteral("110"), QStringLiteral("130"), QStringLiteral("--output"), pdf("again.pdf") }, &errors), 0)
        << errors.toStdString();
    ASSERT_EQ(apptest::PdfPageCount(pdf("again.pdf")), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(apptest::PdfText(pdf("again.pdf"), page).count(serial(100 + 10 * page)), 2);
    ASSERT_EQ(copy.Run({ QStringLiteral("reprint"), QStringLiteral("120"), QStringLiteral("120"), QStringLiteral("--quiet"), QStringLiteral("--output"), pdf("one.pdf") }, &errors), 0)
        << errors.toStdString();
    EXPECT_EQ(apptest::PdfText(pdf("one.pdf"), 1).count(serial(120)), 2);

    // 105 lies between two serials of the run: never printed, so a reprint is refused and
    // printing it is no reprint of anything; 110 was printed.
    EXPECT_EQ(copy.Run({ QStringLiteral("reprint"), QStringLiteral("105"), QStringLiteral("105"), QStringLiteral("--output"), pdf("no.pdf") }, &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("Serials S-105/A were never printed"))) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(pdf("no.pdf")));
    EXPECT_EQ(copy.Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--start"), QStringLiteral("105"), QStringLiteral("--count"),
                         QStringLiteral("1"), QStringLiteral("--output"), pdf("between.pdf") }, &errors), 0) << errors.toStdString();
    EXPECT_EQ(copy.Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--start"), QStringLiteral("101"), QStringLiteral("--step"),
                         QStringLiteral("3"), QStringLiteral("--count"), QStringLiteral("4"), QStringLiteral("--output"), pdf("twice.pdf") }, &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("Serials 110 to 110 were printed already"))) << errors.toStdString();

    // Values no run can take are usage errors that name the option.
    const QList<std::pair<QStringList, QString>> usages {
        { { QStringLiteral("print"), QStringLiteral("--step"), QStringLiteral("0") }, QStringLiteral("--step") },
        { { QStringLiteral("print"), QStringLiteral("--check"), QStringLiteral("mod97") }, QStringLiteral("--check") },
        { { QStringLiteral("reprint"), QStringLiteral("110"), QStringLiteral("120"), QStringLiteral("--step"), QStringLiteral("10") }, QStringLiteral("--step") },
    };
    for (const auto& [arguments, option] : usages) {
        EXPECT_EQ(copy.Run(arguments, &errors), 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(errors.contains(option)) << errors.toStdString();
    }
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("150"));
}

// [SN] Step and Check: held within their limits when read, each written only when not
// the default, and a scheme this version does not know kept as the file holds it.
TEST(SettingsSteps, StepAndCheckReadHeldAndWrittenOnlyWhenSet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tallyforge.ini"));
    const auto write = [&](const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    const auto value = [&](const char* key) { return apptest::IniValue(path, QStringLiteral("SN"), QLatin1String(key)); };

    write("[SN]\r\nLastNumber=5\r\nStep=-3\r\nCheck= MOD11 \r\n");
    TallyforgeSettings settings = LoadSettingsFile(path);
    EXPECT_EQ(settings.Step, 1);
    EXPECT_EQ(settings.Check, ticket::TCheck::Mod11);
    EXPECT_EQ(settings.Unknown, QStringList({ "[SN] Step=-3" }));
    settings.Unknown.clear(); // set below, as the Number Format dialog sets them
    settings.Step = 10;
    settings.Check = ticket::TCheck::Luhn;
    SaveSettingsFile(path, settings);
    EXPECT_EQ(value("Step"), QStringLiteral("10"));
    EXPECT_EQ(value("Check"), QStringLiteral("luhn"));
    EXPECT_EQ(LoadSettingsFile(path), settings);
    settings.Step = 1;
    settings.Check = ticket::TCheck::None;
    SaveSettingsFile(path, settings);
    EXPECT_TRUE(value("Step").isNull());
    EXPECT_TRUE(value("Check").isNull());

    write("[SN]\r\nLastNumber=5\r\nCheck=mod97\r\n");
    settings = LoadSettingsFile(path);
    EXPECT_EQ(settings.Check, ticket::TCheck::None);
    SaveSettingsFile(path, settings);
    EXPECT_EQ(value("Check"), QStringLiteral("mod97"));
}

} // namespace
