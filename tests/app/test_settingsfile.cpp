#include "FileBytes.h"

#include "run/SettingsFile.h"

#include "platform/Exception.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryDir>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kDefaultFile = "[SN]\r\n"
                                "LastNumber=0\r\n"
                                "PageCount=10\r\n"
                                "Prefix=\r\n"
                                "Suffix=\r\n"
                                "\r\n"
                                "[Paper]\r\n"
                                "HorizontalIndent=1\r\n"
                                "VerticalIndent=1\r\n"
                                "HorizontalIndent2=1\r\n"
                                "VerticalIndent2=1\r\n"
                                "\r\n"
                                "[Font]\r\n"
                                "Name=Arial\r\n"
                                "Size=24\r\n"
                                "Color=0\r\n"
                                "Bold=0\r\n"
                                "Underline=0\r\n"
                                "Italic=0\r\n"
                                "Strikeout=0\r\n"
                                "\r\n"
                                "[View]\r\n"
                                "WholePage=1\r\n"
                                "\r\n";

using filebytes::ReadAll;
using filebytes::WriteBytes;

QString ThrownMessage(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.Message();
    }
    return QStringLiteral("<nothing thrown>");
}

class SettingsFile : public testing::Test {
protected:
    QString Path() const { return dir_.filePath("Tallyforge.ini"); }
    QStringList Entries() const
    {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir dir_;
};

TEST_F(SettingsFile, FirstStartReadsTheDefaults)
{
    EXPECT_EQ(LoadSettingsFile(Path()), TallyforgeSettings {});
    EXPECT_FALSE(QFile::exists(Path())); // reading never creates the file
}

TEST_F(SettingsFile, FirstSaveWritesEveryKeyInItsOrder)
{
    SaveSettingsFile(Path(), TallyforgeSettings {});
    EXPECT_EQ(ReadAll(Path()), kDefaultFile);
    EXPECT_EQ(Entries(), (QStringList { "Tallyforge.ini", "Tallyforge.ini.lock" }));
}

TEST_F(SettingsFile, EveryValueSurvivesASaveAndALoad)
{
    TallyforgeSettings s;
    s.Prefix = "SN-";
    s.Suffix = "/A";
    s.LastNumber = -2147483647 - 1;
    s.PageCount = 0;
    s.HorizontalIndent = 0.25;
    s.VerticalIndent = 10.5;
    s.HorizontalIndent2 = 1.0 / 3.0;
    s.VerticalIndent2 = 0;
    s.Font.Name = "DejaVu Sans";
    s.Font.Size = 72;
    s.Font.Color = int(0x80000008u); // window text, a system colour
    s.Font.Bold = true;
    s.Font.Italic = true;
    s.Font.StrikeOut = true;
    s.WholePage = false;
    SaveSettingsFile(Path(), s);
    EXPECT_EQ(ReadAll(Path()), "[SN]\r\nLastNumber=-2147483648\r\nPageCount=0\r\nPrefix=SN-\r\nSuffix=/A\r\n\r\n"
                               "[Paper]\r\nHorizontalIndent=0.25\r\nVerticalIndent=10.5\r\n"
                               "HorizontalIndent2=0.333333333333333\r\nVerticalIndent2=0\r\n\r\n"
                               "[Font]\r\nName=DejaVu Sans\r\nSize=72\r\nColor=-2147483640\r\n"
                               "Bold=1\r\nUnderline=0\r\nItalic=1\r\nStrikeout=1\r\n\r\n"
                               "[View]\r\nWholePage=0\r\n\r\n");
    TallyforgeSettings back = LoadSettingsFile(Path());
    EXPECT_DOUBLE_EQ(back.HorizontalIndent2, 0.333333333333333);
    back.HorizontalIndent2 = s.HorizontalIndent2; // 15 digits are what the file keeps
    EXPECT_EQ(back.LastNumberText, QStringLiteral("-2147483648"));
    EXPECT_TRUE(back.LastNumberReadable);
    s.LastNumberText = back.LastNumberText;
    EXPECT_EQ(back, s);
}

TEST_F(SettingsFile, ReadingForgivesWhatAHandEditLeaves)
{
    WriteBytes(Path(), "Stray line before any section\n"
                       "; the serial counter\n"
                       "[ sn ]\n"
                       "  LastNumber = 0x10  \n"
                       "PageCount=$10\n"
                       "Prefix=   No.   \n"
                       "Suffix=old\n"
                       "suffix=new\n"
                       "Operator=Kim\n"
                       "\n"
                       "[Font]\n"
                       "Size=abc\n"
                       "Bold=2\n"
                       "Italic=maybe\n"
                       "Color=$FF\n"
                       "[Printer]\n"
                       "Queue=office\n");
    const TallyforgeSettings s = LoadSettingsFile(Path());
    EXPECT_EQ(s.LastNumber, 16); // the window then starts at 17
    EXPECT_EQ(s.PageCount, 16);
    EXPECT_EQ(s.Prefix, "No.");
    EXPECT_EQ(s.Suffix, "new");
    EXPECT_EQ(s.Font.Size, 24);
    EXPECT_TRUE(s.Font.Bold);
    EXPECT_FALSE(s.Font.Italic);
    EXPECT_EQ(s.Font.Color, 255);
    EXPECT_EQ(s.Font.Name, "Arial");
    EXPECT_TRUE(s.WholePage);

    // A save keeps comments, the stray line and what it does not know as they were,
    // rewrites only the values that change (the later duplicate), and adds what is
    // missing at the end of its section, with the file's own line ends.
    SaveSettingsFile(Path(), s);
    EXPECT_EQ(ReadAll(Path()), "Stray line before any section\n; the serial counter\n[ sn ]\n"
                               "LastNumber=16\nPageCount=16\nPrefix=   No.   \nSuffix=old\n"
                               "suffix=new\nOperator=Kim\n\n"
                               "[Font]\nSize=24\nBold=1\nItalic=0\nColor=255\nName=Arial\n"
                               "Underline=0\nStrikeout=0\n"
                               "[Printer]\nQueue=office\n"
                               "[Paper]\nHorizontalIndent=1\nVerticalIndent=1\nHorizontalIndent2=1\n"
                               "VerticalIndent2=1\n\n"
                               "[View]\nWholePage=1\n\n");
}

// Items 3, 4, ... in order, each with only the keys of its kind; a save of fewer items
// takes the sections of the removed ones (and the keys an item no longer has) away.
TEST_F(SettingsFile, ItemsKeepTheirOrderAndWhatIsRemovedLeavesTheFile)
{
    ticket::TTicketItem text;
    text.Left = 0.25;
    text.Top = 7.5;
    text.Text = " No. {number} ";
    text.Font = "DejaVu Serif";
    text.Size = 9;
    text.Color = 255;
    text.Align = ticket::TAlign::Center;
    text.Rotation = 270;
    ticket::TTicketItem code;
    code.Kind = ticket::TItemKind::Barcode;
    code.Left = 1.0 / 3.0;
    code.Symbology = ticket::TSymbology::EAN13;
    code.Width = 1.25;
    code.Height = 0.5;
    code.HumanReadable = true;
    TallyforgeSettings s;
    s.Items = { text, code, text };
    SaveSettingsFile(Path(), s);
    const QByteArray textSection = "Kind=text\r\nLeft=0.25\r\nTop=7.5\r\nText=\" No. {number} \"\r\nFont=DejaVu Serif\r\n"
                                   "Size=9\r\nColor=255\r\nAlign=center\r\nRotation=270\r\n\r\n";
    EXPECT_EQ(ReadAll(Path()), kDefaultFile + "[Item3]\r\n" + textSection
                                   + "[Item4]\r\nKind=barcode\r\nLeft=0.333333333333333\r\nTop=0\r\nText={serial}\r\n"
                                     "Rotation=0\r\nSymbology=ean13\r\nWidth=1.25\r\nHeight=0.5\r\nHumanReadable=1\r\n\r\n"
                                   + "[Item5]\r\n" + textSection);
    TallyforgeSettings back = LoadSettingsFile(Path());
    back.LastNumberText.clear();
    ASSERT_EQ(back.Items.size(), 3);
    back.Items[1].Left = code.Left; // 15 digits are what the file keeps
    EXPECT_EQ(back, s);

    // The first item goes, the barcode becomes a text in the serial's font: item 3 has
    // no code keys and no font keys left, and there is no item 5 any more. Keys a
    // section has keep their lines; new ones go at its end.
    ticket::TTicketItem plain = code;
    plain.Kind = ticket::TItemKind::Text;
    s.Items = { plain, text };
    SaveSettingsFile(Path(), s);
    EXPECT_EQ(ReadAll(Path()).toStdString(), (kDefaultFile
                  + "[Item3]\r\nKind=text\r\nLeft=0.333333333333333\r\nTop=0\r\nText={serial}\r\nAlign=left\r\nRotation=0\r\n\r\n"
                  + "[Item4]\r\nKind=text\r\nLeft=0.25\r\nTop=7.5\r\nText=\" No. {number} \"\r\nRotation=270\r\n"
                    "Font=DejaVu Serif\r\nSize=9\r\nColor=255\r\nAlign=center\r\n\r\n").toStdString());

    // A hand edit: what is not a kind, a symbology or a quarter turn reads as the
    // default, positions as far as the two positions may go; a gap ends the list.
    WriteBytes(Path(), "[Item3]\nKind=label\nLeft=1e9\nRotation=45\nSize=0\n[Item4]\nKind=barcode\nSymbology=pdf417\n"
                       "Width=-2\nRotation=-90\n[Item6]\nKind=barcode\n");
    const QList<ticket::TTicketItem> items = LoadSettingsFile(Path()).Items;
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].Kind, ticket::TItemKind::Text);
    EXPECT_EQ(items[0].Left, settingslimits::kMaxIndent);
    EXPECT_EQ(items[0].Rotation, 0);
    EXPECT_EQ(items[0].Size, settingslimits::kMinFontSize);
    EXPECT_EQ(items[1].Symbology, ticket::TSymbology::Code128);
    EXPECT_EQ(items[1].Width, ticket::kMinBarcodeSize);
    EXPECT_EQ(items[1].Rotation, 270);
}

