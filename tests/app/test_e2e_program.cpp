// The built program as a user starts it: settings file beside a portable copy, `print`
// runs that continue the series, and a window that closes on SIGTERM as File > Exit does.
#include "support_app.h"
#include "support_program.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString setting(const QString& file, const char* section, const char* key)
{
    return apptest::IniValue(file, QLatin1String(section), QLatin1String(key));
}

QStringList pdfsIn(const QString& dir)
{
    QStringList files;
    for (const QString& name : QDir(dir).entryList({ QStringLiteral("*.pdf") }, QDir::Files))
        files << QDir(dir).filePath(name);
    return files;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

TEST(ProgramTest, FirstStartAndExitWritesTheDefaultsBesideTheProgram)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    ASSERT_EQ(copy.OpenAndTerminate(), 0);
    ASSERT_TRUE(QFileInfo::exists(copy.SettingsFile()));
    EXPECT_FALSE(QFileInfo::exists(copy.Home() + QStringLiteral("/Tallyforge.ini")));
    EXPECT_FALSE(QFileInfo::exists(copy.Home() + QStringLiteral("/.config/Tallyforge/Tallyforge.ini")));
    const QString file = copy.SettingsFile();
    EXPECT_EQ(setting(file, "SN", "LastNumber"), QStringLiteral("0"));
    EXPECT_EQ(setting(file, "SN", "PageCount"), QStringLiteral("10"));
    EXPECT_EQ(setting(file, "Font", "Name"), QStringLiteral("Arial"));
    EXPECT_EQ(setting(file, "View", "WholePage"), QStringLiteral("1"));
}

TEST(ProgramTest, PrintTwiceThenTheWindowContinuesTheSeries)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    ASSERT_TRUE(writeFile(copy.SettingsFile(), "[SN]\nLastNumber=99\nPageCount=5\nPrefix=A-\nSuffix=/B\n"
                                               "[Paper]\nVerticalIndent2=3.00\n"));
    QString errors;
    ASSERT_EQ(copy.Run({ "print" }, &errors), 0) << errors.toStdString();
    EXPECT_EQ(setting(copy.SettingsFile(), "SN", "LastNumber"), QStringLiteral("104"));
    QStringList pdfs = pdfsIn(copy.Documents());
    ASSERT_EQ(pdfs.size(), 1);
    ASSERT_EQ(apptest::PdfPageCount(pdfs[0]), 5);
    for (int page = 1; page <= 5; ++page)
        EXPECT_EQ(apptest::PdfText(pdfs[0], page).count(QStringLiteral("A-%1/B").arg(99 + page)), 2) << page;

    // The next run starts at 105: one page shows it, and the counter moves on to 105.
    ASSERT_EQ(copy.Run({ "print", "--count", "1", "--quiet" }, &errors), 0) << errors.toStdString();
    const QString first = pdfs[0];
    pdfs = pdfsIn(copy.Documents());
    ASSERT_EQ(pdfs.size(), 2);
    pdfs.removeAll(first); // the first file is never overwritten; the new one is beside it
    ASSERT_EQ(pdfs.size(), 1);
    EXPECT_EQ(apptest::PdfPageCount(pdfs[0]), 1);
    EXPECT_EQ(apptest::PdfText(pdfs[0]).count(QStringLiteral("A-105/B")), 2);
    EXPECT_EQ(setting(copy.SettingsFile(), "SN", "LastNumber"), QStringLiteral("105"));

    // The window starts at 106 and saves one less, with the run's other settings.
    ASSERT_EQ(copy.OpenAndTerminate(), 0);
    EXPECT_EQ(setting(copy.SettingsFile(), "SN", "LastNumber"), QStringLiteral("105"));
    EXPECT_EQ(setting(copy.SettingsFile(), "SN", "PageCount"), QStringLiteral("5"));
    EXPECT_EQ(setting(copy.SettingsFile(), "SN", "Prefix"), QStringLiteral("A-"));
    EXPECT_EQ(setting(copy.SettingsFile(), "Paper", "VerticalIndent2"), QStringLiteral("3"));
    EXPECT_EQ(pdfsIn(copy.Documents()).size(), 2); // closing prints nothing
}

TEST(ProgramTest, CommentsAndUnknownKeysStayAtTheNextSave)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    // A file of the user's choosing, away from the program.
    const QString file = copy.Home() + QStringLiteral("/counter.ini");
    ASSERT_TRUE(writeFile(file, "; written by hand\r\n[SN]\r\nLastNumber=41\r\nOperator=Kim\r\n[Extra]\r\nKeep=1\r\n"));
    ASSERT_EQ(copy.OpenAndTerminate({ "--settings", file }), 0);
    const QString text = apptest::ReadText(file);
    EXPECT_TRUE(text.startsWith(QStringLiteral("; written by hand\r\n[SN]\r\n"))) << text.toStdString();
    EXPECT_EQ(setting(file, "SN", "LastNumber"), QStringLiteral("41"));
    EXPECT_EQ(setting(file, "SN", "Operator"), QStringLiteral("Kim"));
    EXPECT_EQ(setting(file, "Extra", "Keep"), QStringLiteral("1"));
    EXPECT_EQ(setting(file, "SN", "PageCount"), QStringLiteral("10")); // the window saved
    EXPECT_FALSE(QFileInfo::exists(copy.SettingsFile()));
}

} // namespace
