// The field's value: Text, AsInteger and AsFloat writes and reads, precision, focus
// sequences, change handling, colours and the painted hints.
#include "value_edit_testing.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

using valueedit_testing::Window;

namespace {

class Value : public valueedit_testing::LocaleTest {
protected:
    // "1,234.5" written with the pinned separators.
    QString N(const char* pattern) const
    {
        QString text = QString::fromLatin1(pattern);
        for (QChar& c : text) {
            if (c == QLatin1Char(','))
                c = QLatin1Char(GetParam().thousand);
            else if (c == QLatin1Char('.'))
                c = QLatin1Char(GetParam().decimal);
        }
        return text;
    }
    void MakeFloat(int precision)
    {
        w.edit->SetEditType(etFloat);
        w.edit->SetPrecision(precision);
    }
};

TEST_P(Value, FloatTextIsFormattedToPrecision)
{
    MakeFloat(2);
    w.edit->SetText(N("1.5"));
    EXPECT_EQ(w.edit->Text(), N("1.50"));
    EXPECT_FALSE(w.edit->Modified());
    w.edit->SetText("abc");
    EXPECT_EQ(w.edit->Text(), N("0.00"));
    w.edit->SetText("");
    EXPECT_EQ(w.edit->Text(), "");
    w.FocusAt(0);
    w.Leave();
    EXPECT_EQ(w.edit->Text(), N("0.00"));
}

TEST_P(Value, TypedFloatLeavesWithTwoDecimalsFiresChangeAndStaysModified)
{
    MakeFloat(2);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("2");
    int changes = 0;
    w.edit->OnChange = [&](TValueEdit* sender) {
        EXPECT_EQ(sender, w.edit);
        ++changes;
    };
    w.Leave();
    EXPECT_EQ(w.edit->Text(), N("2.00"));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(w.edit->Modified());
}

TEST_P(Value, PrecisionChangeReformatsOnlyDecimalTypes)
{
    MakeFloat(2);
    w.edit->SetText(N("1.25"));
    w.edit->SetPrecision(3);
    EXPECT_EQ(w.edit->Precision(), 3);
    EXPECT_EQ(w.edit->Text(), N("1.250"));
    w.edit->SetEditType(etNumeric);
    EXPECT_EQ(w.edit->Text(), "0"); // "1.250" is no whole number
    w.edit->SetPrecision(1);
    EXPECT_EQ(w.edit->Precision(), 3);
    EXPECT_EQ(w.edit->Text(), "0");
}

TEST_P(Value, FloatReadsGroupedValues)
{
    MakeFloat(0);
    w.edit->SetText(N("1,234.50"));
    if (GetParam().thousand == ' ') {
        EXPECT_EQ(w.edit->Text(), "0"); // a blank is no character of a decimal number
    } else {
        EXPECT_DOUBLE_EQ(w.edit->AsFloat(), 1234.5);
        EXPECT_EQ(w.edit->AsInteger(), 1); // whole-number reading stops at the separator
    }
    MakeFloat(2);
    w.edit->SetAsInteger(5);
    EXPECT_EQ(w.edit->Text(), N("5.00"));
    EXPECT_TRUE(w.edit->Modified());
}

TEST_P(Value, MoneyWritesGroupThousands)
{
    w.edit->SetEditType(etMoney);
    w.edit->SetPrecision(2);
    w.edit->SetAsFloat(1234567.891);
    if (GetParam().thousand == ' ') // a space-grouped locale shows spaces
        EXPECT_EQ(w.edit->Text(), "1 234 567,89");
    else
        EXPECT_EQ(w.edit->Text(), N("1,234,567.89"));
    EXPECT_DOUBLE_EQ(w.edit->AsFloat(), 1234567.89);
    EXPECT_EQ(w.edit->AsInteger(), 1234567);
    w.edit->SetAutoThousandSeparator(false);
    EXPECT_EQ(w.edit->Text(), N("1234567.89"));
    w.edit->SetAsInteger(-9876);
    EXPECT_EQ(w.edit->Text(), N("-9876.00"));
}

// A double holds every integer up to 2^53 and many beyond: those come back digit for
// digit, and digits typed past what a double holds are not rewritten either.
TEST_P(Value, DigitsBeyondFifteenAreKept)
{
    MakeFloat(2);
    w.edit->SetText("1234567890123456");
    EXPECT_EQ(w.edit->Text(), N("1234567890123456.00"));
    w.edit->SetAsFloat(9007199254740993.0); // the double holds ...992
    EXPECT_EQ(w.edit->Text(), N("9007199254740992.00"));
    w.edit->SetEditType(etMoney);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type(QString(17, QLatin1Char('9')));
    EXPECT_EQ(w.edit->Text(), N("99,999,999,999,999,999"));
    w.Leave();
    EXPECT_EQ(w.edit->Text(), N("99,999,999,999,999,999.00"));
}

// Without decimals the general form is used; a long number must stay that number, not
// turn into an exponent the field would reject as "0".
TEST_P(Value, WithoutDecimalsLongNumbersStayNumbers)
{
    MakeFloat(-1);
    w.edit->SetAsFloat(1e15);
    EXPECT_EQ(w.edit->Text(), "1000000000000000");
    w.edit->SetEditType(etMoney);
    w.edit->SetPrecision(0);
    w.edit->SetText("");
    w.FocusAt(0);
    valueedit_testing::SetClipboard("1234567890123456");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), N("1,234,567,890,123,456"));
}

