// Typing, keys and pasting into real fields, by edit type, under several locales.
#include "value_edit_testing.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

using valueedit_testing::SetClipboard;
using valueedit_testing::Window;

namespace {

class Typing : public valueedit_testing::LocaleTest {
protected:
    // Typeable thousand separator of etFloat (comma or full stop)?
    bool ThousandTypeable() const { return GetParam().thousand == ',' || GetParam().thousand == '.'; }
};

// --- etNumeric ------------------------------------------------------------------------

TEST_P(Typing, NumericRefusesMinusFullStopLetterAndSpace)
{
    w.edit->SetEditType(etNumeric);
    w.edit->SetText("12");
    w.FocusAt(2);
    for (const QString& key : {QStringLiteral("-"), QStringLiteral("."), QStringLiteral("a"),
                               QStringLiteral(" "), QStringLiteral(",")})
        w.Type(key);
    EXPECT_EQ(w.edit->Text(), "12");
    EXPECT_FALSE(w.edit->Modified());
    w.Type("3");
    EXPECT_EQ(w.edit->Text(), "123");
    EXPECT_TRUE(w.edit->Modified());
}

TEST_P(Typing, NumericCtrlVTakesOnlyWholeNumbers)
{
    w.edit->SetEditType(etNumeric);
    w.edit->SetText("");
    w.FocusAt(0);
    SetClipboard("12a");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "");
    SetClipboard("123");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "123");
    EXPECT_EQ(w.edit->cursorPosition(), 3);
    EXPECT_TRUE(w.edit->Modified());
}

TEST_P(Typing, SignedNumericMinusTogglesTheSignAndMovesTheCaret)
{
    w.edit->SetEditType(etNumeric);
    w.edit->SetSigned(true);
    w.edit->SetText("123");
    w.FocusAt(2);
    w.Type("-");
    EXPECT_EQ(w.edit->Text(), "-123");
    EXPECT_EQ(w.edit->cursorPosition(), 3);
    w.Type("-");
    EXPECT_EQ(w.edit->Text(), "123");
    EXPECT_EQ(w.edit->cursorPosition(), 2);
    EXPECT_TRUE(w.edit->Modified());
}

// --- etFloat --------------------------------------------------------------------------

TEST_P(Typing, FloatSeparatorJumpsIntoDecimalsWhichAreOverwritten)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetText("1" + D() + "25");
    ASSERT_EQ(w.edit->Text(), "1" + D() + "25");
    w.FocusAt(0);
    w.Type(D());
    EXPECT_EQ(w.edit->cursorPosition(), 2);
    EXPECT_EQ(w.edit->Text(), "1" + D() + "25");
    w.Type("7");
    EXPECT_EQ(w.edit->Text(), "1" + D() + "75");
    w.edit->setCursorPosition(4);
    w.Type("9");
    EXPECT_EQ(w.edit->Text(), "1" + D() + "75"); // a digit at the very end is refused
}

TEST_P(Typing, FloatSeparatorIntoEmptyFieldGivesZeroPoint)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type(D());
    EXPECT_EQ(w.edit->Text(), "0" + D());
    EXPECT_EQ(w.edit->cursorPosition(), 2);
    EXPECT_TRUE(w.edit->Modified());
    w.Type("5");
    EXPECT_EQ(w.edit->Text(), "0" + D() + "5");
}

TEST_P(Typing, FloatWithoutDecimalsRefusesTheSeparatorTypedOrPasted)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("12" + D());
    EXPECT_EQ(w.edit->Text(), "12");
    w.edit->selectAll();
    SetClipboard("1" + D() + "5");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "12");
    SetClipboard("34");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "34");
}

TEST_P(Typing, FloatThousandSeparatorOnlyThreeFromTheNearestOne)
{
    w.edit->SetEditType(etFloat);
    if (!ThousandTypeable()) {
        // A space is no etFloat character.
        w.edit->SetText("1234");
        w.FocusAt(1);
        w.Type(T());
        EXPECT_EQ(w.edit->Text(), "1234");
        return;
    }
    w.edit->SetText("1" + T() + "234");
    w.FocusAt(4); // 1,23|4
    w.Type(T());
    EXPECT_EQ(w.edit->Text(), "1" + T() + "234");
    w.edit->setCursorPosition(5);
    w.Type(T());
    EXPECT_EQ(w.edit->Text(), "1" + T() + "234" + T());
    w.Type("567");
    w.edit->setCursorPosition(8); // 1,234,56|7
    w.Type(T());
    EXPECT_EQ(w.edit->Text(), "1" + T() + "234" + T() + "567");
}

