#include "platform/UserStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

class UserStore : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        TUserStore::SetRootDirectory(root_.path());
    }
    void TearDown() override { TUserStore::SetRootDirectory(QString()); }

    QString Root() const { return root_.path(); }

private:
    QTemporaryDir root_;
};

TEST_F(UserStore, ValuesSurviveClosingAndOpeningTheKeyAgain)
{
    {
        TUserStore store("Software\\Tallyforge\\Fields");
        store.WriteString("Prefix", "txtPrefix", "No. ");
        store.WriteInteger("Counts", "Runs", -3);
    } // closing writes
    TUserStore again("Software\\Tallyforge\\Fields");
    EXPECT_EQ(again.ReadString("Prefix", "txtPrefix", "@"), "No. ");
    EXPECT_EQ(again.ReadInteger("counts", "RUNS", 0), -3);
    EXPECT_EQ(again.ReadString("Prefix", "txtSuffix", "@"), "@");
    EXPECT_TRUE(QFile::exists(Root() + "/software/tallyforge/fields.ini"));
}

// Unlike the settings file, the store gives back exactly the string it was given.
TEST_F(UserStore, StringsComeBackExactly)
{
    const QStringList values { " lead", "trail ", "\"quoted\"", "\"", "two\r\nlines", "back\\slash \"",
        "tab\tbell\x07", "", "@", "plain = text ; not a comment", QStringLiteral("\u20AC ") };
    {
        TUserStore store("Exact");
        for (int i = 0; i < values.size(); ++i)
            store.WriteString("S", QString::number(i), values[i]);
    }
    TUserStore again("Exact");
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.ReadString("S", QString::number(i), "<missing>"), values[i]) << i;
    // Values that need no protection stay readable by eye.
    QFile file(TUserStore::FilePathForKey("Exact"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\r\n9=plain = text ; not a comment\r\n"));
}

TEST_F(UserStore, KeyNamesIgnoreCaseAndEitherSlash)
{
    {
        TUserStore store("Software\\Tallyforge");
        store.WriteString("S", "v", "1");
    }
    EXPECT_EQ(TUserStore("SOFTWARE/tallyforge").ReadString("s", "V", ""), "1");
}

TEST_F(UserStore, KeyCannotReachOutsideTheStore)
{
    const QString path = TUserStore::FilePathForKey("..\\..\\etc\\passwd");
    EXPECT_EQ(path, Root() + "/etc/passwd.ini");
    EXPECT_EQ(TUserStore::FilePathForKey("\\"), Root() + "/_root.ini");
}

TEST_F(UserStore, DeletingValuesAndSubkeys)
{
    {
        TUserStore store("K");
        store.WriteString("History", "Item1", "a");
        store.WriteString("History", "Item2", "b");
        store.WriteString("Other", "x", "y");
    }
    {
        TUserStore store("K");
        EXPECT_EQ(store.ValueNames("History"), (QStringList { "Item1", "Item2" }));
        store.DeleteValue("History", "Item1");
        store.DeleteSubkey("Other");
    }
    TUserStore store("K");
    EXPECT_FALSE(store.ValueExists("History", "Item1"));
    EXPECT_TRUE(store.ValueExists("History", "Item2"));
    EXPECT_FALSE(store.SubkeyExists("Other"));
}

TEST_F(UserStore, OpeningWithoutChangesWritesNothing)
{
    {
        TUserStore store("Untouched");
        EXPECT_EQ(store.ReadString("S", "v", "d"), "d");
        EXPECT_TRUE(store.Flush());
    }
    EXPECT_FALSE(QFile::exists(TUserStore::FilePathForKey("Untouched")));
}

TEST_F(UserStore, UnreadableKeyReadsEmptyAndIsNeverOverwritten)
{
    const QString path = TUserStore::FilePathForKey("Locked");
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the key's file should be
    TUserStore store("Locked");
    EXPECT_FALSE(store.Readable());
    EXPECT_EQ(store.ReadString("S", "v", "d"), "d");
    store.WriteString("S", "v", "x");
    EXPECT_FALSE(store.Flush());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

// Processes that save into one key at once must not put back values that another one
// has moved on since they opened the key. The test runs itself as the writers: with the
// variable set, this process is one of them.
TEST_F(UserStore, ConcurrentSavesLoseNoUpdate)
{
    constexpr int kWriters = 4;
    constexpr int kSaves = 200;
    const char* const variable = "TALLYFORGE_TEST_USERSTORE_WRITER";
    const QList<QByteArray> writer = qgetenv(variable).split(';');
    if (writer.size() == 2) {
        TUserStore::SetRootDirectory(QString::fromUtf8(writer[0]));
        for (int save = 1; save <= kSaves; ++save) {
            TUserStore store("Shared");
            store.WriteInteger("Writers", "w" + QString::fromUtf8(writer[1]), save);
            ASSERT_TRUE(store.Flush()) << "save " << save;
        }
        return;
    }

    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < kWriters; ++i) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(variable, Root() + ';' + QString::number(i));
        process->setProcessEnvironment(environment);
        process->start(QFileInfo("/proc/self/exe").canonicalFilePath(),
            { "--gtest_filter=UserStore.ConcurrentSavesLoseNoUpdate" });
        writers.push_back(std::move(process));
    }
    for (const auto& process : writers) {
        ASSERT_TRUE(process->waitForFinished(300000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardOutput().constData();
    }
    TUserStore store("Shared");
    for (int i = 0; i < kWriters; ++i)
        EXPECT_EQ(store.ReadInteger("Writers", "w" + QString::number(i), 0), kSaves) << "writer " << i;
    EXPECT_EQ(QDir(QFileInfo(TUserStore::FilePathForKey("Shared")).absolutePath()).entryList(QDir::Files | QDir::Hidden),
        QStringList { "shared.ini" });
}

TEST(UserStoreRoot, DefaultsToAFolderOfTheUsersConfiguration)
{
    TUserStore::SetRootDirectory(QString());
    EXPECT_EQ(TUserStore::RootDirectory(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Tallyforge/UserStore");
}

} // namespace