TEST_P(Value, MoneyReadsLoneMinusAndTrailingSeparatorAsNumbers)
{
    w.edit->SetEditType(etMoney);
    w.edit->SetSigned(true);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("-");
    EXPECT_EQ(w.edit->Text(), "-");
    EXPECT_DOUBLE_EQ(w.edit->AsFloat(), 0.0);
    w.edit->SetPrecision(2);
    w.edit->SetText("");
    w.Type("12" + N("."));
    EXPECT_DOUBLE_EQ(w.edit->AsFloat(), 12.0);
}

INSTANTIATE_TEST_SUITE_P(Locales, Value, ::testing::ValuesIn(valueedit_testing::kLocales),
                         valueedit_testing::LocaleName);

// --- whole numbers ---------------------------------------------------------------------

TEST(Numeric, EmptyReadsZeroAndBecomesZeroOnLeaving)
{
    Window w;
    w.edit->SetEditType(etNumeric);
    EXPECT_EQ(w.edit->Text(), "0"); // choosing the type fills an empty field
    w.edit->SetText("");
    EXPECT_EQ(w.edit->AsInteger(), 0);
    w.FocusAt(0);
    w.Leave();
    EXPECT_EQ(w.edit->Text(), "0");
    w.edit->SetText("12.5");
    EXPECT_EQ(w.edit->Text(), "0");
    w.edit->setText("007"); // as typed: not normalised
    EXPECT_EQ(w.edit->AsInteger(), 7);
    w.edit->setText("12a");
    EXPECT_EQ(w.edit->AsInteger(), 12);
}

TEST(Numeric, AsFloatReadsAndWritesWholeNumbers)
{
    ScopedFormatSettings pinned(QLatin1Char('.'), QLatin1Char(','));
    Window w;
    w.edit->SetEditType(etNumeric);
    w.edit->SetText("15");
    EXPECT_DOUBLE_EQ(w.edit->AsFloat(), 15.0);
    w.edit->SetAsFloat(1234.6); // no separator, so the field accepts it
    EXPECT_EQ(w.edit->Text(), "1235");
}

TEST(Hex, WritesUpperCaseAndReadsBack)
{
    Window w;
    w.edit->SetEditType(etHex);
    EXPECT_EQ(w.edit->Text(), "0");
    w.edit->SetText("ff");
    EXPECT_EQ(w.edit->Text(), "FF");
    EXPECT_EQ(w.edit->AsInteger(), 255);
    w.edit->SetAsInteger(-1);
    EXPECT_EQ(w.edit->Text(), "FFFFFFFF");
    EXPECT_EQ(w.edit->AsInteger(), -1);
    w.edit->SetAsFloat(26.9);
    EXPECT_EQ(w.edit->Text(), "1A");
    w.edit->SetText("xyz");
    EXPECT_EQ(w.edit->Text(), "0");
}

TEST(TextWrite, UnchangedTextFiresNoChangeAndPrefixSuffixKeepTheValue)
{
    Window w;
    w.edit->SetText("abc");
    int changes = 0;
    w.edit->OnChange = [&](TValueEdit*) { ++changes; };
    w.edit->SetText("abc");
    EXPECT_EQ(changes, 0);
    w.edit->SetPrefix("<");
    w.edit->SetSuffix(">");
    EXPECT_EQ(w.edit->text(), "<abc>");
    EXPECT_EQ(w.edit->Text(), "abc");
    EXPECT_EQ(changes, 2);
    w.edit->SetText("x");
    EXPECT_EQ(w.edit->text(), "<x>");
}

// --- modified, validation, error colours -----------------------------------------------

