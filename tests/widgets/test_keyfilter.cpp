// The character filter's decision, step by step, as a table.
#include "widgets/KeyFilter.h"

#include <gtest/gtest.h>

using keyfilter::Action;

namespace {

struct FilterRow {
    const char* name;
    TValueEditType type;
    const char* value;
    int caret;
    char16_t ch;
    Action action;
    bool afterSteps;
    // Optional settings.
    int precision = 0;
    int lengthLimit = 0;
    bool isSigned = false;
    const char* prefix = "";
    int selLength = 0;
    bool control = false;
    bool canUndo = true;
    int jumpTo = -1;
};

FormatSettings DotComma()
{
    FormatSettings fs;
    fs.DecimalSeparator = QLatin1Char('.');
    fs.ThousandSeparator = QLatin1Char(',');
    return fs;
}

class Filter : public ::testing::TestWithParam<FilterRow> {};

TEST_P(Filter, Decides)
{
    const FilterRow& r = GetParam();
    keyfilter::Input in;
    in.type = r.type;
    in.value = QString::fromLatin1(r.value);
    in.prefix = QString::fromLatin1(r.prefix);
    in.selStart = r.caret;
    in.selLength = r.selLength;
    in.selectedText = (in.prefix + in.value).mid(r.caret, r.selLength);
    in.precision = r.precision;
    in.lengthLimit = r.lengthLimit;
    in.isSigned = r.isSigned;
    in.controlHeld = r.control;
    in.canUndo = r.canUndo;
    const keyfilter::Decision d = keyfilter::Filter(in, QChar(r.ch), DotComma());
    EXPECT_EQ(d.action, r.action);
    EXPECT_EQ(d.afterSteps, r.afterSteps);
    if (r.jumpTo >= 0)
        EXPECT_EQ(d.caret, r.jumpTo);
}

FilterRow Row(const char* name, TValueEditType type, const char* value, int caret, char16_t ch,
              Action action, bool after)
{
    return FilterRow{name, type, value, caret, ch, action, after};
}

FilterRow With(FilterRow r, const std::function<void(FilterRow&)>& change)
{
    change(r);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Filter,
    ::testing::Values(
        Row("ReturnNeverInserts", etString, "ab", 2, 13, Action::ReturnKey, false),
        With(Row("EscapeWithoutUndoPasses", etNumeric, "1", 1, 27, Action::Pass, false),
             [](FilterRow& r) { r.canUndo = false; }),
        Row("EscapeWithUndoIsFilteredByType", etNumeric, "1", 1, 27, Action::Drop, true),
        With(Row("BackspaceAtPrefixEnd", etString, "12", 3, 8, Action::Drop, false),
             [](FilterRow& r) { r.prefix = "SN-"; }),
        With(Row("BackspaceAfterPrefix", etString, "12", 4, 8, Action::Pass, true),
             [](FilterRow& r) { r.prefix = "SN-"; }),
        With(Row("FullLengthRefusesDigit", etNumeric, "123", 1, '4', Action::Drop, false),
             [](FilterRow& r) { r.lengthLimit = 3; }),
        With(Row("FullLengthTakesBackspace", etNumeric, "123", 3, 8, Action::Pass, true),
             [](FilterRow& r) { r.lengthLimit = 3; }),
        With(Row("FullLengthTakesDecimalSeparator", etFloat, "123", 3, '.', Action::Pass, true),
             [](FilterRow& r) { r.lengthLimit = 3; r.precision = 2; }),
        With(Row("FullLengthDecimalsStillTyped", etFloat, "123.", 4, '5', Action::Pass, true),
             [](FilterRow& r) { r.lengthLimit = 3; r.precision = 2; }),
        With(Row("FullLengthSelectionReplaced", etNumeric, "123", 0, '4', Action::Pass, true),
             [](FilterRow& r) { r.lengthLimit = 3; r.selLength = 1; }),
        With(Row("BackspaceOverSeparatorOverLimit", etFloat, "123.45", 4, 8, Action::Drop, false),
             [](FilterRow& r) { r.lengthLimit = 3; r.precision = 2; }),
        Row("UnsignedMinusRefused", etNumeric, "1", 1, '-', Action::Drop, false),
        With(Row("SignedNumericMinusToggles", etNumeric, "1", 1, '-', Action::ToggleSign, true),
             [](FilterRow& r) { r.isSigned = true; }),
        Row("NumericLetterRefused", etNumeric, "1", 1, 'a', Action::Drop, true),
        With(Row("NumericControlCharacterPasses", etNumeric, "1", 1, 26, Action::Pass, true),
             [](FilterRow& r) { r.control = true; }),
        Row("HexLetterF", etHex, "1", 1, 'f', Action::Pass, true),
        Row("HexLetterG", etHex, "1", 1, 'g', Action::Drop, true),
        Row("RangeSeparatorAtStart", etRange, "", 0, ',', Action::Drop, false),
        Row("RangeSeparatorAfterSeparator", etRange, "1-", 2, ';', Action::Drop, false),
        Row("RangeSeparatorBeforeSeparator", etRange, "1;2", 1, '-', Action::Drop, false),
        Row("RangeSeparatorBetweenDigits", etRange, "12", 1, '-', Action::Pass, true),
        Row("FloatSpaceNotACharacter", etFloat, "1", 1, ' ', Action::Drop, true),
        With(Row("FloatSecondSeparatorJumps", etFloat, "1.25", 0, '.', Action::JumpCaret, false),
             [](FilterRow& r) { r.precision = 2; r.jumpTo = 2; }),
        Row("FloatSeparatorWithoutPrecision", etFloat, "12", 2, '.', Action::Drop, false),
        With(Row("FloatSelectedSeparatorReplaced", etFloat, "1.25", 1, '.', Action::Pass, true),
             [](FilterRow& r) { r.precision = 2; r.selLength = 1; }),
        Row("FloatThousandTooClose", etFloat, "1,234", 4, ',', Action::Drop, false),
        Row("FloatThousandThreeAway", etFloat, "1,234", 5, ',', Action::Pass, true),
        With(Row("FloatFullDecimalsOverwrite", etFloat, "1.25", 2, '7', Action::OverwritePass, true),
             [](FilterRow& r) { r.precision = 2; }),
        With(Row("FloatFullDecimalsEndRefused", etFloat, "1.25", 4, '7', Action::Drop, false),
             [](FilterRow& r) { r.precision = 2; }),
        With(Row("FloatShortDecimalsExtend", etFloat, "1.2", 3, '7', Action::Pass, true),
             [](FilterRow& r) { r.precision = 2; }),
        With(Row("FloatSeparatorIntoEmpty", etFloat, "", 0, '.', Action::ZeroDecimal, false),
             [](FilterRow& r) { r.precision = 2; }),
        With(Row("FloatMinusToggles", etFloat, "12", 1, '-', Action::ToggleSign, false),
             [](FilterRow& r) { r.isSigned = true; }),
        With(Row("FloatMinusReplacesSelection", etFloat, "12", 0, '-', Action::Pass, true),
             [](FilterRow& r) { r.isSigned = true; r.selLength = 1; }),
        Row("MoneyThousandNotTypeable", etMoney, "1", 1, ',', Action::Drop, true),
        Row("MoneyDigitRegroups", etMoney, "123", 3, '4', Action::Pass, true),
        Row("AlphaNumericUnderscore", etAlphaNumeric, "a", 1, '_', Action::Drop, true)),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FilterDetails, CaseTypesConvertAndMoneyAsksForRegroup)
{
    keyfilter::Input in;
    in.type = etUppercase;
    EXPECT_EQ(keyfilter::Filter(in, QChar('q'), DotComma()).text, "Q");
    in.type = etLowerCase;
    EXPECT_EQ(keyfilter::Filter(in, QChar('Q'), DotComma()).text, "q");
    in.type = etMixedCase;
    EXPECT_TRUE(keyfilter::Filter(in, QChar('q'), DotComma()).mixedCase);
    in.type = etMoney;
    in.precision = 2;
    in.value = "12";
    in.selStart = 2;
    EXPECT_TRUE(keyfilter::Filter(in, QChar('3'), DotComma()).regroup);
    EXPECT_FALSE(keyfilter::Filter(in, QChar('.'), DotComma()).regroup);
}

TEST(FilterDetails, KeypadDecimalKeyTypesTheLocaleSeparator)
{
    FormatSettings fs;
    fs.DecimalSeparator = QLatin1Char(',');
    fs.ThousandSeparator = QLatin1Char('.');
    keyfilter::Input in;
    in.type = etFloat;
    in.precision = 2;
    in.value = "12";
    in.selStart = 2;
    in.keypadDecimalKey = true;
    EXPECT_EQ(keyfilter::Filter(in, QChar('.'), fs).text, "."); // a thousand separator here
    in.excelStyleDecimalSeparator = true;
    const keyfilter::Decision d = keyfilter::Filter(in, QChar('.'), fs);
    EXPECT_EQ(d.action, Action::Pass);
    EXPECT_EQ(d.text, ",");
}

} // namespace
