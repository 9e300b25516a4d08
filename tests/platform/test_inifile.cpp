#include "FileBytes.h"

#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using filebytes::ReadAll;
using filebytes::WriteBytes;

TIniFile Parsed(const QByteArray& bytes)
{
    TIniFile ini { QString() };
    ini.LoadFromBytes(bytes);
    return ini;
}

QString ThrownMessage(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.Message();
    }
    return QStringLiteral("<nothing thrown>");
}

// ---- Layout of the file --------------------------------------------------------------

TEST(IniLayout, ReadingPassesOverCommentsBlanksAndLinesBeforeTheFirstSection)
{
    const QByteArray bytes = "orphan=1\r\n"
                                "; a comment\n"
                                "  [ SN ]  \n"
                                "\n"
                                "  LastNumber =  41  \n"
                                "\t; indented comment\n"
                                "Prefix=  AB C  \n"
                                "no equals sign here\n"
                                "Empty=\n"
                                "a=b=c\n";
    const TIniFile ini = Parsed(bytes);
    EXPECT_EQ(ini.ReadInteger("sn", "lastnumber", 0), 41);
    EXPECT_EQ(ini.ReadString("SN", "Prefix", "x"), "AB C");
    EXPECT_EQ(ini.ReadString("SN", "Empty", "x"), "");
    EXPECT_EQ(ini.ReadString("SN", "a", ""), "b=c");
    EXPECT_FALSE(ini.ValueExists("SN", "no equals sign here"));
    EXPECT_FALSE(ini.ValueExists("SN", "orphan"));
    EXPECT_EQ(ini.ReadSection("SN"), (QStringList { "LastNumber", "Prefix", "Empty", "a" }));
    // Nothing changed, nothing rewritten: every byte stays.
    EXPECT_EQ(ini.ToBytes(), bytes);
}

// What the user wrote and the program does not change keeps its bytes: comments, blank
// lines, a line before the first section, a Latin-1 line, blanks around "=", the line
// ends; a value written as it was changes nothing.
TEST(IniLayout, LinesTheProgramDoesNotChangeKeepTheirBytes)
{
    const QByteArray before = "; station 3, do not edit\r\n"
                              "[SN]\r\n"
                              "  LastNumber = 41 \r\n"
                              "Prefix=old\r\n"
                              "\r\n"
                              "[Legacy]\r\n"
                              "Name=Jos\xE9\r\n"
                              "; the end";
    TIniFile ini = Parsed(before);
    ini.WriteInteger("SN", "LastNumber", 41);
    ini.WriteString("Legacy", "Name", QStringLiteral("Jos\u00E9"));
    EXPECT_EQ(ini.ToBytes(), before);
    ini.WriteString("SN", "Prefix", "new");
    ini.WriteString("SN", "Suffix", "s");
    ini.WriteString("Legacy", "Other", "o");
    ini.WriteString("New", "k", "v");
    EXPECT_EQ(ini.ToBytes(), "; station 3, do not edit\r\n"
                             "[SN]\r\n"
                             "  LastNumber = 41 \r\n"
                             "Prefix=new\r\n"
                             "Suffix=s\r\n"
                             "\r\n"
                             "[Legacy]\r\n"
                             "Name=Jos\xE9\r\n"
                             "Other=o\r\n"
                             "; the end\r\n"
                             "[New]\r\n"
                             "k=v\r\n"
                             "\r\n");
}

TEST(IniLayout, LaterDuplicateIsReadAndIsTheOneAWriteUpdates)
{
    TIniFile ini = Parsed("[SN]\nLastNumber=1\nPrefix=P\nlastnumber=2\n");
    EXPECT_EQ(ini.ReadInteger("SN", "LastNumber", 0), 2);
    ini.WriteInteger("SN", "LASTNUMBER", 3);
    EXPECT_EQ(ini.ToBytes(), "[SN]\nLastNumber=1\nPrefix=P\nlastnumber=3\n");
}