// The field sets no length limit of its own, so nothing may cut a long value, its
// suffix or a long prefix.
TEST(TextWrite, LongTextKeepsItsPrefixAndSuffix)
{
    Window w;
    w.edit->SetSuffix(" pcs");
    const QString value(40000, QLatin1Char('a'));
    w.edit->SetText(value);
    EXPECT_EQ(w.edit->Text(), value);
    EXPECT_TRUE(w.edit->text().endsWith(" pcs"));
    const QString prefix(33000, QLatin1Char('p'));
    w.edit->SetPrefix(prefix);
    EXPECT_EQ(w.edit->text(), prefix + value + " pcs");
    w.FocusAt(int(prefix.size() + value.size()));
    w.Type("b");
    EXPECT_EQ(w.edit->Text(), value + "b");
}

TEST(States, ShowModifiedColoursTypedTextUntilTextIsWritten)
{
    Window w;
    const QColor modified(0, 0, 200);
    w.edit->SetShowModified(true);
    w.edit->SetModifiedColor(modified);
    const QColor normal = w.edit->FontColor();
    w.FocusAt(0);
    w.Type("a");
    EXPECT_TRUE(w.edit->Modified());
    EXPECT_EQ(w.edit->FontColor(), modified);
    w.edit->SetText("b");
    EXPECT_FALSE(w.edit->Modified());
    EXPECT_EQ(w.edit->FontColor(), normal);
}

TEST(States, ReadOnlyAndLoadingKeepTheModifiedStateAlone)
{
    Window w;
    w.edit->SetLoading(true);
    w.edit->SetModifiedState(true);
    EXPECT_FALSE(w.edit->Modified());
    w.edit->Loaded();
    w.edit->setReadOnly(true);
    w.edit->SetModifiedState(true);
    EXPECT_FALSE(w.edit->Modified());
}

TEST(States, ErrorColoursFollowValidationOnEveryChange)
{
    Window w;
    const QColor normal = w.edit->Color();
    w.edit->SetShowError(true);
    w.edit->OnValueValidate = [](TValueEdit*, const QString& value, bool& valid) {
        valid = !value.contains('x');
    };
    w.edit->SetText("abx");
    EXPECT_TRUE(w.edit->ErrorState());
    EXPECT_EQ(w.edit->Color(), w.edit->ErrorColor());
    EXPECT_EQ(w.edit->FontColor(), w.edit->ErrorFontColor());
    w.edit->SetText("ab");
    EXPECT_FALSE(w.edit->ErrorState());
    EXPECT_EQ(w.edit->Color(), normal);
}

TEST(States, ValidationDoesNotReenter)
{
    Window w;
    int calls = 0;
    w.edit->OnValueValidate = [&](TValueEdit* sender, const QString&, bool& valid) {
        ++calls;
        valid = false;
        EXPECT_TRUE(sender->ValidateValue("nested")); // answered by the guard
    };
    EXPECT_FALSE(w.edit->ValidateValue("v"));
    EXPECT_EQ(calls, 1);
}

TEST(States, LoadingSilencesValidationUntilLoaded)
{
    Window w;
    int calls = 0;
    w.edit->OnValueValidate = [&](TValueEdit*, const QString&, bool&) { ++calls; };
    w.edit->SetLoading(true);
    w.edit->SetText("a");
    EXPECT_EQ(calls, 0);
    w.edit->Loaded();
    w.edit->SetText("b");
    EXPECT_EQ(calls, 1);
}

TEST(Colours, FocusColoursComeAndGo)
{
    Window w;
    const QColor normal = w.edit->Color();
    w.edit->SetFocusColor(QColor(255, 255, 200));
    w.edit->SetFocusFontColor(QColor(0, 0, 128));
    w.FocusAt(0);
    EXPECT_EQ(w.edit->Color(), QColor(255, 255, 200));
    EXPECT_EQ(w.edit->FontColor(), QColor(0, 0, 128));
    w.Leave();
    EXPECT_EQ(w.edit->Color(), normal);
}

TEST(Colours, DisabledColourAndLabelFollowEnabled)
{
    Window w;
    w.edit->SetColor(QColor(250, 240, 230));
    w.edit->SetLabelCaption("Count");
    w.edit->setEnabled(false);
    EXPECT_EQ(w.edit->Color(), w.edit->DisabledColor());
    EXPECT_FALSE(w.edit->Label()->isEnabled());
    w.edit->setEnabled(true);
    EXPECT_EQ(w.edit->Color(), QColor(250, 240, 230));
    EXPECT_TRUE(w.edit->Label()->isEnabled());
    w.edit->SetLabelAlwaysEnabled(true);
    w.edit->setEnabled(false);
    EXPECT_TRUE(w.edit->Label()->isEnabled());
}

