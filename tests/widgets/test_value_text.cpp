// Number classification, formatting and reading of the input field's value text.
#include "widgets/ValueText.h"

#include <gtest/gtest.h>

#include <limits>

using namespace valuetext;

namespace {

FormatSettings Formats(char decimal, char thousand)
{
    FormatSettings fs;
    fs.DecimalSeparator = QLatin1Char(decimal);
    fs.ThousandSeparator = QLatin1Char(thousand);
    return fs;
}

const FormatSettings kDot = Formats('.', ',');
const FormatSettings kComma = Formats(',', '.');
const FormatSettings kSpace = Formats(',', ' ');

struct KindRow {
    const char* name;
    const char* text;
    TNumberKind dotComma;   // decimal "." thousand ","
    TNumberKind commaDot;   // decimal "," thousand "."
    TNumberKind commaSpace; // decimal "," thousand " "
};

class Classify : public ::testing::TestWithParam<KindRow> {};

TEST_P(Classify, UnderEachLocale)
{
    const KindRow& r = GetParam();
    EXPECT_EQ(ClassifyNumber(r.text, kDot), r.dotComma);
    EXPECT_EQ(ClassifyNumber(r.text, kComma), r.commaDot);
    EXPECT_EQ(ClassifyNumber(r.text, kSpace), r.commaSpace);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Classify,
    ::testing::Values(
        KindRow{"Empty", "", nkInvalid, nkInvalid, nkInvalid},
        KindRow{"Digits", "007", nkInteger, nkInteger, nkInteger},
        KindRow{"MinusAnywhere", "1-2", nkInteger, nkInteger, nkInteger},
        KindRow{"LoneMinus", "-", nkInteger, nkInteger, nkInteger},
        KindRow{"TwoMinus", "-1-2", nkInvalid, nkInvalid, nkInvalid},
        KindRow{"PointDecimal", "1.5", nkDecimal, nkDecimal, nkDecimal},
        KindRow{"CommaDecimal", "1,5", nkDecimal, nkDecimal, nkDecimal},
        KindRow{"GroupedWithPoint", "1,234.50", nkDecimal, nkDecimal, nkDecimal},
        KindRow{"GroupedWithComma", "1.234,50", nkDecimal, nkDecimal, nkDecimal},
        KindRow{"PointsTooClose", "1.2.3", nkInvalid, nkInvalid, nkDecimal},
        KindRow{"SeparatorFirst", ",123", nkInvalid, nkDecimal, nkDecimal},
        KindRow{"SeparatorsTooClose", "1,,234", nkInvalid, nkInvalid, nkInvalid},
        KindRow{"SpaceGrouped", "1 234", nkInvalid, nkInvalid, nkInvalid},
        KindRow{"HexLetters", "1aF", nkHex, nkHex, nkHex},
        KindRow{"HexLetterG", "1g", nkInvalid, nkInvalid, nkInvalid},
        KindRow{"Word", "abc", nkHex, nkHex, nkHex},
        KindRow{"Letters", "12x", nkInvalid, nkInvalid, nkInvalid}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IntegerLength, CountsDigitsBeforeTheDecimalSeparatorWithoutGroups)
{
    EXPECT_EQ(IntegerLength("", kDot), 0);
    EXPECT_EQ(IntegerLength("123", kDot), 3);
    EXPECT_EQ(IntegerLength("1,234.56", kDot), 4);
    EXPECT_EQ(IntegerLength("1.234,56", kComma), 4);
    EXPECT_EQ(IntegerLength(".5", kDot), 0);
    EXPECT_EQ(IntegerLength("-12.5", kDot), 3);
}

struct FormatRow {
    const char* name;
    double x;
    int decimals;
    const char* fixedDot;
    const char* numberDot;
    const char* numberComma;
};

class Formatting : public ::testing::TestWithParam<FormatRow> {};

TEST_P(Formatting, FixedAndNumberForms)
{
    const FormatRow& r = GetParam();
    EXPECT_EQ(FormatFixed(r.x, r.decimals, kDot), r.fixedDot);
    EXPECT_EQ(FormatNumber(r.x, r.decimals, kDot), r.numberDot);
    EXPECT_EQ(FormatNumber(r.x, r.decimals, kComma), r.numberComma);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Formatting,
    ::testing::Values(
        FormatRow{"OnePointFive", 1.5, 2, "1.50", "1.50", "1,50"},
        FormatRow{"Zero", 0.0, 2, "0.00", "0.00", "0,00"},
        FormatRow{"Millions", 1234567.891, 2, "1234567.89", "1,234,567.89", "1.234.567,89"},
        FormatRow{"HalfRoundsAway", 1.005, 2, "1.01", "1.01", "1,01"},
        FormatRow{"NegativeHalf", -2.5, 0, "-3", "-3", "-3"},
        FormatRow{"CarryIntoNewDigit", 999.996, 2, "1000.00", "1,000.00", "1.000,00"},
        FormatRow{"TinyNegativeIsZero", -0.001, 2, "0.00", "0.00", "0,00"},
        FormatRow{"SmallFraction", 0.05, 1, "0.1", "0.1", "0,1"},
        FormatRow{"NoDecimals", 1234.4, 0, "1234", "1,234", "1.234"},
        FormatRow{"SixteenDigitsHeldExactly", 1234567890123456.0, 2, "1234567890123456.00",
                  "1,234,567,890,123,456.00", "1.234.567.890.123.456,00"},
        FormatRow{"SeventeenDigitsHeldExactly", 12345678901234568.0, 0, "12345678901234568",
                  "12,345,678,901,234,568", "12.345.678.901.234.568"},
        FormatRow{"Large", 1e20, 0, "100000000000000000000", "100,000,000,000,000,000,000",
                  "100.000.000.000.000.000.000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Formatting, GeneralUsesTheLocaleSeparator)
{
    EXPECT_EQ(FormatGeneral(2.5, kComma), "2,5");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0, kDot), "0.3333333333333333"); // reads back as the same double
    EXPECT_EQ(FormatGeneral(100, kDot), "100");
    // Always in a form the field takes: no exponent, no digit lost.
    EXPECT_EQ(FormatGeneral(1234567890123456.0, kDot), "1234567890123456");
    EXPECT_EQ(FormatGeneral(-0.00001, kComma), "-0,00001");
}

struct FloatRow {
    const char* name;
    const char* text;
    double dot;
    double comma;
};

class Conversion : public ::testing::TestWithParam<FloatRow> {};

TEST_P(Conversion, TextToFloatUnderBothLocales)
{
    const FloatRow& r = GetParam();
    EXPECT_DOUBLE_EQ(TextToFloat(r.text, kDot), r.dot);
    EXPECT_DOUBLE_EQ(TextToFloat(r.text, kComma), r.comma);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Conversion,
    ::testing::Values(FloatRow{"Grouped", "1,234.50", 1234.5, 1.2345},
                      FloatRow{"GroupedComma", "1.234,50", 1.2345, 1234.5},
                      FloatRow{"Blanks", "  -2.5 ", -2.5, -25},
                      FloatRow{"Exponent", "1e3", 1000, 1000},
                      FloatRow{"TrailingSeparator", "7.", 7, 7},
                      FloatRow{"Empty", "", 0, 0},
                      FloatRow{"Minus", "-", 0, 0},
                      FloatRow{"Letters", "abc", 0, 0},
                      FloatRow{"Infinity", "inf", 0, 0},
                      FloatRow{"Overflow", "1e999", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct WholeRow {
    const char* name;
    const char* text;
    std::int32_t value;
};

class WholeNumber : public ::testing::TestWithParam<WholeRow> {};

TEST_P(WholeNumber, ReadsUpToTheFirstStop)
{
    EXPECT_EQ(ReadWholeNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WholeNumber,
    ::testing::Values(WholeRow{"Empty", "", 0},
                      WholeRow{"LeadingZeros", "007", 7},
                      WholeRow{"Plain", "42", 42},
                      WholeRow{"Negative", "-42", -42},
                      WholeRow{"StopsAtLetter", "12a", 12},
                      WholeRow{"StopDropsTheSign", "-12a", 12},
                      WholeRow{"StopsAtPoint", "1.50", 1},
                      WholeRow{"TenNinesStopBeforeOverflow", "9999999999", 999999999},
                      WholeRow{"Largest", "2147483647", 2147483647},
                      WholeRow{"Smallest", "-2147483648", std::numeric_limits<std::int32_t>::min()},
                      WholeRow{"LeadingBlanks", "  8", 8},
                      WholeRow{"DollarHex", "$FF", 255},
                      WholeRow{"ZeroXHex", "0x1f", 31},
                      WholeRow{"HexAllBits", "$FFFFFFFF", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Hex, ValueCountsPlacesFromTheRightAndWraps)
{
    EXPECT_EQ(HexValue("FF"), 255);
    EXPECT_EQ(HexValue("1g"), 16); // a non-digit still takes its place
    EXPECT_EQ(HexValue("-1"), 1);
    EXPECT_EQ(HexValue("FFFFFFFF"), -1);
    EXPECT_EQ(HexValue("100000000"), 0);
    EXPECT_EQ(HexDigits(255), "FF");
    EXPECT_EQ(HexDigits(0), "0");
    EXPECT_EQ(HexDigits(-1), "FFFFFFFF");
    EXPECT_EQ(HexValue(HexDigits(-123456)), -123456);
}

struct CaseRow {
    const char* name;
    const char* text;
    const char* cased;
};

class Mixed : public ::testing::TestWithParam<CaseRow> {};

TEST_P(Mixed, CaseRule) { EXPECT_EQ(MixedCase(GetParam().text), GetParam().cased); }

INSTANTIATE_TEST_SUITE_P(
    Rows, Mixed,
    ::testing::Values(CaseRow{"Mc", "mcdonald", "McDonald"},
                      CaseRow{"InnerMc", "ann mcbride", "Ann McBride"},
                      CaseRow{"RomanTwo", "john smith ii", "John Smith II"},
                      CaseRow{"RomanOne", "pope john i", "Pope John I"},
                      CaseRow{"Punctuation", "o'neil-smith", "O'Neil-Smith"},
                      CaseRow{"Shouting", "HELLO WORLD", "Hello World"},
                      CaseRow{"Initials", "j.r.r. tolkien", "J.R.R. Tolkien"},
                      CaseRow{"NonAsciiUntouched", "élan", "élan"},
                      CaseRow{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct DistanceRow {
    const char* name;
    const char* value;
    int caret;
    bool allowed;
};

class Distance : public ::testing::TestWithParam<DistanceRow> {};

TEST_P(Distance, ThousandSeparatorRule)
{
    EXPECT_EQ(SeparatorDistanceAllows(GetParam().value, GetParam().caret, kDot), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Distance,
    ::testing::Values(DistanceRow{"NoSeparatorsAnywhere", "1234567", 2, true},
                      DistanceRow{"ThreeAfter", "1,234", 5, true},
                      DistanceRow{"TwoAfter", "1,234", 4, false},
                      DistanceRow{"FourAfter", "1,2345", 6, false},
                      DistanceRow{"ThreeBefore", "12,345", 0, true},
                      DistanceRow{"TwoBefore", "12,345", 1, false},
                      DistanceRow{"SecondGroup", "1,234,567", 9, true},
                      DistanceRow{"InsideSecondGroup", "1,234,567", 7, false},
                      DistanceRow{"FourBeforeFirst", "1234,567", 1, false},
                      DistanceRow{"ExactlyThreeBeforeFirst", "1234,567", 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