TEST_P(Typing, FloatRefusesFullStopOrCommaTheLocaleDoesNotUse)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("5");
    for (const char c : {'.', ','}) {
        if (c != GetParam().decimal && c != GetParam().thousand) {
            w.Type(QString(QLatin1Char(c)));
            EXPECT_EQ(w.edit->Text(), "5") << c;
        }
    }
}

TEST_P(Typing, FloatClipboardShortcutsWorkAndPasteIsFormatted)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetText("");
    w.FocusAt(0);
    SetClipboard("2" + D() + "5");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "2" + D() + "50");
    w.edit->selectAll();
    SetClipboard("");
    w.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "2" + D() + "50");
    w.Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "");
}

TEST_P(Typing, MoneyGroupsThousandsWhileTyping)
{
    w.edit->SetEditType(etMoney);
    w.edit->SetPrecision(2);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("1234567" + D() + "89");
    EXPECT_EQ(w.edit->Text(), "1" + T() + "234" + T() + "567" + D() + "89");
    EXPECT_EQ(w.edit->cursorPosition(), w.edit->text().size());
    EXPECT_DOUBLE_EQ(w.edit->AsFloat(), 1234567.89);
    w.Key(Qt::Key_Backspace);
    w.Key(Qt::Key_Backspace);
    w.Key(Qt::Key_Backspace);
    w.Key(Qt::Key_Backspace);
    EXPECT_EQ(w.edit->Text(), "123" + T() + "456");
}

// Deleting the first digit shortens the amount by its separator too; the caret must
// still land after the prefix, or the next digit would go into the prefix.
TEST_P(Typing, MoneyRegroupKeepsTheCaretOutOfThePrefix)
{
    w.edit->SetEditType(etMoney);
    w.edit->SetPrefix("$");
    w.edit->SetAsInteger(1234);
    ASSERT_EQ(w.edit->text(), "$1" + T() + "234");
    w.FocusAt(2);
    w.Key(Qt::Key_Backspace);
    EXPECT_EQ(w.edit->text(), "$234");
    EXPECT_EQ(w.edit->cursorPosition(), 1);
    w.Type("9");
    EXPECT_EQ(w.edit->text(), "$9" + T() + "234");
    EXPECT_EQ(w.edit->cursorPosition(), 3); // still just before "234"
}

// --- length limit ------------------------------------------------------------------

TEST_P(Typing, LengthLimitStopsTheIntegerPartButNotTheDecimals)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetLengthLimit(3);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("1234");
    EXPECT_EQ(w.edit->Text(), "123");
    w.Type(D() + "5");
    EXPECT_EQ(w.edit->Text(), "123" + D() + "5");
    w.Key(Qt::Key_Backspace);
    EXPECT_EQ(w.edit->Text(), "123" + D());
    w.Type("4");
    w.edit->setCursorPosition(3);
    w.Key(Qt::Key_Delete); // "1234" would break the limit
    EXPECT_EQ(w.edit->Text(), "123" + D() + "4");
}

TEST_P(Typing, TabOnFullLengthMovesTheFocusOnAtTheThirdDigit)
{
    w.edit->SetEditType(etNumeric);
    w.edit->SetLengthLimit(3);
    w.edit->SetTabOnFullLength(true);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type("12");
    EXPECT_TRUE(w.edit->hasFocus());
    w.Type("3");
    EXPECT_EQ(w.edit->Text(), "123");
    EXPECT_TRUE(w.next->hasFocus());
}

TEST_P(Typing, DeletionsThatWouldBreakTheNumberAreRefused)
{
    w.edit->SetEditType(etFloat);
    w.edit->SetSigned(true);
    w.edit->SetText("-12");
    w.FocusAt(3);
    w.edit->setSelection(2, 1);
    w.Type("-"); // would give "-1-"
    EXPECT_EQ(w.edit->Text(), "-12");
    if (!ThousandTypeable())
        return;
    w.edit->SetText("1" + T() + "234" + T() + "567");
    w.FocusAt(5); // 1,234|,567
    w.Key(Qt::Key_Backspace);
    EXPECT_EQ(w.edit->Text(), "1" + T() + "23" + T() + "567");
    w.Key(Qt::Key_Backspace); // "1,2,567" would have its separators too close
    EXPECT_EQ(w.edit->Text(), "1" + T() + "23" + T() + "567");
    EXPECT_EQ(w.edit->cursorPosition(), 4);
}

