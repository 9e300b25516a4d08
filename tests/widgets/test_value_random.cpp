// Long random sequences of keys, pastes and context-menu commands into two fields of every
// edit type, the focus moving between them; after every step each field must still hold
// a value its type accepts, with the caret in the value.
#include "value_edit_testing.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSet>

#include <random>

using valueedit_testing::SetClipboard;
using valueedit_testing::Window;

namespace {

constexpr int kSteps = 600;

struct RandomRow {
    const char* name;
    TValueEditType type;
    char decimal;
    char thousand;
    bool affixes; // with prefix and suffix
};

class RandomTyping : public ::testing::TestWithParam<RandomRow> {};

QString RandomPiece(std::mt19937& random)
{
    static const QStringList pieces{"1",    "23",   "-",     ".",   ",",   " ",  "a",   "Fe",
                                    "1.5",  "2,5",  "1,234", "-7",  "x",   "mc", "ii",  ";",
                                    "9999", "0.00", "1-2",   "abc", "\n3", "",   "..", "--"};
    QString text;
    const int parts = std::uniform_int_distribution<int>(1, 3)(random);
    for (int i = 0; i < parts; ++i)
        text += pieces.at(std::uniform_int_distribution<int>(0, int(pieces.size()) - 1)(random));
    return text;
}

void Check(const TValueEdit* edit, const RandomRow& row, int step, const QString& action)
{
    const QString window = edit->text();
    const QString prefix = edit->Prefix();
    const QString suffix = edit->Suffix();
    const QString value = edit->Text();
    const QString where = QStringLiteral("step %1 (%2): \"%3\"").arg(step).arg(action, window);
    ASSERT_TRUE(window.startsWith(prefix) && window.endsWith(suffix)) << qPrintable(where);
    const int valueEnd = int(prefix.size() + value.size());
    const int caret = edit->cursorPosition();
    // The caret matters where the user types; a written text leaves it at the very end.
    ASSERT_TRUE(!edit->hasFocus() || (caret >= prefix.size() && caret <= valueEnd)) << qPrintable(where);
    if (edit->hasFocus() && edit->hasSelectedText()) {
        ASSERT_GE(edit->selectionStart(), prefix.size()) << qPrintable(where);
        ASSERT_LE(edit->selectionEnd(), valueEnd) << qPrintable(where);
    }
    const FormatSettings& fs = FormatSettings::Current();
    switch (row.type) {
    case etNumeric:
        for (const QChar c : value)
            ASSERT_TRUE(c.isDigit() || c == '-') << qPrintable(where);
        ASSERT_LE(value.count('-'), 1) << qPrintable(where);
        break;
    case etFloat: {
        const TNumberKind kind = valuetext::ClassifyNumber(value, fs);
        ASSERT_TRUE(value.isEmpty() || kind == nkInteger || kind == nkDecimal) << qPrintable(where);
        break;
    }
    case etMoney: {
        QString plain = value;
        plain.remove(fs.ThousandSeparator);
        const TNumberKind kind = valuetext::ClassifyNumber(plain, fs);
        ASSERT_TRUE(plain.isEmpty() || kind == nkInteger || kind == nkDecimal) << qPrintable(where);
        break;
    }
    case etAlphaNumeric:
        for (const QChar c : value)
            ASSERT_TRUE(c.unicode() < 0x80 && c.isLetterOrNumber()) << qPrintable(where);
        break;
    case etUppercase:
        ASSERT_EQ(value, value.toUpper()) << qPrintable(where);
        break;
    case etLowerCase:
        ASSERT_EQ(value, value.toLower()) << qPrintable(where);
        break;
    default:
        break;
    }
    ASSERT_FALSE(window.contains('\n') || window.contains('\r')) << qPrintable(where);
}

TEST_P(RandomTyping, InvariantsHoldAfterEveryStep)
{
    const RandomRow& row = GetParam();
    ScopedFormatSettings pinned(QLatin1Char(row.decimal), QLatin1Char(row.thousand));
    std::mt19937 random(20240611u + unsigned(row.type) * 7919u + (row.affixes ? 1u : 0u));
    Window w;
    for (TValueEdit* edit : {w.edit, w.next}) {
        edit->SetEditType(row.type);
        edit->SetPrecision(2);
        edit->SetSigned(true);
        if (row.affixes) {
            edit->SetPrefix("SN-");
            edit->SetSuffix(" pcs");
            edit->SetLengthLimit(6);
        }
    }
    w.FocusAt(int(w.edit->Prefix().size()));

    const QString keys = QStringLiteral("0123456789-.,; aAfFgzM'ciI");
    QSet<QString> seen; // the walk must really move through many values
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int step = 0; step < kSteps; ++step) {
        TValueEdit* edit = w.edit->hasFocus() ? w.edit : w.next;
        QString action;
        const int kind = pick(21);
        if (kind < 9) {
            const QString key = keys.mid(pick(int(keys.size())), 1);
            action = "type " + key;
            QTest::keyClicks(edit, key);
        } else if (kind < 15) {
            static const Qt::Key moves[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                                            Qt::Key_Right,     Qt::Key_Home,   Qt::Key_End,
                                            Qt::Key_Return};
            const Qt::Key key = moves[pick(7)];
            const Qt::KeyboardModifiers modifiers = pick(4) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
            action = QStringLiteral("key %1").arg(int(key));
            QTest::keyClick(edit, key, modifiers);
        } else if (kind < 17) {
            const QString text = RandomPiece(random);
            action = "paste " + text;
            SetClipboard(text);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        } else if (kind == 17) {
            static const Qt::Key shortcuts[] = {Qt::Key_A, Qt::Key_X, Qt::Key_Z, Qt::Key_K, Qt::Key_E};
            const Qt::Key key = shortcuts[pick(5)];
            action = QStringLiteral("ctrl %1").arg(QChar(key));
            QTest::keyClick(edit, key, Qt::ControlModifier);
        } else if (kind == 18) {
            // A mouse-like selection inside the value.
            const int start = int(edit->Prefix().size());
            const int length = int(edit->Text().size());
            const int from = start + pick(length + 1);
            const int to = start + pick(length + 1);
            action = QStringLiteral("select %1..%2").arg(from).arg(to);
            edit->setSelection(std::min(from, to), std::abs(to - from));
        } else if (kind == 19) {
            // The real context menu, opened with a right click; an enabled entry is
            // clicked, or the menu is closed with Escape.
            if (pick(3) == 0)
                SetClipboard(RandomPiece(random));
            const QPoint at = edit->mapTo(w.top.get(), QPoint(pick(edit->width()), edit->height() / 2));
            QTest::mouseClick(w.top->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr) << "step " << step;
            QList<QAction*> enabled;
            for (QAction* a : menu->actions())
                if (a->isEnabled() && !a->isSeparator())
                    enabled << a;
            const int choice = pick(int(enabled.size()) + 1);
            if (choice == enabled.size()) {
                action = "menu, escape";
                QTest::keyClick(menu, Qt::Key_Escape);
            } else {
                action = "menu " + enabled[choice]->objectName();
                QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                                  menu->actionGeometry(enabled[choice]).center());
            }
            QApplication::processEvents();
            ASSERT_EQ(QApplication::activePopupWidget(), nullptr) << "step " << step;
            ASSERT_TRUE(edit->hasFocus()) << "step " << step;
        } else {
            action = "to the other field";
            QTest::keyClick(edit, pick(2) ? Qt::Key_Tab : Qt::Key_Backtab);
        }
        QApplication::processEvents();
        for (const TValueEdit* field : {w.edit, w.next})
            Check(field, row, step, action);
        if (::testing::Test::HasFatalFailure())
            return;
        seen.insert(w.edit->Text());
        seen.insert(w.next->Text());
    }
    EXPECT_GT(seen.size(), 15);
}

std::vector<RandomRow> Rows()
{
    const struct {
        const char* name;
        TValueEditType type;
    } types[] = {{"String", etString},       {"Numeric", etNumeric},   {"Float", etFloat},
                 {"Uppercase", etUppercase}, {"MixedCase", etMixedCase}, {"LowerCase", etLowerCase},
                 {"Password", etPassword},   {"Money", etMoney},       {"Range", etRange},
                 {"Hex", etHex},             {"AlphaNumeric", etAlphaNumeric}};
    std::vector<RandomRow> rows;
    for (const auto& t : types) {
        rows.push_back({t.name, t.type, '.', ',', false});
        rows.push_back({t.name, t.type, ',', '.', true});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Types, RandomTyping, ::testing::ValuesIn(Rows()),
                         [](const auto& info) {
                             return std::string(info.param.name) +
                                    (info.param.affixes ? "CommaWithAffixes" : "Dot");
                         });

} // namespace