TEST(IniLayout, RepeatedSectionJoinsTheFirstAndKeepsItsLines)
{
    TIniFile ini = Parsed("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    EXPECT_EQ(ini.ReadSection("A"), (QStringList { "x", "z" }));
    ini.WriteString("A", "w", "4");
    EXPECT_EQ(ini.ToBytes(), "[A]\nx=1\n[B]\ny=2\n[a]\nz=3\nw=4\n");
}

TEST(IniLayout, NewKeysGoToTheEndOfTheirSectionAndNewSectionsLast)
{
    TIniFile ini = Parsed("[View]\nWholePage=1\n[SN]\nUnknown=keep me\n");
    ini.WriteString("Font", "Name", "Arial");
    ini.WriteString("sn", "Prefix", "A-");
    ini.WriteString("View", "WholePage", "0");
    ini.WriteString("Paper", "X", "1");
    EXPECT_EQ(ini.ToBytes(), "[View]\nWholePage=0\n"
                             "[SN]\nUnknown=keep me\nPrefix=A-\n"
                             "[Font]\nName=Arial\n\n"
                             "[Paper]\nX=1\n\n");
}

TEST(IniLayout, ValuesWithBlanksAreWrittenAsTheyAreButStrippedOnReading)
{
    TIniFile ini { QString() };
    ini.WriteString("SN", "Prefix", "  A ");
    EXPECT_EQ(ini.ToBytes(), "[SN]\r\nPrefix=  A \r\n\r\n");
    EXPECT_EQ(Parsed(ini.ToBytes()).ReadString("SN", "Prefix", ""), "A");
}

TEST(IniLayout, LoneCarriageReturnsAndAByteOrderMarkAreUnderstood)
{
    const TIniFile ini = Parsed("\xEF\xBB\xBF[S]\rk=v\rk2=w");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    EXPECT_EQ(ini.ReadString("S", "k2", ""), "w");
}

TEST(IniLayout, TextInALegacyCodePageKeepsItsCharacters)
{
    TIniFile ini = Parsed("[SN]\nPrefix=N\xBA \nSuffix=\xE9t\xE9\n");
    EXPECT_EQ(ini.ReadString("SN", "Prefix", ""), QStringLiteral("N\u00BA"));
    ini.WriteString("SN", "Prefix", QStringLiteral("N\u00BA-"));
    EXPECT_EQ(ini.ToBytes(), "[SN]\nPrefix=N\xC2\xBA-\nSuffix=\xE9t\xE9\n");
}

// The encoding is decided line by line: one stray byte must not turn the UTF-8 text of
// other lines into Latin-1, and every line saves back as it was.
struct EncodingRow {
    const char* name;
    const char* bytes;
    const char16_t* prefix;
    const char16_t* suffix;
};

class IniEncoding : public testing::TestWithParam<EncodingRow> { };

TEST_P(IniEncoding, IsDecidedPerLine)
{
    const EncodingRow row = GetParam();
    const TIniFile ini = Parsed(row.bytes);
    EXPECT_EQ(ini.ReadString("SN", "Prefix", "<missing>"), QString::fromUtf16(row.prefix));
    EXPECT_EQ(ini.ReadString("SN", "Suffix", "<missing>"), QString::fromUtf16(row.suffix));
    EXPECT_EQ(ini.ToBytes(), QByteArray(row.bytes));
}

INSTANTIATE_TEST_SUITE_P(Rows, IniEncoding,
    testing::Values(
        EncodingRow { "StrayByteOnAnotherLine", "[SN]\nPrefix=\xE2\x82\xAC-\nSuffix=\xE9t\xE9\n", u"\u20AC-",
            u"\u00E9t\u00E9" },
        EncodingRow { "StrayByteBeforeTheSection", "\xFF\n[SN]\nPrefix=\xE2\x82\xAC\nSuffix=\xC2\xBA\n", u"\u20AC",
            u"\u00BA" },
        EncodingRow { "StrayByteOnTheSameLine", "[SN]\nPrefix=\xE2\x82\xAC\xFF\nSuffix=\xE2\x82\xAC\n",
            u"\u00E2\u0082\u00AC\u00FF", u"\u20AC" },
        EncodingRow { "SequenceCutByALineEnd", "[SN]\r\nPrefix=\xE2\x82\r\xACSuffix=\xE2\x82\xAC\r\nSuffix=\xE2\x82\xAC",
            u"\u00E2\u0082", u"\u20AC" },
        EncodingRow { "LegacySectionName", "[N\xBA]\nk=1\n[SN]\nPrefix=\xE2\x82\xAC\nSuffix=\n", u"\u20AC", u"" },
        EncodingRow { "ByteOrderMarkThenAStrayByte", "\xEF\xBB\xBF[SN]\nPrefix=\xE2\x82\xAC\nSuffix=\xA7\n", u"\u20AC",
            u"\u00A7" }),
    [](const auto& info) { return std::string(info.param.name); });

// A value never spans lines: its line breaks become blanks, so it cannot add keys or
// sections to the file.
struct LineBreakRow {
    const char* name;
    const char* value;
    const char* saved;
    const char* readBack;
};

class IniLineBreaks : public testing::TestWithParam<LineBreakRow> { };

TEST_P(IniLineBreaks, AreWrittenAsBlanks)
{
    const LineBreakRow row = GetParam();
    TIniFile ini = Parsed("[SN]\nPrefix=old\n");
    ini.WriteString("SN", "Prefix", QString::fromUtf8(row.value));
    EXPECT_EQ(ini.ToBytes(), QByteArray("[SN]\nPrefix=") + row.saved + "\n");
    const TIniFile again = Parsed(ini.ToBytes());
    EXPECT_EQ(again.ReadString("SN", "Prefix", "<missing>"), QString::fromUtf8(row.readBack));
    EXPECT_EQ(again.ReadSection("SN"), QStringList { "Prefix" });
    EXPECT_FALSE(again.SectionExists("Evil"));
    // What the program reads before and after the save agrees, apart from outer blanks.
    EXPECT_EQ(ini.ReadString("SN", "Prefix", "").trimmed(), again.ReadString("SN", "Prefix", ""));
}

INSTANTIATE_TEST_SUITE_P(Rows, IniLineBreaks,
    testing::Values(LineBreakRow { "LineFeedAddsNoKey", "A\nInjected=1", "A Injected=1", "A Injected=1" },
        LineBreakRow { "CrLfAddsNoSection", "A\r\n[Evil]\r\nk=v", "A [Evil] k=v", "A [Evil] k=v" },
        LineBreakRow { "LoneCarriageReturn", "A\r[Evil]", "A [Evil]", "A [Evil]" },
        LineBreakRow { "BreakAtTheEnd", "No. \r\n", "No.  ", "No." },
        LineBreakRow { "OnlyBreaks", "\n\n[Evil]", "  [Evil]", "[Evil]" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniLayout, EmptySectionsAreKeptWithTheirEmptyLine)
{
    const TIniFile ini = Parsed("[Empty]\n[Full]\nk=1\n");
    EXPECT_TRUE(ini.SectionExists("empty"));
    EXPECT_EQ(ini.ToBytes(), "[Empty]\n[Full]\nk=1\n");
}

TEST(IniLayout, NonAsciiTextSurvivesAWriteAndARead)
{
    TIniFile ini { QString() };
    ini.WriteString("SN", "Prefix", QStringLiteral("N\u00BA \u20AC-"));
    EXPECT_EQ(Parsed(ini.ToBytes()).ReadString("SN", "Prefix", ""), QStringLiteral("N\u00BA \u20AC-"));
}

// ---- Sections and keys as a whole ----------------------------------------------------

TEST(IniSections, EraseDeleteAndListing)
{
    TIniFile ini = Parsed("[H]\nItem1=a\nItem2=b\nitem1=c\nloose\n[Other]\nk=v\n");
    EXPECT_EQ(ini.ReadSection("h"), (QStringList { "Item1", "Item2" }));
    EXPECT_TRUE(ini.ReadSection("missing").isEmpty());

    ini.DeleteKey("H", "ITEM1");
    EXPECT_FALSE(ini.ValueExists("H", "Item1")); // the earlier duplicate must not come back
    EXPECT_TRUE(ini.ValueExists("H", "Item2"));

    ini.EraseSection("other");
    EXPECT_FALSE(ini.SectionExists("Other"));
    EXPECT_EQ(ini.ToBytes(), "[H]\nItem2=b\nloose\n");
}

// Large files find sections and keys through an index; small and large sections must
// keep the same rules.
struct SizeRow {
    const char* name;
    int fillers; // other keys and sections around the ones checked
};

class IniLookup : public testing::TestWithParam<SizeRow> { };

TEST_P(IniLookup, KeepsTheRulesAtAnySize)
{
    const int fillers = GetParam().fillers;
    QByteArray bytes = "[H]\nItem1=a\n";
    QByteArray expected = bytes;
    QStringList keys { "Item1" };
    for (int i = 0; i < fillers; ++i) {
        const QByteArray lines = "Fill" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n[S"
            + QByteArray::number(i) + "]\nk=" + QByteArray::number(i) + "\n[h]\n";
        bytes += lines;
        expected += i == 1 ? QByteArray("Fill1=1\n[h]\n") : lines;
        keys.append("Fill" + QString::number(i));
    }
    bytes += "ITEM1=b\n\xC3\x84rger=1\n\xC3\xA4RGER=2\nloose\n";
    keys.append(QStringLiteral("\u00C4rger"));
    TIniFile ini = Parsed(bytes);

    EXPECT_EQ(ini.ReadString("h", "item1", ""), "b");
    EXPECT_EQ(ini.ReadInteger("H", QStringLiteral("\u00C4RGER"), 0), 2);
    EXPECT_EQ(ini.ReadSection("H"), keys);
    if (fillers > 1) {
        EXPECT_EQ(ini.ReadString("s1", "K", ""), "1");
        EXPECT_EQ(ini.ReadString("H", "fill1", ""), "1");
    }

    ini.WriteString("H", "Item1", "c");      // the later duplicate changes
    ini.DeleteKey("H", QStringLiteral("\u00E4rger")); // both lines go
    ini.EraseSection("S1");
    ini.WriteString("s1", "New", "n");       // comes back as a new, last section
    ini.WriteString("H", "Item2", "d");
    EXPECT_EQ(ini.ReadString("H", "ITEM2", ""), "d");
    EXPECT_FALSE(ini.ValueExists("H", QStringLiteral("\u00C4rger")));
    EXPECT_EQ(ini.ToBytes(), expected + "ITEM1=c\nloose\nItem2=d\n[s1]\nNew=n\n\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, IniLookup,
    testing::Values(SizeRow { "SmallFile", 0 }, SizeRow { "FewSections", 3 }, SizeRow { "ManySections", 3000 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniLookup, ValueRewrittenManyTimesKeepsTheFileRight)
{
    TIniFile ini = Parsed("[A]\nk=1\n[B]\nx=keep\n");
    for (int i = 0; i < 5000; ++i) {
        ini.WriteString("A", "k", QString(100, QChar(u'a' + i % 26)));
        ini.WriteString("C", "n" + QString::number(i % 3), QString::number(i));
    }
    EXPECT_EQ(ini.ToBytes(), "[A]\nk=" + QByteArray(100, char('a' + 4999 % 26)) + "\n"
            + "[B]\nx=keep\n[C]\nn0=4998\nn1=4999\nn2=4997\n\n");
}

// ---- Integers and booleans -----------------------------------------------------------

struct IntegerRow {
    const char* name;
    const char* text;
    int expected;
};

class IniInteger : public testing::TestWithParam<IntegerRow> { };

TEST_P(IniInteger, ReadsOrFallsBackToTheDefault)
{
    const IntegerRow row = GetParam();
    const TIniFile ini = Parsed(QByteArray("[S]\nk=") + row.text + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", -99), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, IniInteger,
    testing::Values(IntegerRow { "Decimal", "41", 41 },
        IntegerRow { "Negative", "-12", -12 },
        IntegerRow { "Plus", "+12", 12 },
        IntegerRow { "HexWith0x", "0x10", 16 },
        IntegerRow { "HexWith0X", "0X1f", 31 },
        IntegerRow { "HexWithDollar", "$10", 16 },
        IntegerRow { "NegativeHex", "-$10", -16 },
        IntegerRow { "HexTopBitIsNegative", "$FFFFFFFF", -1 },
        IntegerRow { "SystemColourValue", "$80000008", -2147483640 },
        IntegerRow { "Largest", "2147483647", 2147483647 },
        IntegerRow { "Smallest", "-2147483648", -2147483647 - 1 },
        IntegerRow { "DecimalOverflow", "2147483648", -99 },
        IntegerRow { "HexOverflow", "$100000000", -99 },
        IntegerRow { "Letters", "abc", -99 },
        IntegerRow { "TrailingLetters", "12abc", -99 },
        IntegerRow { "Empty", "", -99 },
        IntegerRow { "InnerBlank", "1 2", -99 },
        IntegerRow { "PrefixOnly0x", "0x", -99 },
        IntegerRow { "PrefixOnlyDollar", "$", -99 },
        IntegerRow { "SignOnly", "-", -99 },
        IntegerRow { "Decimals", "1.5", -99 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniInteger, MissingKeyGivesTheDefaultAndWritingIsDecimal)
{
    TIniFile ini { QString() };
    EXPECT_EQ(ini.ReadInteger("S", "k", 10), 10);
    ini.WriteInteger("S", "a", -2147483640);
    ini.WriteInteger("S", "b", 0);
    EXPECT_EQ(ini.ToBytes(), "[S]\r\na=-2147483640\r\nb=0\r\n\r\n");
}

TEST(IniBool, NonZeroIsTrueAndUnreadableGivesTheDefault)
{
    const TIniFile ini = Parsed("[F]\nOne=1\nZero=0\nTwo=2\nMinus=-1\nHexZero=$0\nWord=yes\nEmpty=\n");
    EXPECT_TRUE(ini.ReadBool("F", "One", false));
    EXPECT_FALSE(ini.ReadBool("F", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("F", "Two", false));
    EXPECT_TRUE(ini.ReadBool("F", "Minus", false));
    EXPECT_FALSE(ini.ReadBool("F", "HexZero", true));
    EXPECT_TRUE(ini.ReadBool("F", "Word", true));
    EXPECT_FALSE(ini.ReadBool("F", "Word", false));
    EXPECT_TRUE(ini.ReadBool("F", "Empty", true));
    EXPECT_TRUE(ini.ReadBool("F", "Missing", true));

    TIniFile written { QString() };
    written.WriteBool("F", "Bold", true);
    written.WriteBool("F", "Italic", false);
    EXPECT_EQ(written.ToBytes(), "[F]\r\nBold=1\r\nItalic=0\r\n\r\n");
}

// ---- Floating values -----------------------------------------------------------------

struct FloatFormatRow {
    const char* name;
    double value;
    const char* point;
    const char* comma;
};

class IniFloatFormat : public testing::TestWithParam<FloatFormatRow> { };

TEST_P(IniFloatFormat, GeneralFormInBothSeparators)
{
    const FloatFormatRow row = GetParam();
    EXPECT_EQ(inirules::FormatFloat(row.value, u'.'), QString::fromLatin1(row.point));
    EXPECT_EQ(inirules::FormatFloat(row.value, u','), QString::fromLatin1(row.comma));
}

INSTANTIATE_TEST_SUITE_P(Rows, IniFloatFormat,
    testing::Values(FloatFormatRow { "One", 1.0, "1", "1" },
        FloatFormatRow { "Quarter", 0.25, "0.25", "0,25" },
        FloatFormatRow { "Zero", 0.0, "0", "0" },
        FloatFormatRow { "NegativeZero", -0.0, "0", "0" },
        FloatFormatRow { "Negative", -2.5, "-2.5", "-2,5" },
        FloatFormatRow { "Hundred", 100.0, "100", "100" },
        FloatFormatRow { "BinaryNoiseRoundedAway", 0.1 + 0.2, "0.3", "0,3" },
        FloatFormatRow { "Third", 1.0 / 3.0, "0.333333333333333", "0,333333333333333" },
        FloatFormatRow { "TwoThirdsRoundsUp", 2.0 / 3.0, "0.666666666666667", "0,666666666666667" },
        FloatFormatRow { "FifteenIntegerDigits", 123456789012345.0, "123456789012345", "123456789012345" },
        FloatFormatRow { "SixteenIntegerDigits", 1e15, "1E15", "1E15" },
        FloatFormatRow { "RoundsUpIntoExponent", 999999999999999.9, "1E15", "1E15" },
        FloatFormatRow { "Huge", 1.5e100, "1.5E100", "1,5E100" },
        FloatFormatRow { "SmallestFixed", 0.00001, "0.00001", "0,00001" },
        FloatFormatRow { "SmallGoesToExponent", 0.0000015, "1.5E-6", "1,5E-6" },
        FloatFormatRow { "Mixed", 12345.678, "12345.678", "12345,678" }),
    [](const auto& info) { return std::string(info.param.name); });

struct FloatParseRow {
    const char* name;
    const char* text;
    char separator;
    double expected; // NAN: unreadable
};

class IniFloatParse : public testing::TestWithParam<FloatParseRow> { };

TEST_P(IniFloatParse, AcceptsOnlyTheLocalesForm)
{
    const FloatParseRow row = GetParam();
    const std::optional<double> parsed = inirules::ParseFloat(QString::fromLatin1(row.text), QLatin1Char(row.separator));
    if (std::isnan(row.expected)) {
        EXPECT_FALSE(parsed.has_value()) << *parsed;
    } else {
        ASSERT_TRUE(parsed.has_value());
        EXPECT_DOUBLE_EQ(*parsed, row.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, IniFloatParse,
    testing::Values(FloatParseRow { "Point", "0.25", '.', 0.25 },
        FloatParseRow { "Comma", "0,25", ',', 0.25 },
        FloatParseRow { "CommaUnderPointLocale", "0,25", '.', NAN },
        FloatParseRow { "PointUnderCommaLocale", "0.25", ',', NAN },
        FloatParseRow { "Integer", "3", '.', 3.0 },
        FloatParseRow { "LeadingSeparator", ".5", '.', 0.5 },
        FloatParseRow { "TrailingSeparator", "5.", '.', 5.0 },
        FloatParseRow { "Signed", "-1.5", '.', -1.5 },
        FloatParseRow { "Exponent", "1.5E-7", '.', 1.5e-7 },
        FloatParseRow { "LowerExponentWithPlus", "2e+3", '.', 2000.0 },
        FloatParseRow { "CommaExponent", "1,5E100", ',', 1.5e100 },
        FloatParseRow { "Empty", "", '.', NAN },
        FloatParseRow { "Word", "abc", '.', NAN },
        FloatParseRow { "SeparatorOnly", ".", '.', NAN },
        FloatParseRow { "ExponentWithoutDigits", "1e", '.', NAN },
        FloatParseRow { "Grouped", "1,000.5", '.', NAN },
        FloatParseRow { "Infinity", "inf", '.', NAN },
        FloatParseRow { "Overflow", "1e999", '.', NAN },
        FloatParseRow { "Underflow", "1e-999", '.', 0.0 }),
    [](const auto& info) { return std::string(info.param.name); });

// A file moves between locales: a point is written whatever the locale, and a point or a
// comma (what a comma locale once wrote) reads in any locale.
TEST(IniFloat, WrittenWithAPointAndReadWithEither)
{
    for (const char16_t separator : { u',', u'.' }) {
        ScopedFormatSettings locale(separator, separator == u',' ? u'.' : u',');
        TIniFile ini { QString() };
        ini.WriteFloat("Paper", "HorizontalIndent", 0.25);
        ini.WriteFloat("Paper", "VerticalIndent", 1.0);
        EXPECT_EQ(ini.ToBytes(), "[Paper]\r\nHorizontalIndent=0.25\r\nVerticalIndent=1\r\n\r\n");
        const TIniFile again = Parsed(ini.ToBytes() + "Comma=4,5\r\nBoth=1,000.5\r\n");
        EXPECT_DOUBLE_EQ(again.ReadFloat("Paper", "HorizontalIndent", 9), 0.25);
        EXPECT_DOUBLE_EQ(again.ReadFloat("Paper", "Comma", 9), 4.5);
        EXPECT_DOUBLE_EQ(again.ReadFloat("Paper", "Both", 9), 9.0);
        EXPECT_DOUBLE_EQ(again.ReadFloat("paper", "Missing", 9), 9.0);
    }
}

// ---- The file on disk ----------------------------------------------------------------

TEST(IniFileOnDisk, MissingFileReadsEmptyAndUpdateCreatesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.ini");
    TIniFile ini(path);
    EXPECT_TRUE(ini.ToBytes().isEmpty());
    ini.WriteString("A", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(ReadAll(path), "[A]\r\nk=v\r\n\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "new.ini" });
}

TEST(IniFileOnDisk, ExistingButUnreadableFileRaisesCannotOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(ThrownMessage([&] { TIniFile ini(path); }), "Cannot open file " + path);
}

TEST(IniFileOnDisk, TargetThatIsAFolderRaisesCannotCreateAndStaysAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("folder.ini");
    TIniFile ini(path); // read while it did not exist yet
    ini.WriteString("A", "k", "v");
    ASSERT_TRUE(QDir().mkdir(path));
    WriteBytes(path + "/inside", "still here");
    EXPECT_EQ(ThrownMessage([&] { ini.UpdateFile(); }),
        "Cannot create file " + path + ": it is a folder, not a regular file");
    EXPECT_EQ(ReadAll(path + "/inside"), "still here");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { "folder.ini" });
}

TEST(IniFileOnDisk, MissingFolderRaisesCannotCreate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/folder/x.ini");
    TIniFile ini(path);
    ini.WriteString("A", "k", "v");
    EXPECT_EQ(ThrownMessage([&] { ini.UpdateFile(); }), "Cannot create file " + path);
}

// A full disk, simulated with a file size limit (which holds for root too): the write
// fails half-way and the old file must come through whole.
TEST(IniFileOnDisk, WriteThatFailsHalfWayLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tallyforge.ini");
    const QByteArray old = "[SN]\r\nLastNumber=41\r\n\r\n";
    WriteBytes(path, old);

    TIniFile ini(path);
    ini.WriteString("SN", "Prefix", QString(4000, u'x'));

    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString message = ThrownMessage([&] { ini.UpdateFile(); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(message, "Cannot create file " + path);
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "Tallyforge.ini" });
}

TEST(IniFileOnDisk, ReadOnlyFileIsNotReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tallyforge.ini");
    WriteBytes(path, "[SN]\nLastNumber=41\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    // Root may write any file, so the save runs as an ordinary user in a child process.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }
    auto save = [&]() -> QString {
        TIniFile ini(path);
        ini.WriteInteger("SN", "LastNumber", 50);
        return ThrownMessage([&] { ini.UpdateFile(); });
    };
    if (asRoot) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped && save() == "Cannot create file " + path ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save did not fail as it should";
    } else {
        EXPECT_EQ(save(), "Cannot create file " + path);
    }
    EXPECT_EQ(ReadAll(path), "[SN]\nLastNumber=41\n");
}

TEST(IniFileOnDisk, RewriteKeepsPermissionsAndWritesThroughASymbolicLink)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.ini");
    const QString link = dir.filePath("link.ini");
    WriteBytes(real, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));

    TIniFile ini(link);
    ini.WriteInteger("A", "k", 2);
    ini.UpdateFile();

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(real), "[A]\nk=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Whatever a settings file holds, reading never fails, a written key reads back, and a
// file the program wrote once is stable: saving it again gives the same bytes.
TEST(IniFileRobustness, ArbitraryBytesReadAndRoundTrip)
{
    std::mt19937 random(20261207);
    const char* const lines[] = { "[SN]", " [sn] ", "[Paper]", "[", "]", "[]", "LastNumber=5",
                                  " lastnumber = 0x10 ", "LastNumber=$zz", ";LastNumber=9", "junk",
                                  "=", "Key=Value=More", "HorizontalIndent=1e999", "\xff\xfe\xc3",
                                  "WholePage=2", "", "\t", "Prefix= A- " };
    const char* const endings[] = { "\r\n", "\n", "\r", "" };
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int count = int(random() % 30);
        for (int i = 0; i < count; ++i) {
            bytes += lines[random() % std::size(lines)];
            bytes += endings[random() % std::size(endings)];
        }
        if (random() % 4 == 0)
            bytes.insert(int(random() % (bytes.size() + 1)), '\0');
        TIniFile ini = Parsed(bytes);
        ini.ReadInteger("SN", "LastNumber", 0);
        ini.ReadFloat("Paper", "HorizontalIndent", 1.0);
        ini.ReadBool("View", "WholePage", true);
        ini.WriteInteger("SN", "LastNumber", round);
        const QByteArray written = ini.ToBytes();
        const TIniFile reread = Parsed(written);
        ASSERT_EQ(reread.ReadInteger("SN", "LastNumber", -1), round) << bytes.toHex().constData();
        ASSERT_EQ(reread.ToBytes(), written) << bytes.toHex().constData();
    }
}

} // namespace
