// The built program as a user starts it: settings file beside the executable, a print
// from the toolbar, and a restart that continues the series.
#include "support_app.h"
#include "support_program.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString setting(const ProgramCopy& copy, const char* section, const char* key)
{
    return apptest::IniValue(copy.SettingsFile(), QLatin1String(section), QLatin1String(key));
}

QStringList pdfsIn(const QString& dir)
{
    QStringList files;
    for (const QString& name : QDir(dir).entryList({ QStringLiteral("*.pdf") }, QDir::Files))
        files << QDir(dir).filePath(name);
    return files;
}

TEST(ProgramTest, FirstStartAndExitWritesTheDefaultsBesideTheProgram)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    ASSERT_EQ(copy.Run({ "await-painted", "trigger mnuExit" }), 0);
    ASSERT_TRUE(QFileInfo::exists(copy.SettingsFile()));
    EXPECT_FALSE(QFileInfo::exists(copy.Home() + QStringLiteral("/Tallyforge.ini")));
    EXPECT_EQ(setting(copy, "SN", "LastNumber"), QStringLiteral("0"));
    EXPECT_EQ(setting(copy, "SN", "PageCount"), QStringLiteral("10"));
    EXPECT_EQ(setting(copy, "Font", "Name"), QStringLiteral("Arial"));
    EXPECT_EQ(setting(copy, "View", "WholePage"), QStringLiteral("1"));
}

TEST(ProgramTest, ToolbarPrintThenRestartContinuesTheSeries)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    ASSERT_EQ(copy.Run({ "await-painted", "set txtStartingSN 100", "set txtPageCount 5", "set txtPrefix A-",
                         "set txtSuffix /B", "set txtVerticalIndent2 3.00", "trigger ToolButton1",
                         "trigger mnuExit" }),
              0);
    EXPECT_EQ(setting(copy, "SN", "LastNumber"), QStringLiteral("104"));
    QStringList pdfs = pdfsIn(copy.Documents());
    ASSERT_EQ(pdfs.size(), 1);
    ASSERT_EQ(apptest::PdfPageCount(pdfs[0]), 5);
    for (int page = 1; page <= 5; ++page)
        EXPECT_EQ(apptest::PdfText(pdfs[0], page).count(QStringLiteral("A-%1/B").arg(99 + page)), 2) << page;

    // The next run starts at 105: one page shows it, and the counter moves on to 105.
    ASSERT_EQ(copy.Run({ "await-painted", "set txtPageCount 1", "trigger ToolButton1", "trigger mnuExit" }), 0);
    const QString first = pdfs[0];
    pdfs = pdfsIn(copy.Documents());
    ASSERT_EQ(pdfs.size(), 2);
    pdfs.removeAll(first); // the first file is never overwritten; the new one is beside it
    ASSERT_EQ(pdfs.size(), 1);
    EXPECT_TRUE(apptest::PdfText(pdfs[0]).contains(QStringLiteral("A-105/B")));
    EXPECT_EQ(setting(copy, "SN", "LastNumber"), QStringLiteral("105"));
}

TEST(ProgramTest, CommentsGoAndUnknownKeysStayAtTheNextSave)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    QFile file(copy.SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("; written by hand\r\n[SN]\r\nLastNumber=41\r\nOperator=Kim\r\n[Extra]\r\nKeep=1\r\n");
    file.close();
    ASSERT_EQ(copy.Run({ "await-painted", "trigger mnuExit" }), 0);
    const QString text = apptest::ReadText(copy.SettingsFile());
    EXPECT_FALSE(text.contains(QStringLiteral("written by hand")));
    EXPECT_EQ(setting(copy, "SN", "LastNumber"), QStringLiteral("41"));
    EXPECT_EQ(setting(copy, "SN", "Operator"), QStringLiteral("Kim"));
    EXPECT_EQ(setting(copy, "Extra", "Keep"), QStringLiteral("1"));
}

} // namespace
