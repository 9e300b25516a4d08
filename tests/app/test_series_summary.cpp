// Where every number of a series went (log --summary), the void records it counts, and
// the journal's reason column read alike with and without the columns beside it.
#include "platform/Exception.h"
#include "run/Journal.h"
#include "run/PrintRoom.h"
#include "run/SeriesSummary.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

namespace {

using Cat = TSeriesSummary::Category;

// Records are written with designated initializers that name only what a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

struct Rec {
    TRunKind kind = TRunKind::Print;
    TRunStatus status = TRunStatus::Completed;
    std::optional<int> first;
    std::optional<int> last;
    int step = 1;
    std::optional<int> voidFirst;
    std::optional<int> voidLast;
    QString notPrinted;
    int pages = 0;
    QString prefix;
};

TJournalRecord Make(const Rec& r, int index)
{
    TJournalRecord record;
    record.started = QDateTime::fromString(QStringLiteral("2026-03-01T08:00:00.000Z"), Qt::ISODateWithMs).addSecs(index);
    record.finished = record.started;
    record.user = QStringLiteral("clerk");
    record.host = QStringLiteral("desk1");
    record.kind = r.kind;
    record.status = r.status;
    record.first = r.first;
    record.last = r.last;
    record.step = r.step;
    record.voidFirst = r.voidFirst;
    record.voidLast = r.voidLast;
    record.notPrinted = ParseNotPrinted(r.notPrinted).value_or(QList<TSerialRange>());
    record.pages = r.pages;
    record.prefix = r.prefix;
    return record;
}

// The records through a journal in a temporary folder, read back as a store reads them.
QList<TJournalRecord> Journaled(const QList<Rec>& records)
{
    QTemporaryDir dir;
    TJournal journal(dir.filePath(QStringLiteral("Tallyforge-journal.csv")));
    for (qsizetype i = 0; i < records.size(); ++i)
        journal.Append(Make(records[i], int(i)));
    return journal.Runs();
}

struct SummaryCase {
    const char* name;
    QList<Rec> records;
    std::optional<int> counter;
    qint32 first;
    qint64 numbers;
    // void, printed, sent, held, given back, skipped, unaccounted
    std::array<qint64, TSeriesSummary::CategoryCount> counts;
    qint64 reprinted;
    QList<TSerialRange> unaccounted;
};

class SeriesSummaryTest : public testing::TestWithParam<SummaryCase> { };

TEST_P(SeriesSummaryTest, EveryNumberIsInExactlyOneCategory)
{
    const SummaryCase& c = GetParam();
    const TSeriesSummary summary = SummarizeSeries(Journaled(c.records), c.counter);
    ASSERT_FALSE(summary.empty);
    EXPECT_EQ(summary.first, c.first);
    EXPECT_EQ(summary.last, *c.counter);
    EXPECT_EQ(summary.numbers, c.numbers);
    qint64 sum = 0;
    for (int category = 0; category < TSeriesSummary::CategoryCount; ++category) {
        EXPECT_EQ(summary.count[size_t(category)], c.counts[size_t(category)]) << "category " << category;
        sum += summary.count[size_t(category)];
    }
    EXPECT_EQ(sum, summary.numbers);
    EXPECT_EQ(summary.reprinted, c.reprinted);
    EXPECT_EQ(summary.unaccounted, c.unaccounted);
}

INSTANTIATE_TEST_SUITE_P(Journals, SeriesSummaryTest, testing::Values(
    SummaryCase { "PrintVoidAndReprint",
                  { { .first = 1, .last = 20, .pages = 20 },
                    { .kind = TRunKind::Void, .first = 5, .last = 7 },
                    { .kind = TRunKind::Reprint, .first = 5, .last = 6, .pages = 2 } },
                  20, 1, 20, { 3, 17, 0, 0, 0, 0, 0 }, 2, {} },
    // A run ten apart takes the numbers between its serials; its void takes them too.
    SummaryCase { "StepTakesTheNumbersBetween",
                  { { .first = 100, .last = 190, .step = 10, .pages = 10 },
                    { .kind = TRunKind::Void, .first = 110, .last = 110, .step = 10 } },
                  199, 100, 100, { 10, 90, 0, 0, 0, 0, 0 }, 0, {} },
    // A cancelled run whose tail another run passed: the tail is given back, not lost;
    // a failed reprint reprinted nothing.
    SummaryCase { "TailThatCouldNotGoBack",
                  { { .status = TRunStatus::Cancelled, .first = 1, .last = 20, .voidFirst = 21, .voidLast = 30, .pages = 20 },
                    { .first = 31, .last = 40, .pages = 10 },
                    { .kind = TRunKind::Reprint, .status = TRunStatus::Failed, .first = 1, .last = 3, .pages = 3 } },
                  40, 1, 40, { 0, 30, 0, 0, 10, 0, 0 }, 0, {} },
    // A stopped run of sheets keeps its unprinted serials for the rest; the part a
    // resume printed since counts as printed. Ten apart, each held serial holds ten.
    SummaryCase { "StoppedRunHoldsItsRest",
                  { { .status = TRunStatus::Cancelled, .first = 1, .last = 12, .notPrinted = QStringLiteral("5..8"), .pages = 8 },
                    { .kind = TRunKind::Resume, .first = 5, .last = 6, .pages = 2 },
                    { .status = TRunStatus::Interrupted, .first = 20, .last = 50, .step = 10, .notPrinted = QStringLiteral("40"), .pages = 3 } },
                  59, 1, 59, { 0, 40, 0, 12, 0, 0, 7 }, 0, { { 13, 19 } } },
    SummaryCase { "SentAndNotYetConfirmed",
                  { { .first = 1, .last = 10, .pages = 10 }, { .status = TRunStatus::Sent, .first = 11, .last = 15, .pages = 5 } },
                  15, 1, 15, { 0, 10, 5, 0, 0, 0, 0 }, 0, {} },
    SummaryCase { "SetNextSkipsAreAccounted",
                  { { .first = 1, .last = 10, .pages = 10 },
                    { .kind = TRunKind::SetNext, .voidFirst = 11, .voidLast = 99 },
                    { .first = 100, .last = 104, .pages = 5 } },
                  104, 1, 104, { 0, 15, 0, 0, 0, 89, 0 }, 0, {} },
    // Across 2147483647: the series goes on from -2147483648.
    SummaryCase { "AcrossTheWrap",
                  { { .first = INT_MAX - 7, .last = INT_MIN + 5, .pages = 14 },
                    { .kind = TRunKind::Void, .first = INT_MIN, .last = INT_MIN } },
                  INT_MIN + 5, INT_MAX - 7, 14, { 1, 13, 0, 0, 0, 0, 0 }, 0, {} },
    // A journal line lost: its numbers are named; a print that kept the counter neither
    // starts the series before its first print nor counts past the counter; another
    // prefix takes the same counter's numbers.
    SummaryCase { "LostLineIsUnaccounted",
                  { { .kind = TRunKind::PrintNoAdvance, .first = 1, .last = 3, .pages = 3 },
                    { .first = 100, .last = 110, .pages = 11 },
                    { .first = 121, .last = 130, .pages = 10, .prefix = QStringLiteral("B-") },
                    { .kind = TRunKind::PrintNoAdvance, .first = 125, .last = 140, .pages = 16 } },
                  130, 100, 31, { 0, 21, 0, 0, 0, 0, 10 }, 0, { { 111, 120 } } }),
    [](const testing::TestParamInfo<SummaryCase>& info) { return std::string(info.param.name); });

TEST(SeriesSummary, NothingTakenOrNoCounterIsNoSeries)
{
    EXPECT_TRUE(SummarizeSeries({}, 99).empty);
    EXPECT_TRUE(SummarizeSeries(Journaled({ { .first = 1, .last = 5, .pages = 5 } }), std::nullopt).empty);
    // A counter set back before every print: nothing of the series is left behind it.
    EXPECT_TRUE(SummarizeSeries(Journaled({ { .first = 100, .last = 105, .pages = 6 } }), 50).empty);
}

// The sweep over intervals, not a set of numbers: a journal of 100,000 runs, wide ones
// among them, is summed at once.
TEST(SeriesSummary, HundredThousandRunsOfWideRanges)
{
    QList<TJournalRecord> runs;
    runs.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        runs << Make({ .first = i * 20000, .last = i * 20000 + 19989, .voidFirst = i * 20000 + 19990, .voidLast = i * 20000 + 19999 }, i);
    QElapsedTimer timer;
    timer.start();
    const TSeriesSummary summary = SummarizeSeries(runs, 100000 * 20000 - 1);
    EXPECT_EQ(summary.numbers, 2000000000);
    EXPECT_EQ(summary.count[Cat::Printed], 1999000000);
    EXPECT_EQ(summary.count[Cat::GivenBack], 1000000);
    EXPECT_EQ(summary.count[Cat::Unaccounted], 0);
    RecordProperty("milliseconds", int(timer.elapsed()));
}

TEST(SeriesSummary, LinesAlignAndNameTheFirstUnaccountedNumbers)
{
    const TSeriesSummary summary = SummarizeSeries(Journaled({ { .first = 1, .last = 10, .pages = 10 }, { .first = 21, .last = 30, .pages = 10 } }), 30);
    const QStringList lines = SummaryLines(summary);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.first(), QStringLiteral("Numbers 1-30             30"));
    EXPECT_EQ(lines.last(), QStringLiteral("Unaccounted              10  11-20"));
    for (const QString& line : lines.first(8))
        EXPECT_EQ(line.size(), lines.first().size()) << line.toStdString();
    EXPECT_TRUE(SummaryLine(summary).endsWith(QStringLiteral("unaccounted 10 (11-20)"))) << SummaryLine(summary).toStdString();
}

