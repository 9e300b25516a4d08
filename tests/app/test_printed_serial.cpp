// Serials named as they were printed: the text of one run's format read back into its
// number, and a reprint named that way planned by the print room against a journal.
#include "support_app.h"

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/PrintRoom.h"
#include "run/PrintedSerial.h"
#include "run/SeriesStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

namespace {

using printedserial::TSerialFormat;
using ticket::TCheck;

constexpr int kUnknownWidth = -1;
constexpr qint64 kNone = std::numeric_limits<qint64>::min();

struct ParseRow {
    const char* name;
    const char* prefix;
    const char* suffix;
    int digits;
    TCheck check;
    const char* text;
    qint64 printed; // Parse: the number, or kNone
    qint64 bare;    // ParseBare
};

class ParseTest : public testing::TestWithParam<ParseRow> { };

TEST_P(ParseTest, ReadsExactlyWhatTheFormatPrints)
{
    const ParseRow& row = GetParam();
    TSerialFormat format { QString::fromUtf8(row.prefix), QString::fromUtf8(row.suffix), std::nullopt, row.check, QString(), 0, QString() };
    if (row.digits != kUnknownWidth)
        format.digits = row.digits;
    const QString text = QString::fromUtf8(row.text);
    const std::optional<qint32> printed = printedserial::Parse(text, format);
    EXPECT_EQ(printed ? qint64(*printed) : kNone, row.printed);
    // What reads back prints as the same text (where the width is known).
    if (printed && format.digits) {
        EXPECT_EQ(printedserial::Text(format, *printed), text);
    }
    const std::optional<qint32> bare = printedserial::ParseBare(text, format);
    EXPECT_EQ(bare ? qint64(*bare) : kNone, row.bare);
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseTest, testing::Values(
    // mod10 over "00001": 3 -> 7; over "00017": 22 -> 8.
    ParseRow { "PrefixPaddedNumberAndCheck", "SC-", "", 5, TCheck::Mod10, "SC-000017", 1, kNone },
    ParseRow { "WrongCheckIsNoSerial", "SC-", "", 5, TCheck::Mod10, "SC-000016", kNone, kNone },
    ParseRow { "PaddingOfAnotherWidthIsNoSerial", "SC-", "", 5, TCheck::Mod10, "SC-00017", kNone, kNone },
    ParseRow { "PrintedSerialWithoutItsPrefixNamesNothing", "SC-", "", 5, TCheck::Mod10, "000017", kNone, kNone },
    ParseRow { "BareNumberAndItsPrintedPadding", "SC-", "", 5, TCheck::Mod10, "00017", kNone, 17 },
    // mod11 over "6": 12 -> 10, printed as X.
    ParseRow { "Mod11CheckX", "", "", 0, TCheck::Mod11, "6X", 6, kNone },
    ParseRow { "NegativePaddedWithTheSignInTheWidth", "N", "", 5, TCheck::None, "N-0007", -7, kNone },
    ParseRow { "NegativeUnpaddedInAPaddedRun", "N", "", 5, TCheck::None, "N-7", kNone, kNone },
    ParseRow { "UnknownWidthTakesAnyPadding", "N", "", kUnknownWidth, TCheck::None, "N-007", -7, kNone },
    ParseRow { "UnknownWidthBarePadded", "", "/A", kUnknownWidth, TCheck::None, "000017", kNone, 17 },
    // The suffix "7" after 12: the text is 12 of this run, and as a bare number 127.
    ParseRow { "SuffixThatLooksLikeADigit", "", "7", 0, TCheck::None, "127", 12, 127 },
    // mod7 of "012" is 5, then the suffix 5.
    ParseRow { "CheckThenDigitSuffix", "A", "5", 3, TCheck::Mod7, "A01255", 12, kNone },
    ParseRow { "LargestSerial", "", "", 0, TCheck::None, "2147483647", 2147483647, 2147483647 },
    ParseRow { "PastThirtyTwoBits", "", "", 0, TCheck::None, "2147483648", kNone, kNone },
    ParseRow { "PlusSignIsNoNumber", "", "", 0, TCheck::None, "+5", kNone, kNone }),
    [](const testing::TestParamInfo<ParseRow>& info) { return std::string(info.param.name); });

TJournalRecord Record(const char* prefix, int first, int last, int digits = 0, const char* check = "", int minute = 0)
{
    TJournalRecord run;
    run.started = QDateTime(QDate(2026, 3, 1), QTime(8, minute), Qt::UTC);
    run.finished = run.started.addSecs(5);
    run.status = TRunStatus::Completed;
    run.first = first;
    run.last = last;
    run.pages = last - first + 1;
    run.prefix = QString::fromUtf8(prefix);
    run.digits = digits;
    run.check = QString::fromUtf8(check);
    run.user = QStringLiteral("clerk");
    run.host = QStringLiteral("desk");
    return run;
}

// A printed serial is read as that serial even where it spells a bare number of another
// run; a bare number names its number wherever it was printed.
TEST(NamedTest, PrintedTextComesBeforeTheNumberItSpells)
{
    // 1..10 with Luhn: 1 is printed "18"; B-11..30 printed 18 as "B-18".
    const QList<TJournalRecord> runs { Record("", 1, 10, 0, "luhn"), Record("B-", 11, 30, 0, "", 1) };
    const auto named = [&](const char* text) {
        QStringList found;
        for (const printedserial::TNamed& r : printedserial::Named(QString::fromUtf8(text), runs))
            found << QStringLiteral("%1%2:%3").arg(r.run->prefix, r.printed ? QStringLiteral("printed") : QStringLiteral("bare")).arg(r.number);
        return found.join(u' ');
    };
    EXPECT_EQ(named("18"), QStringLiteral("printed:1"));
    EXPECT_EQ(named("B-18"), QStringLiteral("B-printed:18"));
    EXPECT_EQ(named("25"), QStringLiteral("B-bare:25"));
    EXPECT_EQ(named("5"), QStringLiteral("bare:5"));
    EXPECT_EQ(named("B-5"), QString()); // B never printed 5
    EXPECT_EQ(printedserial::RunsNaming(QStringLiteral(" B-18 "), runs).size(), 1);
}

// `log --serial` reads whole only the runs whose numbers the text can hold: for every
// text, what it names among those is what it names among all runs.
TEST(NamedTest, TheRunsHoldingItsNumbersAreAllATextCanName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TJournal journal(dir.filePath(QStringLiteral("Tallyforge-journal.csv")));
    QList<TJournalRecord> runs { Record("", 1, 10, 0, "luhn", 1), Record("B-", 11, 30, 0, "", 2),
                                 Record("No1", 2, 9, 0, "", 3), Record("SC-", 1, 20, 5, "mod10", 4),
                                 Record("N", -12, -3, 3, "", 5), Record("X", 2147483640, 2147483647, 0, "mod11", 6) };
    for (TJournalRecord& run : runs) {
        run.run = NewRunId();
        journal.Append(run);
    }
    const QList<TJournalRecord> all = journal.Runs();
    for (const char* text : { "18", "B-18", "25", "No15", "No19", "SC-000017", "000017", "N-007", "-7", "X2147483647",
                              "X21474836401", "5", "B-5", "nothing" }) {
        const QString serial = QString::fromUtf8(text);
        QStringList expected;
        for (const TJournalRecord& run : printedserial::RunsNaming(serial, all))
            expected << run.prefix;
        QStringList found;
        for (const TJournalRecord& run : printedserial::RunsNaming(serial, journal.RunsHolding(printedserial::NumbersIn(serial))))
            found << run.prefix;
        EXPECT_EQ(found, expected) << text;
    }
    // Only the runs that can hold the number are read: B-, N and X do not hold 7.
    EXPECT_EQ(journal.RunsHolding(printedserial::NumbersIn(QStringLiteral("7"))).size(), 3);
}

// A reprint named by text, planned against a journal in a temporary folder: A-1001..1010,
// B-1011..1020 and SC-000017.. (1..20, five digits, mod10), today's fields B-.
class NamedReprintTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        apptest::UseHome(home.path());
        qputenv("CUPS_SERVER", "127.0.0.1:1"); // no queue: the PDF printer
        apptest::EnsureApplication();
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        TPrinter::ResetForTests();
        const QString settings = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=1020\r\nPrefix=B-\r\n");
        file.close();
        journal_ = TJournal::PathBeside(settings);
        const TJournal journal(journal_);
        journal.Append(Record("SC-", 1, 20, 5, "mod10", 0));
        journal.Append(Record("A-", 1001, 1010, 0, "", 1));
        journal.Append(Record("B-", 1011, 1020, 0, "", 2));
        room_ = std::make_unique<TPrintRoom>(job_, std::make_shared<TLocalSeries>(settings));
    }
    void TearDown() override { TPrinter::ResetForTests(); }

    TPrintPlan Plan(const char* first, const char* last)
    {
        TPrintRequest request;
        request.kind = TRunKind::Reprint;
        request.page.Prefix = QStringLiteral("B-");
        request.page.Mark = QStringLiteral("REPRINT");
        request.firstText = QString::fromUtf8(first);
        request.lastText = QString::fromUtf8(last);
        return room_->Prepare(request);
    }

    QTemporaryDir dir_;
    QString journal_;
    TPrintJob job_;
    std::unique_ptr<TPrintRoom> room_;
};