// A value the program does not know is named, section and key, and a save keeps it as
// the file has it; once set in the window it is written as any other value.
TEST_F(SettingsFile, ValuesItDoesNotKnowAreNamedAndKept)
{
    const QByteArray hand = "[SN]\r\nLastNumber=5\r\nStep=0\r\nCheck=luhnx\r\n[Sheet]\r\nColumns=2\r\nOrder=spiral\r\n"
                            "[Item3]\r\nKind=blob\r\nRotation=45\r\n[Item4]\r\nKind=barcode\r\nSymbology=pdf417\r\n"
                            "[Template]\r\nFile=art.pdf\r\nScope=page\r\n";
    WriteBytes(Path(), hand);
    TallyforgeSettings s = LoadSettingsFile(Path());
    EXPECT_EQ(s.Unknown, QStringList({ "[SN] Step=0", "[SN] Check=luhnx", "[Sheet] Order=spiral", "[Item3] Kind=blob",
                                       "[Item3] Rotation=45", "[Item4] Symbology=pdf417", "[Template] Scope=page" }));
    SaveSettingsFile(Path(), s);
    const TallyforgeSettings again = LoadSettingsFile(Path());
    EXPECT_EQ(again.Unknown, s.Unknown);
    for (const char* kept : { "Step=0", "Check=luhnx", "Order=spiral", "Kind=blob", "Rotation=45", "Symbology=pdf417", "Scope=page" })
        EXPECT_TRUE(ReadAll(Path()).contains(kept)) << kept;

    s.Unknown.removeIf([](const QString& entry) { return entry.startsWith(QStringLiteral("[SN] ")); });
    s.Step = 3;
    SaveSettingsFile(Path(), s);
    EXPECT_FALSE(ReadAll(Path()).contains("Check=luhnx"));
    EXPECT_TRUE(ReadAll(Path()).contains("Step=3\r\n"));
    EXPECT_EQ(LoadSettingsFile(Path()).Unknown.size(), 5);
}