// --- void records as the print room plans them ---

TVoidRequest Void(const QString& first, const QString& last)
{
    TVoidRequest request;
    request.firstText = first;
    request.lastText = last;
    request.reason = QStringLiteral("jammed");
    request.page.Prefix = QStringLiteral("T-");
    return request;
}

TEST(VoidPlan, ServesSerialsARunPrintedOrKeptAndAsksAboutTheOthers)
{
    const QList<TJournalRecord> runs = Journaled({ { .first = 1, .last = 20, .pages = 20, .prefix = QStringLiteral("S-") },
                                                   { .status = TRunStatus::Cancelled, .first = 21, .last = 61, .step = 10,
                                                     .notPrinted = QStringLiteral("51..61"), .pages = 3, .prefix = QStringLiteral("S-") } });
    // Named as printed: the run's text and step, nothing printed, the counter untouched.
    TVoidPlan plan = TPrintRoom::PlanVoid(runs, 70, Void(QStringLiteral("S-5"), QStringLiteral("S-7")));
    EXPECT_TRUE(plan.questions.isEmpty());
    EXPECT_EQ(plan.record.kind, TRunKind::Void);
    EXPECT_EQ(plan.record.first, 5);
    EXPECT_EQ(plan.record.last, 7);
    EXPECT_EQ(plan.record.prefix, QStringLiteral("S-"));
    EXPECT_EQ(plan.record.reason, QStringLiteral("jammed"));
    EXPECT_EQ(plan.record.pages, 0);

    // Ten apart, kept for the rest of a stopped run (so named by number): the run's text,
    // the last serial on its step.
    plan = TPrintRoom::PlanVoid(runs, 70, Void(QStringLiteral("51"), QStringLiteral("65")));
    EXPECT_TRUE(plan.questions.isEmpty());
    EXPECT_EQ(plan.record.prefix, QStringLiteral("S-"));
    EXPECT_EQ(plan.record.step, 10);
    EXPECT_EQ(plan.record.last, 61);

    // Numbers no run took, behind the counter: asked about (a lost line, a typed start).
    plan = TPrintRoom::PlanVoid(runs, 100, Void(QStringLiteral("72"), QStringLiteral("80")));
    ASSERT_EQ(plan.questions.size(), 1);
    EXPECT_EQ(plan.questions[0].kind, TPrintQuestion::Kind::NeverPrinted);
    EXPECT_EQ(plan.questions[0].text, QStringLiteral("Serials T-72 to T-80 were neither printed nor taken by any run"));
    EXPECT_EQ(plan.record.prefix, QStringLiteral("T-"));

    // Past the counter a void would hold nothing back: refused outright.
    EXPECT_THROW(TPrintRoom::PlanVoid(runs, 70, Void(QStringLiteral("71"), QStringLiteral("71"))), Exception);
    // A range that is none.
    EXPECT_THROW(TPrintRoom::PlanVoid(runs, 70, Void(QStringLiteral("S-7"), QStringLiteral("S-5"))), EPrintRequest);
}

