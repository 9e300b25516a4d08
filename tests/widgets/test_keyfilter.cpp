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

    FilterRow& Precision(int v) { return precision = v, *this; }
    FilterRow& Limit(int v) { return lengthLimit = v, *this; }
    FilterRow& Signed() { return isSigned = true, *this; }
    FilterRow& Prefix(const char* v) { return prefix = v, *this; }
    FilterRow& Selected(int v) { return selLength = v, *this; }
    FilterRow& Control() { return control = true, *this; }
    FilterRow& NoUndo() { return canUndo = false, *this; }
    FilterRow& JumpTo(int v) { return jumpTo = v, *this; }
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
    if (r.jumpTo >= 0) {
        EXPECT_EQ(d.caret, r.jumpTo);
    }
}

FilterRow Row(const char* name, TValueEditType type, const char* value, int caret, char16_t ch,
              Action action, bool after)
{
    return FilterRow{name, type, value, caret, ch, action, after};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Filter,
    ::testing::Values(
        Row("ReturnNeverInserts", etString, "ab", 2, 13, Action::ReturnKey, false),
        Row("EscapeWithoutUndoPasses", etNumeric, "1", 1, 27, Action::Pass, false).NoUndo(),
        Row("EscapeWithUndoIsFilteredByType", etNumeric, "1", 1, 27, Action::Drop, true),
        Row("BackspaceAtPrefixEnd", etString, "12", 3, 8, Action::Drop, false).Prefix("SN-"),
        Row("BackspaceAfterPrefix", etString, "12", 4, 8, Action::Pass, true).Prefix("SN-"),
        Row("FullLengthRefusesDigit", etNumeric, "123", 1, '4', Action::Drop, false).Limit(3),
        Row("FullLengthTakesBackspace", etNumeric, "123", 3, 8, Action::Pass, true).Limit(3),
        Row("FullLengthTakesDecimalSeparator", etFloat, "123", 3, '.', Action::Pass, true)
            .Limit(3).Precision(2),
        Row("FullLengthDecimalsStillTyped", etFloat, "123.", 4, '5', Action::Pass, true)
            .Limit(3).Precision(2),
        Row("FullLengthSelectionReplaced", etNumeric, "123", 0, '4', Action::Pass, true)
            .Limit(3).Selected(1),
        Row("BackspaceOverSeparatorOverLimit", etFloat, "123.45", 4, 8, Action::Drop, false)
            .Limit(3).Precision(2),
        Row("UnsignedMinusRefused", etNumeric, "1", 1, '-', Action::Drop, false),
        Row("SignedNumericMinusToggles", etNumeric, "1", 1, '-', Action::ToggleSign, true).Signed(),
        Row("NumericLetterRefused", etNumeric, "1", 1, 'a', Action::Drop, true),
        Row("NumericControlCharacterPasses", etNumeric, "1", 1, 26, Action::Pass, true).Control(),
        Row("HexLetterF", etHex, "1", 1, 'f', Action::Pass, true),
        Row("HexLetterG", etHex, "1", 1, 'g', Action::Drop, true),
        Row("RangeSeparatorAtStart", etRange, "", 0, ',', Action::Drop, false),
        Row("RangeSeparatorAfterSeparator", etRange, "1-", 2, ';', Action::Drop, false),
        Row("RangeSeparatorBeforeSeparator", etRange, "1;2", 1, '-', Action::Drop, false),
        Row("RangeSeparatorBetweenDigits", etRange, "12", 1, '-', Action::Pass, true),
        Row("FloatSpaceNotACharacter", etFloat, "1", 1, ' ', Action::Drop, true),
        Row("FloatSecondSeparatorJumps", etFloat, "1.25", 0, '.', Action::JumpCaret, false)
            .Precision(2).JumpTo(2),
        Row("FloatSeparatorWithoutPrecision", etFloat, "12", 2, '.', Action::Drop, false),
        Row("FloatSelectedSeparatorReplaced", etFloat, "1.25", 1, '.', Action::Pass, true)
            .Precision(2).Selected(1),
        Row("FloatThousandTooClose", etFloat, "1,234", 4, ',', Action::Drop, false),
        Row("FloatThousandThreeAway", etFloat, "1,234", 5, ',', Action::Pass, true),
        Row("FloatFullDecimalsOverwrite", etFloat, "1.25", 2, '7', Action::OverwritePass, true)
            .Precision(2),
        Row("FloatFullDecimalsEndRefused", etFloat, "1.25", 4, '7', Action::Drop, false)
            .Precision(2),
        Row("FloatShortDecimalsExtend", etFloat, "1.2", 3, '7', Action::Pass, true).Precision(2),
        Row("FloatSeparatorIntoEmpty", etFloat, "", 0, '.', Action::ZeroDecimal, false)
            .Precision(2),
        Row("FloatMinusToggles", etFloat, "12", 1, '-', Action::ToggleSign, false).Signed(),
        Row("FloatMinusReplacesSelection", etFloat, "12", 0, '-', Action::Pass, true)
            .Signed().Selected(1),
        Row("MoneyThousandNotTypeable", etMoney, "1", 1, ',', Action::Drop, true),
        Row("MoneyDigitRegroups", etMoney, "123", 3, '4', Action::Pass, true),
        Row("AlphaNumericUnderscore", etAlphaNumeric, "a", 1, '_', Action::Drop, true)),
    [](const auto& info) { return std::string(info.param.name); });

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