// [Sheet] Origin is written for a grid measured from the paper only: a file that does
// not name it keeps its bytes, one that says printable keeps saying so.
TEST_F(SettingsFile, SheetOriginIsWrittenForThePaperOnly)
{
    TallyforgeSettings s;
    s.Sheet.Columns = 2;
    SaveSettingsFile(Path(), s);
    const QByteArray before = ReadAll(Path());
    SaveSettingsFile(Path(), LoadSettingsFile(Path()));
    EXPECT_EQ(ReadAll(Path()), before);
    EXPECT_FALSE(before.contains("Origin"));
    s.Sheet.Origin = ticket::TOrigin::Paper;
    SaveSettingsFile(Path(), s);
    EXPECT_TRUE(ReadAll(Path()).contains("CutMarks=0\r\nOrigin=paper\r\n"));
    EXPECT_EQ(LoadSettingsFile(Path()).Sheet, s.Sheet);
    WriteBytes(Path(), "[Sheet]\r\nColumns=2\r\nOrigin=printable\r\n");
    SaveSettingsFile(Path(), LoadSettingsFile(Path()));
    EXPECT_TRUE(ReadAll(Path()).contains("\r\nOrigin=printable\r\n"));
}

TEST_F(SettingsFile, FileThatCannotBeReadIsReportedAndLeftAlone)
{
    ASSERT_TRUE(QDir().mkdir(Path())); // exists, but no file can be read from it
    EXPECT_EQ(ThrownMessage([&] { LoadSettingsFile(Path()); }), "Cannot open file " + Path());
    EXPECT_EQ(ThrownMessage([&] { SaveSettingsFile(Path(), TallyforgeSettings {}); }),
        "Cannot open file " + Path());
    EXPECT_TRUE(QFileInfo(Path()).isDir());
}