// Void serials count as printed then spoiled: a reprint of them is not "never printed",
// and it still reprints as the run that printed them.
TEST(VoidPlan, VoidedSerialsStayPrintedForAReprint)
{
    QTemporaryDir dir;
    TJournal journal(dir.filePath(QStringLiteral("Tallyforge-journal.csv")));
    journal.Append(Make({ .first = 1, .last = 20, .pages = 20, .prefix = QStringLiteral("S-") }, 0));
    const TVoidPlan plan = TPrintRoom::PlanVoid(journal.Runs(), 20, Void(QStringLiteral("S-5"), QStringLiteral("S-7")));
    journal.Append(plan.record);
    const QList<TJournalRecord> runs = journal.Runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].kind, TRunKind::Void);
    EXPECT_EQ(runs[0].reason, QStringLiteral("jammed"));
    EXPECT_TRUE(Unprinted(runs, 5, 7).isEmpty());
    EXPECT_EQ(SummarizeSeries(runs, 20).count[Cat::Void], 3);
}

// reason is the last column, after the jobs and their print server: journals without
// them, with the jobs alone (their own header) and with all read, each field under its
// heading.
TEST(JournalReason, ReadsWithAndWithoutTheColumnsBesideIt)
{
    const QByteArray base = "started,finished,kind,status,first,last,pages,prefix,suffix,printer,output,job,user,host,run,void_first,"
                            "void_last,digits,sheets,layout,not_printed,step,check,template,template_sha256,design,resumes,check_separator";
    const QByteArray record = "2026-03-01T08:00:00.000Z,2026-03-01T08:00:01.000Z,void,completed,5,7,0,S-,,,,,clerk,desk1,00000000000000ab,"
                              ",,,,,,,,,,,,";
    struct Case {
        QByteArray header;
        QByteArray tail;
        QString reason;
    };
    for (const Case& c : { Case { base, "-", QString() }, Case { base + ",jobs,print_server", "-,,", QString() },
                           Case { base + ",jobs,print_server,reason", "-,,,\"jam, torn\"", QStringLiteral("jam, torn") },
                           Case { base + ",jobs,print_server,reason", "-,,,'=cut", QStringLiteral("=cut") } }) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tallyforge-journal.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.header + "\r\n" + record + c.tail + "\r\n");
        file.close();
        const QList<TJournalRecord> runs = TJournal(path).Runs();
        ASSERT_EQ(runs.size(), 1) << c.header.toStdString();
        EXPECT_EQ(runs[0].checkSeparator, QStringLiteral("-"));
        EXPECT_EQ(runs[0].reason, c.reason);
        // A record of this version goes on in the journal as it is, and reads back.
        TJournalRecord next = runs[0];
        next.run = 0xcd;
        next.reason = QStringLiteral("=smudged");
        TJournal(path).Append(next);
        EXPECT_EQ(TJournal(path).Runs().value(0).reason, QStringLiteral("=smudged"));
    }
    // A record without a reason keeps the width it always had.
    TJournalRecord plain = Make({ .first = 1, .last = 2, .pages = 2 }, 0);
    EXPECT_EQ(TJournal::ToCsv(plain).count(QLatin1Char(',')), 18);
}

} // namespace
