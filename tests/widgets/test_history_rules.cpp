#include "widgets/HistoryRules.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

struct CompletionRow {
    const char* name;
    QStringList items;
    QString value;
    int caret;
    bool matchCase;
    int index; // -1: nothing completed
    QString head, tail;
};

class HistoryCompletion : public ::testing::TestWithParam<CompletionRow> {};

TEST_P(HistoryCompletion, FirstEntryBeginningWithTheTypedPart)
{
    const CompletionRow& row = GetParam();
    const auto found = history::FindCompletion(row.items, row.value, row.caret, row.matchCase);
    if (row.index < 0) {
        EXPECT_FALSE(found.has_value());
        return;
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->index, row.index);
    EXPECT_EQ(found->head, row.head);
    EXPECT_EQ(found->tail, row.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HistoryCompletion,
    ::testing::Values(CompletionRow{"FirstOfSeveralWins", {"Bonn", "Bern", "Berlin"}, "be", 2, false, 1, "be", "rn"},
                      CompletionRow{"OnlyTextBeforeCaretCounts", {"abcd"}, "abX", 2, false, 0, "ab", "cd"},
                      CompletionRow{"EmptyTypedTextMatchesNothing", {"abc"}, "abc", 0, false, -1, {}, {}},
                      CompletionRow{"FullEntryLeavesEmptyTail", {"abc"}, "ABC", 3, false, 0, "ABC", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryCompletion, TailIsCutAt255Characters)
{
    const QString entry = "x" + QString(300, QLatin1Char('y'));
    const auto found = history::FindCompletion({entry}, "x", 1, false);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->tail.size(), 255);
}

TEST(HistoryPaths, CompletesTheFirstVisibleNameInTheFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"Report-2.txt", "report-1.txt", ".hidden", "notes"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString base = dir.path() + "/";
    EXPECT_EQ(history::CompleteFileName(base + "rep"), base + "Report-2.txt");
    EXPECT_EQ(history::CompleteFileName(base + "no"), base + "notes");
    EXPECT_EQ(history::CompleteFileName(base), base + "Report-2.txt");
    EXPECT_FALSE(history::CompleteFileName(base + ".hi").has_value());
    EXPECT_FALSE(history::CompleteFileName(base + "zzz").has_value());
    EXPECT_FALSE(history::CompleteFileName(base + "missing/x").has_value());
}

} // namespace