INSTANTIATE_TEST_SUITE_P(Locales, Typing, ::testing::ValuesIn(valueedit_testing::kLocales),
                         valueedit_testing::LocaleName);

// --- locale-free keys ----------------------------------------------------------------

class ParentKeys : public QObject {
public:
    QList<QPair<QEvent::Type, int>> seen;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            seen.append({event->type(), static_cast<QKeyEvent*>(event)->key()});
        return false;
    }
};

TEST(Keys, ReturnInsertsNothingTellsKeyPressAndReachesTheParentAsAPair)
{
    Window w;
    ParentKeys parent;
    w.top->installEventFilter(&parent);
    w.edit->SetText("ab");
    QList<int> pressed;
    w.edit->OnKeyPress = [&](TValueEdit* sender, QChar& key) {
        EXPECT_EQ(sender, w.edit);
        pressed.append(key.unicode());
    };
    w.FocusAt(1);
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.edit->text(), "ab");
    EXPECT_EQ(pressed, QList<int>{13});
    const QList<QPair<QEvent::Type, int>> expected{{QEvent::KeyPress, Qt::Key_Return},
                                                   {QEvent::KeyRelease, Qt::Key_Return}};
    EXPECT_EQ(parent.seen, expected);
}

TEST(Keys, ReturnIsTabMovesTheFocusOn)
{
    Window w;
    w.edit->SetReturnIsTab(true);
    w.FocusAt(0);
    w.Key(Qt::Key_Return);
    EXPECT_TRUE(w.next->hasFocus());
}

TEST(Keys, EscapeRestoresTheTextAtFocusAndClearsModified)
{
    Window w;
    ParentKeys parent;
    w.top->installEventFilter(&parent);
    w.edit->SetText("abc");
    w.FocusAt(3);
    w.Type("xyz");
    ASSERT_EQ(w.edit->Text(), "abcxyz");
    ASSERT_TRUE(w.edit->Modified());
    w.Key(Qt::Key_Escape);
    EXPECT_EQ(w.edit->Text(), "abc");
    EXPECT_FALSE(w.edit->Modified());
    EXPECT_EQ(w.edit->selectedText(), "abc");
    const QList<QPair<QEvent::Type, int>> expected{{QEvent::KeyPress, Qt::Key_Escape},
                                                   {QEvent::KeyRelease, Qt::Key_Escape}};
    EXPECT_EQ(parent.seen, expected);
}

TEST(Keys, PasswordFieldCannotUndoAndShowsStars)
{
    Window w;
    w.edit->SetEditType(etPassword);
    EXPECT_FALSE(w.edit->CanUndo());
    w.edit->SetCanUndo(true);
    EXPECT_FALSE(w.edit->CanUndo());
    w.FocusAt(0);
    w.Type("abc");
    EXPECT_EQ(w.edit->Text(), "abc");
    EXPECT_EQ(w.edit->displayText(), "***");
    w.Key(Qt::Key_Escape);
    EXPECT_EQ(w.edit->Text(), "abc");
}

TEST(Keys, CaretStaysBetweenPrefixAndSuffix)
{
    Window w;
    w.edit->SetPrefix("SN-");
    w.edit->SetSuffix(" pcs");
    w.edit->SetText("12");
    ASSERT_EQ(w.edit->text(), "SN-12 pcs");
    w.FocusAt(4);
    w.Key(Qt::Key_Home);
    EXPECT_EQ(w.edit->cursorPosition(), 3);
    w.Key(Qt::Key_Left);
    EXPECT_EQ(w.edit->cursorPosition(), 3);
    w.Key(Qt::Key_Backspace);
    EXPECT_EQ(w.edit->text(), "SN-12 pcs");
    w.Key(Qt::Key_End);
    EXPECT_EQ(w.edit->cursorPosition(), 5);
    w.Key(Qt::Key_Right);
    EXPECT_EQ(w.edit->cursorPosition(), 5);
    w.Key(Qt::Key_Delete);
    EXPECT_EQ(w.edit->text(), "SN-12 pcs");
    w.Key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(w.edit->selectedText(), "12");
    EXPECT_EQ(w.edit->cursorPosition(), 3);
    w.Type("7");
    EXPECT_EQ(w.edit->text(), "SN-7 pcs");
    EXPECT_EQ(w.edit->Text(), "7");
}

