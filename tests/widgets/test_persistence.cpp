#include "platform/UserStore.h"
#include "widgets/Persistence.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_persistence";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

using Entries = QList<QPair<QString, QString>>;

struct EntriesRow {
    const char* name;
    QStringList items;
    int count;
    bool maxCount;
    Entries written;
};

class HistoryEntries : public ::testing::TestWithParam<EntriesRow> {};

TEST_P(HistoryEntries, NamesAndValuesWritten)
{
    const EntriesRow& row = GetParam();
    EXPECT_EQ(persistence::HistoryEntries(row.items, row.count, row.maxCount), row.written);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HistoryEntries,
    ::testing::Values(
        EntriesRow{"MaxCountWritesTheNewest", {"a", "b", "c", "d", "e", "f"}, 4, true,
                   {{"Item1", "c"}, {"Item2", "d"}, {"Item3", "e"}, {"Item4", "f"}, {"Item5", ""}}},
        EntriesRow{"ShortListUnderMaxCountEndsEmpty", {"a", "b"}, 4, true,
                   {{"Item1", "a"}, {"Item2", "b"}, {"Item3", ""}, {"Item4", ""}}},
        EntriesRow{"WithoutMaxCountCountIsIgnored", {"a", "b", "c"}, 1, false,
                   {{"Item1", "a"}, {"Item2", "b"}, {"Item3", "c"}, {"Item4", ""}}},
        EntriesRow{"EmptyHistoryEndsAtOnce", {}, 0, false, {{"Item1", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

class PersistenceFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(dir.isValid());
        TUserStore::SetRootDirectory(dir.filePath("store"));
    }
    void TearDown() override { TUserStore::SetRootDirectory(QString()); }

    THistoryPersist HistoryIn(const QString& fileName, TPersistenceLocation location = plInifile)
    {
        THistoryPersist settings;
        settings.SetEnable(true);
        settings.SetLocation(location);
        settings.SetKey(location == plInifile ? dir.filePath(fileName) : fileName);
        settings.SetSection("Cities");
        return settings;
    }

    QTemporaryDir dir;
};

TEST_F(PersistenceFiles, SixEntriesSavedWithMaxCountFourReadBackAsFour)
{
    THistoryPersist settings = HistoryIn("history.ini");
    settings.SetMaxCount(true);
    settings.SetCount(4);
    persistence::SaveHistory(settings, {"1", "2", "3", "4", "5", "6"});

    EXPECT_EQ(persistence::LoadHistory(settings), (QStringList{"3", "4", "5", "6"}));
    QFile file(dir.filePath("history.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Cities]"));
    EXPECT_TRUE(text.contains("Item1=3"));
    EXPECT_TRUE(text.contains("Item4=6"));
}

TEST_F(PersistenceFiles, AShorterSaveDoesNotBringBackOlderEntries)
{
    THistoryPersist settings = HistoryIn("history.ini");
    persistence::SaveHistory(settings, {"a", "b", "c", "d", "e"});
    persistence::SaveHistory(settings, {"x", "y"});
    EXPECT_EQ(persistence::LoadHistory(settings), (QStringList{"x", "y"}));
}

// An INI file strips outer blanks on reading, so an all-blank entry would read back as
// the empty entry that ends the list and take every later entry with it.
struct AwkwardHistoryRow {
    const char* name;
    TPersistenceLocation location;
    QStringList readBack;
};

class AwkwardHistory : public PersistenceFiles, public ::testing::WithParamInterface<AwkwardHistoryRow> {};

TEST_P(AwkwardHistory, LosesNoLaterEntries)
{
    const AwkwardHistoryRow row = GetParam();
    THistoryPersist settings = HistoryIn(row.location == plInifile ? "history.ini" : "Software\\Awkward", row.location);
    persistence::SaveHistory(settings, {"a", "   ", "two\r\nlines", "b"});
    EXPECT_EQ(persistence::LoadHistory(settings), row.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AwkwardHistory,
    ::testing::Values(AwkwardHistoryRow{"IniFile", plInifile, {"a", "two lines", "b"}},
                      AwkwardHistoryRow{"UserStore", plRegistry, {"a", "   ", "two\r\nlines", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PersistenceFiles, HistoryInTheUserStore)
{
    THistoryPersist settings = HistoryIn("Software\\Tallyforge\\Tests", plRegistry);
    persistence::SaveHistory(settings, {"Berlin", "Paris"});
    EXPECT_EQ(persistence::LoadHistory(settings), (QStringList{"Berlin", "Paris"}));
    TUserStore store("Software/Tallyforge/Tests");
    EXPECT_EQ(store.ReadString("Cities", "Item2", ""), "Paris");
}

TEST_F(PersistenceFiles, UnreadableFileGivesAnEmptyHistory)
{
    THistoryPersist settings = HistoryIn("locked.ini");
    // Something that exists but cannot be read as a file, whatever the user's rights.
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked.ini"));
    EXPECT_TRUE(persistence::LoadHistory(settings).isEmpty());
    persistence::SaveHistory(settings, {"b"}); // must not throw either
}

} // namespace