struct ReprintRow {
    const char* name;
    const char* first;
    const char* last;
    qint32 start;
    int count;
    const char* prefix; // the text the serials print under
    const char* question; // the one question, or empty
};

class NamedReprintRows : public NamedReprintTest, public testing::WithParamInterface<ReprintRow> { };

TEST_P(NamedReprintRows, PlansTheSerialsAsTheyWerePrinted)
{
    const ReprintRow& row = GetParam();
    const TPrintPlan plan = Plan(row.first, row.last);
    EXPECT_EQ(plan.request.page.StartingNumber, row.start);
    EXPECT_EQ(plan.count, row.count);
    EXPECT_EQ(plan.request.page.Prefix, QString::fromUtf8(row.prefix));
    QStringList questions;
    for (const TPrintQuestion& question : plan.questions)
        questions << question.text;
    EXPECT_EQ(questions.join(u'\n'), QString::fromUtf8(row.question));
    // What is asked is what a serial was never printed as: No is the safe answer.
    EXPECT_EQ(plan.Asks(TPrintQuestion::Kind::NeverPrinted), *row.question != '\0');
}

INSTANTIATE_TEST_SUITE_P(Rows, NamedReprintRows, testing::Values(
    ReprintRow { "PrintedSerialWithCheck", "SC-000017", "SC-000178", 1, 17, "SC-", "" },
    ReprintRow { "BareNumbersOfThatRun", "1", "17", 1, 17, "SC-", "" },
    ReprintRow { "PaddedTextIsNotRereadAsAnotherSerial", "000017", "000017", 17, 1, "SC-",
                 "000017 is not a serial that any run printed; read as the number 17, it reprints as SC-000178" },
    ReprintRow { "RangeAcrossTwoPrefixes", "1005", "1015", 1005, 11, "A-",
                 "Serials A-1011 to A-1015 were never printed; B-1011 to B-1015 were printed as another series" },
    ReprintRow { "RangeNamedByBothPrefixes", "A-1005", "B-1015", 1005, 11, "A-",
                 "Serials A-1011 to A-1015 were never printed; B-1011 to B-1015 were printed as another series" },
    ReprintRow { "WithinOnePrefix", "B-1012", "1014", 1012, 3, "B-", "" },
    ReprintRow { "PastTheEndOfItsRun", "B-1019", "B-1022", 1019, 4, "B-", "Serials B-1021 to B-1022 were never printed" },
    ReprintRow { "NeverPrintedInTodaysText", "B-2000", "B-2000", 2000, 1, "B-", "Serials B-2000 were never printed" }),
    [](const testing::TestParamInfo<ReprintRow>& info) { return std::string(info.param.name); });