// A child process saves two different settings in turn and is killed at random moments;
// whatever moment the kill hits, the file holds one of the two complete versions.
TEST_F(SettingsFile, KillDuringSaveLeavesTheOldOrTheNewFileNeverATornOne)
{
    TallyforgeSettings first;
    first.LastNumber = 1000;
    first.Prefix = QString(60000, u'a'); // large enough that a write takes many steps
    TallyforgeSettings second = first;
    second.LastNumber = 2000;
    second.Prefix = QString(90000, u'b');
    SaveSettingsFile(Path(), first);
    const QByteArray firstBytes = ReadAll(Path());
    SaveSettingsFile(Path(), second);
    const QByteArray secondBytes = ReadAll(Path());

    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> pause(0, 15000);
    int killedMidRun = 0;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i) {
                try {
                    SaveSettingsFile(Path(), i % 2 ? second : first);
                } catch (...) {
                    _exit(3);
                }
            }
        }
        usleep(useconds_t(pause(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            ++killedMidRun;
        else
            ADD_FAILURE() << "the saving child stopped by itself, status " << status;

        const QByteArray now = ReadAll(Path());
        ASSERT_TRUE(now == firstBytes || now == secondBytes) << "round " << round << ", " << now.size() << " bytes";
        const int lastNumber = LoadSettingsFile(Path()).LastNumber;
        EXPECT_TRUE(lastNumber == 1000 || lastNumber == 2000);
    }
    EXPECT_EQ(killedMidRun, 25);

    // The next save tidies what the killed saves left behind.
    SaveSettingsFile(Path(), first);
    EXPECT_EQ(Entries(), (QStringList { "Tallyforge.ini", "Tallyforge.ini.lock" }));
}

// A portable copy keeps its file beside itself; an installed program (a "bin" folder, or
// a folder the user cannot write to) keeps it in the user's configuration folder, unless
// a file is there beside it already.
TEST(SettingsFilePath, BesideAPortableCopyElseInTheUsersConfig)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const QString portable = dir.filePath(QStringLiteral("portable"));
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    const QString kept = dir.filePath(QStringLiteral("opt/bin"));
    for (const QString& folder : { portable, bin, kept })
        ASSERT_TRUE(QDir().mkpath(folder));
    QFile(kept + QStringLiteral("/Tallyforge.ini")).open(QIODevice::WriteOnly);

    shell::SetExecutableDirectory(portable);
    EXPECT_EQ(SettingsFilePath(), portable + QStringLiteral("/Tallyforge.ini"));
    shell::SetExecutableDirectory(kept);
    EXPECT_EQ(SettingsFilePath(), kept + QStringLiteral("/Tallyforge.ini"));
    shell::SetExecutableDirectory(bin);
    EXPECT_EQ(SettingsFilePath(), config + QStringLiteral("/Tallyforge/Tallyforge.ini"));
    EXPECT_TRUE(QFileInfo(config + QStringLiteral("/Tallyforge")).isDir());
    shell::SetExecutableDirectory(QString());
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsColor, RgbIsStoredAsBlueGreenRed)
{
    EXPECT_EQ(ColorToInt(Qt::black), 0);
    EXPECT_EQ(ColorToInt(QColor(255, 0, 0)), 255);
    EXPECT_EQ(ColorToInt(QColor(0, 255, 0)), 65280);
    EXPECT_EQ(ColorToInt(QColor(0, 0, 255)), 16711680);
    EXPECT_EQ(ColorToInt(QColor(64, 64, 64)), 4210752);
    EXPECT_EQ(ColorToInt(QColor::fromHsv(0, 255, 255)), 255); // any colour model works

    EXPECT_EQ(IntToColor(0x00102030), QColor(0x30, 0x20, 0x10));
    EXPECT_EQ(IntToColor(16711680), QColor(0, 0, 255));
    // Bits between the colour and the system-colour bit are not part of the colour.
    EXPECT_EQ(IntToColor(0x02FFFFFF), QColor(255, 255, 255));
}

TEST(SettingsColor, SystemColoursComeFromThePalette)
{
    EXPECT_EQ(IntToColor(int(0x80000008u)), QColor(Qt::black)); // no application yet
    int argc = 1;
    char name[] = "app_test_settingsfile";
    char* argv[] = { name };
    QGuiApplication application(argc, argv);
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Text, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(4, 5, 6));
    QGuiApplication::setPalette(palette);
    EXPECT_EQ(IntToColor(int(0x80000008u)), QColor(1, 2, 3));  // window text
    EXPECT_EQ(IntToColor(int(0x8000000Du)), QColor(4, 5, 6));  // highlight
    EXPECT_EQ(IntToColor(int(0x800000FFu)), QColor(Qt::black)); // no such system colour
}

} // namespace