// A field that never had the focus still has the style's own colours in its palette;
// re-enabled, it must paint in its normal colour, not the style's disabled one.
TEST(Colours, FieldThatNeverHadTheFocusComesBackFromDisabledInItsOwnColour)
{
    Window w;
    const QColor normal = w.edit->palette().color(QPalette::Active, QPalette::Base);
    const auto painted = [&] { return w.edit->grab().toImage().pixelColor(6, w.edit->height() / 2); };
    ASSERT_EQ(painted(), normal);
    w.edit->setEnabled(false);
    EXPECT_EQ(painted(), w.edit->DisabledColor());
    w.edit->setEnabled(true);
    EXPECT_EQ(w.edit->Color(), normal);
    EXPECT_EQ(painted(), normal);
}

TEST(Focus, AutoSelectSelectsTheValueWithoutPrefixAndSuffix)
{
    Window w;
    w.edit->SetPrefix("No. ");
    w.edit->SetSuffix("!");
    w.edit->SetText("42");
    w.edit->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(w.edit->selectedText(), "42");
    EXPECT_EQ(w.edit->TextAtFocus(), "42");
}

TEST(Focus, WithoutAutoSelectNothingIsSelectedAndDecimalsPutTheCaretBeforeTheSeparator)
{
    ScopedFormatSettings pinned(QLatin1Char('.'), QLatin1Char(','));
    Window w;
    w.edit->SetAutoSelect(false);
    w.edit->SetText("abc");
    w.edit->setCursorPosition(1);
    w.edit->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(w.edit->hasSelectedText());
    EXPECT_EQ(w.edit->cursorPosition(), 1);
    w.Leave();
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetText("12.50");
    w.edit->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(w.edit->hasSelectedText());
    EXPECT_EQ(w.edit->cursorPosition(), 2);
}

TEST(Focus, EnterAndExitEventsAndFocusExtras)
{
    Window w;
    QStringList seen;
    w.edit->OnEnter = [&](TValueEdit*) { seen << "enter"; };
    w.edit->OnExit = [&](TValueEdit*) { seen << "exit"; };
    w.edit->SetFocusWidthInc(30);
    w.edit->SetFocusAlign(eaRight);
    w.edit->SetFocusLabel(true);
    w.edit->SetLabelCaption("Name");
    w.FocusAt(0);
    EXPECT_EQ(w.edit->width(), 150);
    EXPECT_EQ(w.edit->EditAlign(), eaRight);
    EXPECT_TRUE(w.edit->Label()->font().bold());
    w.Leave();
    EXPECT_EQ(w.edit->width(), 120);
    EXPECT_EQ(w.edit->EditAlign(), eaLeft);
    EXPECT_FALSE(w.edit->Label()->font().bold());
    EXPECT_EQ(seen, QStringList({"enter", "exit"}));
}

// --- painted hints ---------------------------------------------------------------------

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& match)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (match(image.pixelColor(x, y)))
                ++count;
    return count;
}

bool IsRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
int DifferentPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                ++count;
    return count;
}

TEST(Painting, EmptyTextShowsOnlyInAnEmptyUnfocusedField)
{
    Window w;
    const auto withAndWithoutHint = [&] {
        w.edit->SetEmptyText("type here");
        const QImage with = w.edit->grab().toImage();
        w.edit->SetEmptyText("");
        return DifferentPixels(with, w.edit->grab().toImage());
    };
    EXPECT_GT(withAndWithoutHint(), 20);
    w.edit->SetText("x");
    EXPECT_EQ(withAndWithoutHint(), 0);
    w.edit->SetText("");
    w.FocusAt(0);
    EXPECT_EQ(withAndWithoutHint(), 0);
}

TEST(Painting, ErrorMarkerUnderlinesTheMarkedCharacters)
{
    Window w;
    w.edit->SetText("abcdefghij");
    w.edit->SetErrorMarkerPos(5);
    w.edit->SetErrorMarkerLen(3);
    const QImage image = w.edit->grab().toImage();
    const int x5 = 2 + w.edit->fontMetrics().horizontalAdvance("abcde");
    EXPECT_GT(CountPixels(image, QRect(x5 + 1, 0, 10, 21), IsRed), 4);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, x5 - 2, 21), IsRed), 0);
    w.edit->SetErrorMarkerLen(0);
    EXPECT_EQ(CountPixels(w.edit->grab().toImage(), QRect(0, 0, 120, 21), IsRed), 0);
}

} // namespace