// A bare number that two other series printed is asked about, naming both; where today's
// series printed it, that one is meant.
TEST_F(NamedReprintTest, BareNumberOfTwoOtherSeriesIsAsked)
{
    TJournal(journal_).Append(Record("C-", 1001, 1003, 0, "", 3));
    TPrintPlan plan = Plan("1002", "1002");
    ASSERT_EQ(plan.questions.size(), 1);
    EXPECT_EQ(plan.questions[0].kind, TPrintQuestion::Kind::Ambiguous);
    EXPECT_TRUE(plan.questions[0].text.contains(QStringLiteral("C-1002")) && plan.questions[0].text.contains(QStringLiteral("A-1002")))
        << plan.questions[0].text.toStdString();
    EXPECT_EQ(plan.request.page.Prefix, QStringLiteral("C-")); // the newest

    TJournal(journal_).Append(Record("B-", 1001, 1003, 0, "", 4));
    plan = Plan("1002", "1002");
    EXPECT_TRUE(plan.questions.isEmpty());
    EXPECT_EQ(plan.request.page.Prefix, QStringLiteral("B-"));
}

TEST_F(NamedReprintTest, TextsThatNameNoSerialAreRefused)
{
    EXPECT_THROW(Plan("XY-5", "XY-6"), EPrintRequest);
    EXPECT_THROW(Plan("SC-000178", "SC-000017"), EPrintRequest); // 17 down to 1
}

} // namespace
