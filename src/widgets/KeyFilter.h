#pragma once

#include "widgets/ValueText.h"

#include <QString>

// The per-type decision on one typed character, free of any widget so it can be
// checked as a table. The field carries the decision out (see TValueEdit::KeyPress).
namespace keyfilter {

constexpr QChar kBackspace = QChar(8);
constexpr QChar kTab = QChar(9);
constexpr QChar kReturn = QChar(13);
constexpr QChar kEscape = QChar(27);

struct Input {
    TValueEditType type = etString;
    bool isSigned = false;
    int precision = 0;
    int lengthLimit = 0;
    bool canUndo = true;
    bool excelStyleDecimalSeparator = false;
    QString prefix;
    QString value;
    int selStart = 0;  // window text position of the caret or the selection's start
    int selLength = 0; // 0 without a selection
    QString selectedText;
    bool controlHeld = false;
    bool keypadDecimalKey = false; // the character came from the numeric keypad's decimal key
};

enum class Action {
    Drop,          // refused or used up: the text stays as it is
    Pass,          // the control inserts `text` (or handles the control character)
    ReturnKey,     // OnKeyPress is told of Return; nothing is inserted
    ToggleSign,    // put a minus in front of the value or take it away
    ZeroDecimal,   // the value becomes "0" + decimal separator, caret after both
    JumpCaret,     // the caret moves to `caret`; nothing is inserted
    OverwritePass  // the character after the caret is replaced by `text`
};

struct Decision {
    Action action = Action::Drop;
    QChar ch;               // the character after the keypad replacement
    QString text;           // what a pass inserts (case types convert it)
    bool afterSteps = false; // tab-on-full-length, modified state and lookup refresh follow
    int caret = -1;          // JumpCaret target, in the window text
    bool mixedCase = false;  // the value is re-cased after the pass
    bool regroup = false;    // etMoney: regroup after the pass (unless the value is empty or "-")
};

Decision Filter(const Input& in, QChar ch, const FormatSettings& fs);

// The value once Backspace (forward false) or Delete (forward true) has removed the
// selection, or else the character before or after the caret. Positions are in the
// window text, which starts with a prefix of prefixLength characters.
QString ValueAfterDeletion(const QString& value, int prefixLength, int selStart, int selLength,
                           bool forward);

} // namespace keyfilter