TEST(Keys, SelectAllAndLineEditingShortcutsLeavePrefixAndSuffixWhole)
{
    Window w;
    w.edit->SetPrefix("SN-");
    w.edit->SetSuffix(" pcs");
    w.edit->SetText("12");
    w.FocusAt(4);
    w.Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.edit->selectedText(), "12");
    w.Type("7");
    EXPECT_EQ(w.edit->text(), "SN-7 pcs");
    w.edit->setCursorPosition(3);
    w.Key(Qt::Key_K, Qt::ControlModifier); // no kill-to-end into the suffix
    w.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(w.edit->text(), "SN-7 pcs");
    EXPECT_LE(w.edit->cursorPosition(), 4);
}

struct TypedRow {
    const char* name;
    TValueEditType type;
    const char* typed;
    const char* shown;
};

class TypedByType : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedByType, KeepsOnlyWhatTheTypeAllows)
{
    const TypedRow& row = GetParam();
    Window w;
    w.edit->SetEditType(row.type);
    w.edit->SetText("");
    w.FocusAt(0);
    w.Type(QString::fromUtf8(row.typed));
    EXPECT_EQ(w.edit->Text(), QString::fromUtf8(row.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TypedByType,
    ::testing::Values(
        TypedRow{"MixedCaseMcPrefix", etMixedCase, "mcdonald", "McDonald"},
        TypedRow{"UppercaseTurnsUp", etUppercase, "aBc 1", "ABC 1"},
        TypedRow{"LowercaseTurnsDown", etLowerCase, "AbC", "abc"},
        TypedRow{"RangeListTyped", etRange, "1-5;7", "1-5;7"},
        TypedRow{"RangeNoSeparatorFirst", etRange, ",1", "1"},
        TypedRow{"RangeNoTwoSeparatorsInARow", etRange, "1,;-2", "1,2"},
        TypedRow{"RangeRefusesLetters", etRange, "1a2", "12"},
        TypedRow{"HexDigitsAndMinus", etHex, "-1fz", "-1f"},
        TypedRow{"AlphaNumericLettersAndDigits", etAlphaNumeric, "a1-b_Z", "a1bZ"},
        TypedRow{"StringTakesAll", etString, "a-1. ,", "a-1. ,"}),
    [](const auto& info) { return std::string(info.param.name); });

// Opens the field's context menu with a right click on the window, as a user does.
QMenu* OpenContextMenu(Window& w)
{
    const QPoint at = w.edit->mapTo(w.top.get(), w.edit->rect().center());
    QTest::mouseClick(w.top->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    QApplication::processEvents();
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Picks a menu entry by its mnemonic key or with a mouse click on it.
void Choose(QMenu* menu, const char* name, bool withMouse)
{
    QAction* action = menu->findChild<QAction*>(QLatin1String(name));
    ASSERT_NE(action, nullptr) << name;
    if (withMouse) {
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
    } else {
        const qsizetype amp = action->text().indexOf('&');
        ASSERT_GE(amp, 0) << name;
        const QChar letter = action->text().at(amp + 1).toUpper();
        QTest::keyClick(menu, Qt::Key(Qt::Key_A + (letter.unicode() - 'A')));
    }
    QApplication::processEvents();
}

TEST(Clipboard, ContextMenuTakesTheSamePathAsTheKeyboard)
{
    ScopedFormatSettings pinned(QLatin1Char('.'), QLatin1Char(','));
    Window w;
    w.edit->SetEditType(etNumeric);
    w.edit->SetText("");
    w.FocusAt(0);
    const auto pasteFromMenu = [&] {
        QMenu* menu = OpenContextMenu(w);
        ASSERT_NE(menu, nullptr);
        Choose(menu, "edit-paste", false);
    };
    SetClipboard("4x");
    pasteFromMenu();
    EXPECT_EQ(w.edit->Text(), "");
    SetClipboard("42");
    pasteFromMenu();
    EXPECT_EQ(w.edit->Text(), "42");
}

struct MenuRow {
    const char* name;
    int selStart;
    int selLength;
    const char* clipboard;
    const char* action;
    bool withMouse;
    const char* text;         // the value afterwards
    const char* clipboardNow; // the clipboard afterwards
};

class ContextMenu : public ::testing::TestWithParam<MenuRow> {};

// The menu acts on the caret and selection the user had, not on the whole value.
TEST_P(ContextMenu, ActsOnTheCaretAndSelection)
{
    const MenuRow& row = GetParam();
    Window w;
    w.edit->SetText("abcd");
    w.FocusAt(0);
    if (row.selLength > 0)
        w.edit->setSelection(row.selStart, row.selLength);
    else
        w.edit->setCursorPosition(row.selStart);
    SetClipboard(row.clipboard);
    QMenu* menu = OpenContextMenu(w);
    ASSERT_NE(menu, nullptr);
    Choose(menu, row.action, row.withMouse);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(w.edit->Text(), row.text);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), row.clipboardNow);
    EXPECT_TRUE(w.edit->hasFocus());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ContextMenu,
    ::testing::Values(MenuRow{"PasteAtTheCaret", 2, 0, "XY", "edit-paste", false, "abXYcd", "XY"},
                      MenuRow{"PasteOverTheSelectionByMouse", 1, 2, "XY", "edit-paste", true, "aXYd", "XY"},
                      MenuRow{"CopyTheSelection", 1, 2, "old", "edit-copy", false, "abcd", "bc"},
                      MenuRow{"CutTheSelection", 1, 2, "old", "edit-cut", false, "ad", "bc"},
                      MenuRow{"DeleteTheSelection", 1, 2, "old", "edit-delete", true, "ad", "old"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Clipboard, OpeningTheMenuIsNoFocusChange)
{
    ScopedFormatSettings pinned(QLatin1Char('.'), QLatin1Char(','));
    Window w;
    w.edit->SetEditType(etFloat);
    w.edit->SetPrecision(2);
    w.edit->SetText("");
    int enters = 0, exits = 0;
    w.edit->OnEnter = [&](TValueEdit*) { ++enters; };
    w.edit->OnExit = [&](TValueEdit*) { ++exits; };
    w.FocusAt(0);
    w.Type("1.5");
    QMenu* menu = OpenContextMenu(w);
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(w.edit->hasFocus());
    EXPECT_EQ(w.edit->Text(), "1.5"); // not re-formatted: the user is still editing
    EXPECT_TRUE(w.edit->Modified());
    EXPECT_EQ(w.edit->TextAtFocus(), "");
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 0);
    w.Key(Qt::Key_Escape); // still undoes to the text from before the typing
    EXPECT_EQ(w.edit->Text(), "");
}

TEST(Clipboard, VetoesStopCopyCutAndPaste)
{
    Window w;
    w.edit->SetText("keep");
    w.FocusAt(0);
    w.edit->selectAll();
    QString offered;
    w.edit->OnClipboardCopy = [&](TValueEdit*, const QString& value, bool& allow) {
        offered = value;
        allow = false;
    };
    w.edit->OnClipboardCut = [](TValueEdit*, const QString&, bool& allow) { allow = false; };
    w.edit->OnClipboardPaste = [](TValueEdit*, const QString&, bool& allow) { allow = false; };
    SetClipboard("before");
    w.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(offered, "keep");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    w.Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "keep");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "keep");
}

TEST(Clipboard, PasteKeepsTheFirstLineAndSelectsWhatReplacedTheSelection)
{
    Window w;
    w.edit->SetText("abcd");
    w.FocusAt(0);
    w.edit->setSelection(1, 2);
    SetClipboard("XY\nZ");
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "aXYd");
    EXPECT_EQ(w.edit->selectedText(), "XY");
    EXPECT_TRUE(w.edit->Modified());
}

TEST(Clipboard, RangeAndHexTakeNoPaste)
{
    Window w;
    for (TValueEditType type : {etRange, etHex}) {
        w.edit->SetEditType(type);
        w.edit->SetText("1");
        w.FocusAt(1);
        SetClipboard("2");
        w.Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(w.edit->Text(), "1") << type;
    }
}

} // namespace
